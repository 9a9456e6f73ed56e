// The costs the host feels: the refill after every reset (the host replays
// the whole log QSO by QSO), the call check on every keystroke, and the
// results build.  Run: build/native/bench/core_bench (a Release build gives
// the figures quoted in the README).
#include <benchmark/benchmark.h>

#include "rules/acceptance.h"
#include "rules/call_check.h"
#include "score/results.h"
#include "support/fake_platform.h"
#include "support/qso_builder.h"
#include "support/scratch_dir.h"

namespace {

constexpr int kLogSize = 20000;

// A contest-like log: 5,000 stations, each worked once in each of the four
// band and mode slots over two days, and one QSO in a hundred logged twice.
std::vector<QsoFields> contestLog()
{
    std::vector<QsoFields> log;
    for (int i = 0; static_cast<int>(log.size()) < kLogSize; ++i) {
        const int station = i % 5000, slot = (i / 5000) % 4;
        QsoFields qso = contestQso("UA" + std::to_string(station % 10) + "R" + std::to_string(station),
                                   slot % 2 ? "40m" : "80m", slot / 2 ? "SSB" : "CW",
                                   utc(2015, 6, 14 + i / 10000, (i / 400) % 24, i % 60));
        qso.countryPrefix = station % 4 ? "UA" : "DL";
        log.push_back(qso);
        if (i % 100 == 99)
            log.push_back(qso);
    }
    return log;
}

void fill(ContestState& state, const ErrorLog& errors, const std::vector<QsoFields>& log)
{
    for (const QsoFields& qso : log)
        addQso(state, errors, qso);
}

void Refill20000(benchmark::State& bench)
{
    ScratchDir dir;
    const auto log = contestLog();
    ErrorLog errors{portableFileSystem()};
    for (auto _ : bench) {
        ContestState state;
        errors.restart("header");
        fill(state, errors, log);
        benchmark::DoNotOptimize(state.log.size());
    }
}
BENCHMARK(Refill20000)->Unit(benchmark::kMillisecond);

// A working directory, a platform and the full log, for the benchmarks
// that measure a call on a filled contest.
struct FilledContest {
    FilledContest() { fill(state, ErrorLog(portableFileSystem()), contestLog()); }

    ScratchDir dir;
    ContestState state;
    FakePlatform platform;
};

void CheckCallWith20000(benchmark::State& bench)
{
    FilledContest contest;
    contest.platform.now = 1434286800;  // 14 June 2015, 13:00 UTC
    for (auto _ : bench)
        benchmark::DoNotOptimize(checkCall(contest.state, contest.platform, "UA3R3", "CW", "80m"));
}
BENCHMARK(CheckCallWith20000)->Unit(benchmark::kMicrosecond);

void ResultsOver20000(benchmark::State& bench)
{
    FilledContest contest;
    CCabrilloLog cabrillo;
    for (auto _ : bench)
        benchmark::DoNotOptimize(buildResults(contest.state, cabrillo, contest.platform).text.size());
}
BENCHMARK(ResultsOver20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
