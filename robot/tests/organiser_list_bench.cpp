// The organiser's list in a large contest: 1,700 logs received, each
// working 150 stations, a tenth of them calls that sent no log, and some
// refused uploads beside.  Target: the page comes back within 300 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "robot/upload_store.h"
#include "robot_fixture.h"

namespace {

constexpr int kLogs = 1700;
constexpr int kWorkedPerLog = 150;
constexpr int kRefused = 100;

std::string participant(int n)
{
    char call[16];
    std::snprintf(call, sizeof call, "R%d%c%c%c", n % 10, 'A' + n / 10 % 26, 'A' + n / 260 % 26, 'A' + n / 6760 % 26);
    return call;
}

std::string receiptOf(int n)
{
    char receipt[16];
    std::snprintf(receipt, sizeof receipt, "B%09d", n);
    return receipt;
}

// Every log and refusal straight into the store, as uploads would leave it.
void receiveLargeContest(RobotConfig& config)
{
    std::filesystem::create_directories(config.dataDir);
    UploadStore store(config.dataDir + "/robot.db");
    for (int n = 0; n < kLogs + kRefused; ++n) {
        NewUpload upload;
        upload.receipt = receiptOf(n);
        upload.receivedAt = 1766260800 + n * 37;
        upload.email = "operator" + std::to_string(n) + "@example.org";
        upload.fileName = participant(n) + ".cbr";
        upload.accepted = n < kLogs;
        upload.callsign = participant(n);
        upload.category = "SINGLE-OP ALL HIGH CW";
        upload.qsoLines = kWorkedPerLog;
        upload.claimedScore = 1000 + n;
        upload.computedScore = 1000 + n - n % 3;
        for (int w = 1; upload.accepted && w <= kWorkedPerLog; ++w)
            upload.workedCallsigns.push_back(w % 10 == 0 ? "UA9" + participant(n * 7 + w).substr(1)
                                                         : participant((n + w * 11) % kLogs));
        store.add(upload);
    }
}

void organiserListOf1700Logs(benchmark::State& state)
{
    RunningRobot robot(receiveLargeContest);
    Browser browser(robot.port());
    if (!browser.logIn())
        state.SkipWithError("the organiser could not log in");
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto page = browser.get("/organiser");
        if (!page || page->status != 200)
            state.SkipWithError("the organiser's list did not come back");
        else
            bytes = page->body.size();
    }
    state.counters["page_kB"] = static_cast<double>(bytes) / 1024;
}
BENCHMARK(organiserListOf1700Logs)->Unit(benchmark::kMillisecond)->UseRealTime();

// What of it the database answers: the lists the page is made from.
void organiserQueriesOf1700Logs(benchmark::State& state)
{
    RunningRobot robot(receiveLargeContest);
    UploadStore store(robot.databasePath());
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.latestLogs());
        benchmark::DoNotOptimize(store.refusedUploads());
        benchmark::DoNotOptimize(store.missingLogs(2));
        benchmark::DoNotOptimize(store.everyVersion());
    }
}
BENCHMARK(organiserQueriesOf1700Logs)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
