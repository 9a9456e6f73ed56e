// The organiser's cross-check at scale: 100, 300 and 1,000 logs of about
// 1,000 QSOs each, the logs taken from one simulated contest of 1,000 logs
// (fewer logs is an organiser who got fewer of them).  Each run reads the
// files' bytes untimed, then times crossCheck alone, which takes them over.
// peak_rss_MB is the process's high-water mark so far (getrusage), so the
// largest case, run last, gives the memory figure.  CPU time counts every
// thread (the checker reads the logs side by side).  The whole run with
// its reports, and one log of repeats, are measured in child processes.  The contest is written by
// zemrix-sim in a process of its own, so its memory is not counted.
//
// Run from a Release build: build/release/checker/bench/check_bench
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "base/whole_file.h"
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
        for (std::size_t i = 0; i < count && i < logs_.size(); ++i)
            files.push_back({logs_[i].filename().string(), readWholeFile(logs_[i])});
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

// What one child process used: CPU time of all its threads, and its own
// high-water mark, apart from the benchmark's and from the other cases'.
// The child counts the QSO lines it checked and sends the count back.
struct ChildUsage {
    double cpuSeconds = 0;
    double wallSeconds = 0;
    double peakRssMegabytes = 0;
    double qsoLines = 0;
};

std::size_t qsoLinesOf(const CrossCheck& check)
{
    std::size_t lines = 0;
    for (const CheckedLog& checked : check.logs)
        lines += checked.verdicts.size();
    return lines;
}

ChildUsage usageOfChild(const std::function<std::size_t()>& work)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("cannot make a pipe");
    const auto began = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("cannot fork");
    if (child == 0) {
        close(pipeEnds[0]);
        const std::size_t lines = work();
        const bool sent = write(pipeEnds[1], &lines, sizeof lines) == static_cast<ssize_t>(sizeof lines);
        _exit(sent ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::size_t lines = 0;
    const bool received = read(pipeEnds[0], &lines, sizeof lines) == static_cast<ssize_t>(sizeof lines);
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !received)
        throw std::runtime_error("the measured child failed");
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return {seconds(usage.ru_utime) + seconds(usage.ru_stime),
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count(), usage.ru_maxrss / 1024.0,
            static_cast<double>(lines)};
}

void report(benchmark::State& bench, const ChildUsage& used)
{
    bench.SetIterationTime(used.wallSeconds);
    bench.counters["cpu_s"] = used.cpuSeconds;
    bench.counters["peak_rss_MB"] = used.peakRssMegabytes;
    bench.counters["qso_lines"] = used.qsoLines;
    bench.counters["rss_bytes_per_line"] = used.peakRssMegabytes * 1024 * 1024 / used.qsoLines;
}

// The organiser's whole run, what zemrix-check does after reading the
// files: the check and every report written, for 100 and 1,000 logs.  The
// target for 1,000 logs (10^6 QSO lines): at most 4 s of CPU (every
// thread, user and system) and 400 MB; the label says whether it was met.
void WholeCheckWithReports(benchmark::State& bench)
{
    constexpr double kTargetCpuSeconds = 4, kTargetMegabytes = 400;
    const fs::path out = fs::path(BENCH_SCRATCH_DIR) / "reports";
    contest();  // simulated and loaded once, before the children
    countries();
    for (auto _ : bench) {
        // The child reads the files itself, as zemrix-check does: bytes
        // read here would be the parent's pages, copied at the child's
        // first write to them.
        const ChildUsage used = usageOfChild([&] {
            auto files = contest().firstLogs(static_cast<std::size_t>(bench.range(0)));
            const CrossCheck check = crossCheck(std::move(files), contest().config(), countries());
            writeReports(check, out.string());
            return qsoLinesOf(check);
        });
        fs::remove_all(out);
        report(bench, used);
        if (bench.range(0) < kLogs)
            continue;
        const bool met = used.cpuSeconds <= kTargetCpuSeconds && used.peakRssMegabytes <= kTargetMegabytes;
        bench.counters["target_cpu_s"] = kTargetCpuSeconds;
        bench.counters["target_rss_MB"] = kTargetMegabytes;
        bench.counters["within_target"] = met ? 1 : 0;
        bench.SetLabel(met ? "target met" : "target NOT met");
    }
}
BENCHMARK(WholeCheckWithReports)->Arg(100)->Arg(kLogs)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

// The process's CPU so far, user and system apart, every thread.
std::pair<double, double> userAndSystemSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

// writeReports alone, after the check of 1,000 logs: every file, the
// whole-log pages included, and the CPU of both threads that write them.
// Into memory (/dev/shm) where there is one, so that what is timed is the
// writing and not the disk's own work; system_s is mostly the kernel's
// copy of the 612 MB into the files.
void WriteReports(benchmark::State& bench)
{
    const fs::path shm = "/dev/shm";
    const fs::path out = (fs::is_directory(shm) ? shm : fs::path(BENCH_SCRATCH_DIR)) /
                         ("check_bench-reports-" + std::to_string(getpid()));
    const CrossCheck check = crossCheck(contest().firstLogs(kLogs), contest().config(), countries());
    double user = 0, system = 0;
    for (auto _ : bench) {
        const auto before = userAndSystemSeconds();
        writeReports(check, out.string());
        const auto after = userAndSystemSeconds();
        user += after.first - before.first;
        system += after.second - before.second;
        bench.PauseTiming();
        fs::remove_all(out);
        bench.ResumeTiming();
    }
    bench.counters["qso_lines"] = static_cast<double>(qsoLinesOf(check));
    bench.counters["user_s"] = user / static_cast<double>(bench.iterations());
    bench.counters["system_s"] = system / static_cast<double>(bench.iterations());
}
BENCHMARK(WriteReports)->Unit(benchmark::kSecond)->Iterations(3)->MeasureProcessCPUTime();

// One log of N QSO lines that works the same 208 stations over and over on
// one band and mode, so nearly every line is a repeat of many, checked and
// reported whole.  The rules' error log for it grows with the square of N;
// the check must not: its bytes per line stay flat from 25,000 to 200,000
// lines.
std::string logOfRepeats(int lines)
{
    std::string text = "START-OF-LOG: 3.0\nCONTEST: ZEMRIX\nCALLSIGN: RA1A\n";
    char line[96];
    for (int i = 0; i < lines; ++i) {
        const int minute = i % (24 * 60);
        std::snprintf(line, sizeof line, "QSO: 3510 CW 2025-12-2%d %02d%02d RA1A 599 11 UA%03dX 599 %d\n",
                      1 + i / (24 * 60) % 2, minute / 60, minute % 60, i % 208, 10 + i % 80);
        text += line;
    }
    return text + "END-OF-LOG:\n";
}

void LogOfRepeats(benchmark::State& bench)
{
    const int lines = static_cast<int>(bench.range(0));
    for (auto _ : bench) {
        std::vector<LogInput> files = {{"repeats.log", logOfRepeats(lines)}};
        const fs::path out = fs::path(BENCH_SCRATCH_DIR) / "repeats";
        const ChildUsage used = usageOfChild([&] {
            const CrossCheck check = crossCheck(std::move(files), {}, countries());
            writeReports(check, out.string());
            return qsoLinesOf(check);
        });
        fs::remove_all(out);
        report(bench, used);
    }
}
BENCHMARK(LogOfRepeats)->Arg(25000)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
