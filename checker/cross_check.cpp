// The cross-check from files to scores: the logs read side by side, then
// the lines matched in steps, each in its own unit: the clocks, the pairs,
// the consensus on calls without a log, the verdicts.
#include "checker/cross_check.h"

#include <algorithm>

#include "checker/clock_offsets.h"
#include "checker/consensus.h"
#include "checker/heard_calls.h"
#include "checker/log_intake.h"
#include "checker/match_table.h"
#include "checker/pairing.h"
#include "checker/verdicts.h"
#include "logplay/contest_period.h"

namespace {

// A QSO outside the period is out of period and nothing else, never the
// earlier QSO of a repeat.  Where it lies is known only once the clocks
// are, so a log that counted a QSO before the period and has repeats of it
// is played through the rules again without its QSOs outside.  (The rules
// play a log in time order: a QSO after the period comes after every QSO
// inside it, and is the earlier QSO of none of them.)  True when any log
// was.
bool replayLogsRepeatingOutsideThePeriod(CrossCheck& check, const MatchTable& table)
{
    const PeriodMinutes period = check.config.period().minutes();
    const auto trueMinute = [&](int64_t loggedMinute, std::size_t log) {
        return loggedMinute - check.logs[log].score.clockOffsetMinutes;
    };
    std::vector<bool> replay(check.logs.size(), false);
    for (const MatchLine& line : table.lines) {
        if (replay[line.log] || trueMinute(line.loggedMinute, line.log) >= period.first)
            continue;
        replay[line.log] = table.duplicatesByPair.linesOf(line.own, line.worked, line.bandMode).size() != 0;
    }
    const auto inPeriod = [&](int64_t loggedMinute, std::size_t log) {
        return period.contains(trueMinute(loggedMinute, log));
    };
    for (std::size_t log = 0; log < replay.size(); ++log)
        if (replay[log])
            replayInPeriod(check.logs[log].log, [&](const QsoRecord& qso) { return inPeriod(minuteOf(qso.time()), log); });
    return std::find(replay.begin(), replay.end(), true) != replay.end();
}

void crossCheckLines(CrossCheck& check)
{
    MatchTable table = matchTableOf(check.logs, check.config.knownBusts);
    const std::vector<ClockOffset> offsets = estimateClockOffsets(table, check.logs.size());
    for (std::size_t log = 0; log < offsets.size(); ++log) {
        check.logs[log].score.clockOffsetMinutes = offsets[log].minutes;
        check.logs[log].score.offsetMatches = offsets[log].matches;
    }
    if (replayLogsRepeatingOutsideThePeriod(check, table))
        splitByOutcomes(table, check.logs);
    correctClocks(table, offsets);
    pairLines(table, check.config.toleranceMinutes);
    // Paired: the verdicts, which take their own room, need the pair indexes no more.
    table.byPair = {};
    table.duplicatesByPair = {};
    const ExchangeConsensus exchanges(table);
    const HeardCalls calls(table);
    giveVerdicts(check.logs, table, {exchanges, calls}, check.config);
}

void summarise(CrossCheck& check)
{
    for (const Message& note : check.notes)
        check.summary.push_back(note.english());
    std::size_t checkedLogs = 0, lines = 0;
    std::array<std::size_t, kQsoStatusCount> totals{};
    for (const CheckedLog& checked : check.logs) {
        if (checked.log.state != LogState::Checked) {
            check.summary.push_back(checked.log.fileName + ": " + logStateName(checked.log.state) + " (" +
                                    checked.log.stateReason->english() + ")");
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

const std::string& matchedCall(const CrossCheck& check, const QsoVerdict& verdict)
{
    static const std::string none;
    return verdict.matchedLog == kNoMatch ? none : check.logs[verdict.matchedLog].log.callsign;
}

CrossCheck crossCheck(std::vector<LogInput> files, const ContestConfig& config, const CountryPrefixes& countries,
                      const CheckProgress& progress)
{
    CrossCheck check;
    check.config = config;
    ReadLogs read = readLogs(files, countries, progress);
    check.notes = std::move(read.notes);
    keepOneLogPerCall(read.logs, config.chosenLogs, check.notes);
    check.logs.resize(read.logs.size());
    for (std::size_t i = 0; i < read.logs.size(); ++i)
        check.logs[i].log = std::move(read.logs[i]);
    crossCheckLines(check);
    for (CheckedLog& checked : check.logs)
        if (checked.log.state == LogState::Checked)
            scoreVerifiedLog(checked, config);
    summarise(check);
    return check;
}
