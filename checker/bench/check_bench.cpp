// The organiser's cross-check at scale: 100, 300 and 1,000 logs of about
// 1,000 QSOs each, the logs taken from one simulated contest of 1,000 logs
// (fewer logs is an organiser who got fewer of them).  Each run reads the
// files' bytes untimed, then times crossCheck alone, which takes them over.
// peak_rss_MB is the process's high-water mark so far (getrusage), so the
// largest case, run last, gives the memory figure.  CPU time counts every
// thread (the checker reads the logs side by side).  The contest is written by
// zemrix-sim in a process of its own, so its memory is not counted.
//
// Run from a Release build: build/release/checker/bench/check_bench
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "checker/cross_check.h"
#include "checker/reports.h"

namespace {

namespace fs = std::filesystem;

const int kLogs = 1000;
const int kQsosPerLog = 1000;

// The simulated contest's folder, written once per process and removed when
// the benchmarks end.
class SimulatedContest {
public:
    SimulatedContest() : dir_(fs::path(BENCH_SCRATCH_DIR) / "contest")
    {
        fs::remove_all(dir_);
        // About 85% of stations send a log.
        const std::string command = std::string("'") + ZEMRIX_SIM + "' --stations " +
                                    std::to_string(kLogs * 100 / 85) + " --qsos " + std::to_string(kQsosPerLog) +
                                    " --hours 24 --seed 7 --out '" + dir_.string() + "'";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("cannot simulate the contest: " + command);
        for (const auto& entry : fs::directory_iterator(dir_ / "logs"))
            logs_.push_back(entry.path());
        std::sort(logs_.begin(), logs_.end());
        std::ifstream ini(dir_ / "contest.ini", std::ios::binary);
        config_ = readContestConfig({std::istreambuf_iterator<char>(ini), std::istreambuf_iterator<char>()},
                                    "contest.ini");
    }
    ~SimulatedContest() { fs::remove_all(dir_); }

    std::vector<LogInput> firstLogs(std::size_t count) const
    {
        std::vector<LogInput> files;
        for (std::size_t i = 0; i < count && i < logs_.size(); ++i) {
            std::ifstream in(logs_[i], std::ios::binary);
            files.push_back({logs_[i].filename().string(),
                             {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
        }
        return files;
    }

    const ContestConfig& config() const { return config_; }

private:
    fs::path dir_;
    std::vector<fs::path> logs_;
    ContestConfig config_;
};

const SimulatedContest& contest()
{
    static const SimulatedContest simulated;
    return simulated;
}

const CountryPrefixes& countries()
{
    static const CountryPrefixes prefixes = CountryPrefixes::load("/usr/share/hamradio-files/cty.dat");
    return prefixes;
}

double peakRssMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

void CrossCheckLogs(benchmark::State& bench)
{
    std::size_t logs = 0, lines = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        auto files = contest().firstLogs(static_cast<std::size_t>(bench.range(0)));
        logs = files.size();
        bench.ResumeTiming();
        const CrossCheck check = crossCheck(std::move(files), contest().config(), countries());
        lines = 0;
        for (const CheckedLog& log : check.logs)
            lines += log.verdicts.size();
        benchmark::DoNotOptimize(lines);
    }
    bench.counters["logs"] = static_cast<double>(logs);
    bench.counters["qso_lines"] = static_cast<double>(lines);
    bench.counters["peak_rss_MB"] = peakRssMegabytes();
    bench.SetItemsProcessed(static_cast<int64_t>(bench.iterations() * lines));
}
BENCHMARK(CrossCheckLogs)->Arg(100)->Arg(300)->Arg(kLogs)->Unit(benchmark::kSecond)->Iterations(1)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
