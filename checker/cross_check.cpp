// The cross-check from files to scores: the logs read side by side, then
// the lines matched in steps, each in its own unit: the clocks, the pairs,
// the consensus on calls without a log, the verdicts.
#include "checker/cross_check.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "checker/clock_offsets.h"
#include "checker/consensus.h"
#include "checker/match_table.h"
#include "checker/pairing.h"
#include "checker/verdicts.h"

namespace {

void crossCheckLines(CrossCheck& check)
{
    MatchTable table = matchTableOf(check.logs);
    const std::vector<ClockOffset> offsets = estimateClockOffsets(table, check.logs.size());
    for (std::size_t log = 0; log < offsets.size(); ++log) {
        check.logs[log].score.clockOffsetMinutes = offsets[log].minutes;
        check.logs[log].score.offsetMatches = offsets[log].matches;
    }
    correctClocks(table, offsets);
    pairLines(table, check.config.toleranceMinutes);
    giveVerdicts(check.logs, table, ExchangeConsensus(table), check.config);
}

void supersedeRepeatedCalls(CrossCheck& check)
{
    std::unordered_map<std::string, std::size_t> latest;
    for (std::size_t i = 0; i < check.logs.size(); ++i) {
        LogCheck& log = check.logs[i].log;
        if (log.state != LogState::Checked)
            continue;
        const auto [at, first] = latest.try_emplace(log.callsign, i);
        if (first)
            continue;
        LogCheck& earlier = check.logs[at->second].log;
        earlier.state = LogState::Superseded;
        earlier.stateReason = "another log from " + log.callsign + " came later: " + log.fileName;
        at->second = i;
    }
}

void summarise(CrossCheck& check)
{
    std::size_t checkedLogs = 0, lines = 0;
    std::array<std::size_t, kQsoStatusCount> totals{};
    for (const CheckedLog& checked : check.logs) {
        if (checked.log.state != LogState::Checked) {
            check.summary.push_back(checked.log.fileName + ": " + logStateName(checked.log.state) + " (" +
                                    checked.log.stateReason + ")");
            continue;
        }
        ++checkedLogs;
        lines += checked.verdicts.size();
        for (std::size_t s = 0; s < kQsoStatusCount; ++s)
            totals[s] += static_cast<std::size_t>(checked.score.statusCounts[s]);
        if (checked.score.clockOffsetMinutes != 0)
            check.summary.push_back(checked.log.callsign + ": clock " +
                                    std::to_string(checked.score.clockOffsetMinutes) + " min off, corrected (from " +
                                    std::to_string(checked.score.offsetMatches) + " matched QSOs)");
    }
    std::string counts;
    for (std::size_t s = 0; s < kQsoStatusCount; ++s)
        counts +=
            std::string(s ? ", " : "") + qsoStatusName(static_cast<QsoStatus>(s)) + " " + std::to_string(totals[s]);
    check.summary.push_back(std::to_string(check.logs.size()) + " files, " + std::to_string(checkedLogs) +
                            " logs checked, " + std::to_string(lines) + " QSO lines: " + counts);
}

}  // namespace

const char* logStateName(LogState state)
{
    static const char* const kNames[] = {"CHECKED",       "SUPERSEDED",  "EMPTY",  "NOT_A_LOG",
                                         "OTHER_CONTEST", "NO_CALLSIGN", "NO_QSOS"};
    return kNames[static_cast<std::size_t>(state)];
}

CrossCheck crossCheck(std::vector<LogInput> files, const ContestConfig& config, const CountryPrefixes& countries,
                      const CheckProgress& progress)
{
    CrossCheck check;
    check.config = config;
    check.logs.resize(files.size());
    // No period for the one-log check: it would leave out the lines logged
    // outside it, and a clock off by hours logs real QSOs there.  The period
    // is applied after the clocks are corrected.
    const PrecheckOptions wholeLog;
    std::atomic<std::size_t> next{0};
    std::size_t done = 0;
    std::mutex progressLock;
    const auto readFiles = [&] {
        for (std::size_t i; (i = next++) < files.size();) {
            LogCheck& log = check.logs[i].log;
            try {
                log = precheckLog(files[i].bytes, files[i].fileName, countries, wholeLog);
            } catch (const std::exception& error) {
                log = {};
                log.fileName = files[i].fileName;
                log.state = LogState::NotALog;
                log.stateReason = std::string("could not be read: ") + error.what();
            }
            std::string().swap(files[i].bytes);
            std::lock_guard<std::mutex> guard(progressLock);
            ++done;
            if (progress)
                progress(done, files.size());
        }
    };
    // The logs are read side by side; everything after needs them all.
    std::vector<std::thread> workers;
    const unsigned helpers = std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()), 8) - 1;
    for (unsigned i = 0; i < helpers && i + 1 < files.size(); ++i)
        workers.emplace_back(readFiles);
    readFiles();
    for (std::thread& worker : workers)
        worker.join();
    supersedeRepeatedCalls(check);
    crossCheckLines(check);
    for (CheckedLog& checked : check.logs)
        if (checked.log.state == LogState::Checked)
            scoreVerifiedLog(checked, config);
    summarise(check);
    return check;
}
