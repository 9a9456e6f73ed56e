// The participant's wait: the pre-check of a 5,000-QSO log alone, and the
// whole upload of it over HTTP to an in-process robot (form parsing,
// pre-check, the database commit, the answer page).  Target: 200 ms.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "robot_fixture.h"

namespace {

// A day's log of `qsos` distinct stations on 80 and 40 m, CW and SSB.
std::string contestLog(int qsos)
{
    std::string log = "START-OF-LOG: 3.0\r\nCONTEST: ZEMRIX\r\nCALLSIGN: RK3DZB\r\nCATEGORY-OPERATOR: SINGLE-OP\r\n"
                      "CATEGORY-MODE: MIXED\r\nCLAIMED-SCORE: 1\r\n";
    for (int n = 0; n < qsos; ++n) {
        const int seconds = n * 17;
        char call[16], line[160];
        std::snprintf(call, sizeof call, "U%c%d%c%c%c", 'A' + n % 9, n % 10, 'A' + n / 10 % 26, 'A' + n / 260 % 26,
                      'A' + n / 6760 % 26);
        const bool cw = n % 3 != 0;
        std::snprintf(line, sizeof line,
                      "QSO: %5d %s 2025-12-%02d %02d%02d RK3DZB        %-3s 16     %-13s %-3s %02d\r\n",
                      n % 2 ? 7025 : 3527, cw ? "CW" : "PH", 20 + seconds / 86400, seconds / 3600 % 24,
                      seconds / 60 % 60, cw ? "599" : "59", call, cw ? "599" : "59", n % 99 + 1);
        log += line;
    }
    return log + "END-OF-LOG:\r\n";
}

void precheckOf5000Qsos(benchmark::State& state)
{
    const LogChecker checker(ROBOT_COUNTRY_FILE, "");
    const std::string log = contestLog(5000);
    for (auto _ : state)
        benchmark::DoNotOptimize(checker.precheck(log, "bench.log"));
}
BENCHMARK(precheckOf5000Qsos)->Unit(benchmark::kMillisecond);

void uploadOf5000Qsos(benchmark::State& state)
{
    RunningRobot robot;
    Browser browser(robot.port());
    const std::string log = contestLog(5000);
    for (auto _ : state) {
        const auto answer = browser.upload(log, "op@example.org");
        if (!answer || answer->status != 200)
            state.SkipWithError("the upload was not accepted");
    }
}
BENCHMARK(uploadOf5000Qsos)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
