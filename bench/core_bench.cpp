// The costs the host feels: the refill after every reset (the host replays
// the whole log QSO by QSO), the call check on every keystroke, taking a QSO
// back, the multiplier window's refresh, the results build, and the memory a
// stored QSO takes.  Run: build/bench/bench/core_bench from a Release build
// (the figures in the README come from there).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "bench/contest_log.h"
#include "rules/call_check.h"
#include "score/results.h"
#include "support/fake_platform.h"
#include "support/scratch_dir.h"
#include "ui/multiplier_table.h"

namespace {

void fill(ContestState& state, const ErrorLog& errors, const std::vector<QsoFields>& log)
{
    for (const QsoFields& qso : log)
        addQso(state, errors, qso);
}

void Refill(benchmark::State& bench)
{
    ScratchDir dir;
    const auto log = contestLog(static_cast<int>(bench.range(0)));
    ErrorLog errors{portableFileSystem()};
    for (auto _ : bench) {
        ContestState state;
        errors.restart("header");
        fill(state, errors, log);
        benchmark::DoNotOptimize(state.log.size());
    }
    bench.SetItemsProcessed(bench.iterations() * bench.range(0));
}
BENCHMARK(Refill)->Arg(10000)->Arg(20000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A working directory, a platform and a full log, for the benchmarks that
// measure a call on a filled contest.
struct FilledContest {
    explicit FilledContest(int size) : log(contestLog(size))
    {
        fill(state, ErrorLog(portableFileSystem()), log);
        platform.now = 1434286800;  // 14 June 2015, 13:00 UTC
    }

    ScratchDir dir;
    std::vector<QsoFields> log;
    ContestState state;
    FakePlatform platform;
};

// What the host sees on a keystroke: the callsign typed so far is worked on
// another band (no conflict: the whole log has to be ruled out) or on this
// band and mode in this hour (a conflict).
void CheckCall(benchmark::State& bench)
{
    FilledContest contest(static_cast<int>(bench.range(0)));
    const std::string callsign = bench.range(1) ? "UA3R3" : "UA3R33";
    for (auto _ : bench)
        benchmark::DoNotOptimize(checkCall(contest.state, contest.platform, callsign, "CW", "80m"));
}
BENCHMARK(CheckCall)->ArgsProduct({{20000, 100000}, {0, 1}})->ArgNames({"qsos", "conflict"})
    ->Unit(benchmark::kMicrosecond);

// RemoveData0 for the first, middle or last QSO of a full log.  The QSO
// goes back at the end, untimed, so that every pass removes from a log of the
// same size; the first and middle passes move on to the QSO that has come
// into that place.
void RemoveOne(benchmark::State& bench)
{
    FilledContest contest(static_cast<int>(bench.range(0)));
    const ErrorLog errors{portableFileSystem()};
    const std::size_t size = contest.log.size();
    const std::size_t at = static_cast<std::size_t>(bench.range(1)) * (size - 1) / 2;
    const std::size_t step = at == size - 1 ? 0 : 1;
    std::size_t pass = 0;
    for (auto _ : bench) {
        const QsoFields& qso = contest.log[(at + step * pass++) % size];
        benchmark::DoNotOptimize(removeQso(contest.state, qso));
        bench.PauseTiming();
        addQso(contest.state, errors, qso);
        bench.ResumeTiming();
    }
}
BENCHMARK(RemoveOne)->ArgsProduct({{100000}, {0, 1, 2}})->ArgNames({"qsos", "half"})
    ->Unit(benchmark::kMicrosecond);

// The host deleting its whole log, newest QSO first.
void RemoveAllNewestFirst(benchmark::State& bench)
{
    for (auto _ : bench) {
        bench.PauseTiming();
        auto contest = std::make_unique<FilledContest>(static_cast<int>(bench.range(0)));
        bench.ResumeTiming();
        for (auto qso = contest->log.rbegin(); qso != contest->log.rend(); ++qso)
            removeQso(contest->state, *qso);
        benchmark::DoNotOptimize(contest->state.log.size());
        bench.PauseTiming();
        contest.reset();
        bench.ResumeTiming();
    }
}
BENCHMARK(RemoveAllNewestFirst)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

void MultiplierRefresh(benchmark::State& bench)
{
    FilledContest contest(static_cast<int>(bench.range(0)));
    for (auto _ : bench)
        benchmark::DoNotOptimize(refreshMultiplierView(contest.state, "UA3R3", 3512000.0));
}
BENCHMARK(MultiplierRefresh)->Arg(100000)->Unit(benchmark::kMicrosecond);

void Results(benchmark::State& bench)
{
    FilledContest contest(static_cast<int>(bench.range(0)));
    CCabrilloLog cabrillo;
    for (auto _ : bench)
        benchmark::DoNotOptimize(buildResults(contest.state, cabrillo, contest.platform).text.size());
}
BENCHMARK(Results)->Arg(100000)->Unit(benchmark::kMillisecond);

// Heap bytes held per stored QSO, as the C library's allocator counts them
// (its own bookkeeping included): everything the contest state holds after
// a refill, the log's spare room and any index over it included.
void MemoryPerQso(benchmark::State& bench)
{
    ScratchDir dir;
    const auto log = contestLog(static_cast<int>(bench.range(0)));
    const ErrorLog errors{portableFileSystem()};
    for (auto _ : bench) {
        const std::size_t before = mallinfo2().uordblks;
        {
            ContestState state;
            fill(state, errors, log);
            const std::size_t held = mallinfo2().uordblks - before;
            bench.counters["bytes_per_qso"] = static_cast<double>(held) / static_cast<double>(log.size());
        }
    }
}
BENCHMARK(MemoryPerQso)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
