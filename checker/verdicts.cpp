#include "checker/verdicts.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "score/scoring.h"

namespace {

std::vector<QsoVerdict> judgedByThePlugin(const LogCheck& log)
{
    std::vector<QsoVerdict> verdicts(log.qsos.size());
    for (std::size_t q = 0; q < log.qsos.size(); ++q) {
        const JudgedQso& judged = log.qsos[q];
        if (!judged.accepted())
            verdicts[q].status = QsoStatus::Rejected;
        else if (judged.duplicate())
            verdicts[q].status = QsoStatus::Dupe;
    }
    return verdicts;
}

QsoVerdict verdictAgainst(const MatchLine& line, const MatchLine& partner, const std::vector<CheckedLog>& logs)
{
    QsoVerdict verdict;
    const LogCheck& other = logs[partner.log].log;
    verdict.matchedLog = partner.log;
    verdict.matchedQso = partner.qso;
    verdict.matchedLine = partner.fileLine;
    if (line.miscopiedCall) {
        verdict.status = QsoStatus::BustedCall;
        verdict.correctTheCall(other.callsign);
    } else if (line.receivedExchange != partner.sentExchange) {
        verdict.status = QsoStatus::BustedExch;
        verdict.correctTheExchange(other.qsos[partner.qso].qso.exchangeSent());
    }
    return verdict;
}

// A line nobody's log answers, of a call that sent no log.  Its QSO stands
// as NO_LOG only when enough logs worked the call; with fewer it is as good
// as unique.
QsoVerdict verdictWithoutLog(const MatchLine& line, const MatchTable& table, const Witnesses& witnesses,
                             const std::vector<CheckedLog>& logs, const ContestConfig& config)
{
    QsoVerdict verdict;
    const Consensus consensus = witnesses.exchanges.on(line.worked, line.log);
    if (consensus.others > 0 && consensus.others + 1 < config.minLogsForNoLogCall) {
        verdict.status = QsoStatus::Unique;
    } else if (consensus.others == 0) {
        const uint32_t heard = witnesses.calls.likelyCallOf(line);
        verdict.status = heard == kNone ? QsoStatus::Unique : QsoStatus::BustedCall;
        if (heard != kNone)
            verdict.correctTheCall(table.calls.text(heard));
    } else if (consensus.exchange != line.receivedExchange && consensus.logs >= 2 &&
               consensus.logs * 2 > consensus.others) {
        verdict.status = QsoStatus::BustedExch;
        const MatchLine& copier = table.lines[consensus.line];
        verdict.correctTheExchange(logs[copier.log].log.qsos[copier.qso].qso.exchangeReceived());
    } else {
        verdict.status = QsoStatus::NoLog;
    }
    return verdict;
}

QsoVerdict matchVerdict(const MatchLine& line, const MatchTable& table, const Witnesses& witnesses,
                        const std::vector<CheckedLog>& logs, const ContestConfig& config)
{
    if (line.partner != kNone)
        return verdictAgainst(line, (line.partnerIsDuplicate ? table.duplicates : table.lines)[line.partner], logs);
    // Only the committee's list marks a line with no partner miscopied.
    if (line.miscopiedCall) {
        QsoVerdict verdict;
        verdict.status = QsoStatus::BustedCall;
        verdict.correctTheCall(table.calls.text(line.worked));
        return verdict;
    }
    if (table.workedALog(line)) {
        QsoVerdict verdict;
        verdict.status = QsoStatus::Nil;
        return verdict;
    }
    return verdictWithoutLog(line, table, witnesses, logs, config);
}

// What the scoring pass reads of a line, and nothing more; band and mode
// point into it.
CInfo recordOf(const JudgedQso& judged)
{
    const QsoRecord& qso = judged.qso;
    return {std::string(qso.workedCallsign()), std::string(qso.countryPrefix()), qso.band(), qso.mode(), {}, {}, {}, {},
            0, 0, {}};
}

}  // namespace

void giveVerdicts(std::vector<CheckedLog>& logs, const MatchTable& table, const Witnesses& witnesses,
                  const ContestConfig& config)
{
    for (CheckedLog& checked : logs)
        if (checked.log.state == LogState::Checked)
            checked.verdicts = judgedByThePlugin(checked.log);
    const PeriodMinutes period = config.period().minutes();
    for (const MatchLine& line : table.lines) {
        QsoVerdict& verdict = logs[line.log].verdicts[line.qso];
        verdict = matchVerdict(line, table, witnesses, logs, config);
        if (!period.contains(line.minute))
            verdict.status = QsoStatus::OutOfPeriod;
    }
    // Out of period and nothing else: a repeat outside it is no DUPE.
    for (const MatchLine& line : table.duplicates)
        if (!period.contains(line.minute))
            logs[line.log].verdicts[line.qso].status = QsoStatus::OutOfPeriod;
}

void scoreVerifiedLog(CheckedLog& checked, const ContestConfig& config)
{
    std::vector<CInfo> counted;
    counted.reserve(checked.verdicts.size());
    BandList bands;
    std::string_view lastBand;  // a log comes in spells of one band
    int64_t penaltyPoints = 0;
    for (std::size_t q = 0; q < checked.verdicts.size(); ++q) {
        const QsoStatus status = checked.verdicts[q].status;
        ++checked.score.statusCounts[static_cast<std::size_t>(status)];
        CInfo record = recordOf(checked.log.qsos[q]);
        checked.verdicts[q].points = static_cast<int16_t>(pointsFor(record));
        penaltyPoints += static_cast<int64_t>(penaltyFor(status, config)) * checked.verdicts[q].points;
        if (!countsInScore(status, config))
            continue;
        if (bands.empty() || record.band != lastBand)
            noteBand(bands, std::string(record.band));
        lastBand = record.band;
        counted.push_back(std::move(record));
    }
    const ScoreSheet sheet = scoreRecords(counted, std::move(bands));
    LogScore& score = checked.score;
    score.countedQsos = sheet.qsos;
    score.penaltyPoints = static_cast<int32_t>(std::min<int64_t>(penaltyPoints, INT32_MAX));
    score.points = std::max(0, sheet.points - score.penaltyPoints);
    score.multipliers = sheet.multipliers;
    score.bands = sheet.rows;
    score.verifiedScore = static_cast<int64_t>(score.points) * score.multipliers;
}
