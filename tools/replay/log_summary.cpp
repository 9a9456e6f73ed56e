#include "log_summary.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "contest/state.h"
#include "logfile/text.h"
#include "logplay/log_player.h"
#include "messages/message_catalogue.h"
#include "rules/acceptance.h"
#include "score/scoring.h"

namespace {

using Station = std::tuple<std::string, std::string, std::string>;

Station stationKey(const QsoFields& fields)
{
    const StationKey key = stationOf(fields);
    return {std::string(key.workedCallsign), std::string(key.band), std::string(key.mode)};
}

}  // namespace

LogSummary summarizeLog(const ContestLog& log, const std::vector<LoggedQso>& checked,
                        const std::vector<std::string>& countryPrefixes)
{
    LogSummary summary;
    summary.skipped = log.skipped;
    summary.excluded = static_cast<std::size_t>(std::max(log.excludedQsos, 0));
    summary.qsosInFile = log.qsos.size() + log.skipped.size() + summary.excluded;
    summary.notChecked = log.qsos.size() - std::min(checked.size(), log.qsos.size());

    ContestState state;
    // The QSO each station's duplicates repeat: the rules say whether a QSO
    // is one, their key says of which.
    std::map<Station, std::size_t> firstOfStation;
    for (std::size_t i = 0; i < checked.size(); ++i) {
        const QsoFields fields = hostFieldsOf(checked[i], i < countryPrefixes.size() ? countryPrefixes[i] : "");
        const QsoOutcome outcome = playQso(state, fields);
        if (!outcome.accepted()) {
            summary.rejected.push_back({checked[i], trimmed(errorLogMessage(outcome))});
            continue;
        }
        const auto first = firstOfStation.emplace(stationKey(fields), i).first;
        if (outcome.duplicate())
            summary.duplicates.push_back({checked[i], checked[first->second]});
        else
            summary.counted.push_back(checked[i]);
    }
    scoreLog(state);
    summary.multipliers = state.multipliers;
    std::sort(summary.multipliers.begin(), summary.multipliers.end());
    return summary;
}

std::vector<std::pair<std::string, std::size_t>> summaryFigures(const LogSummary& summary, Language language)
{
    std::vector<std::pair<std::string, std::size_t>> figures = {
        {say(MessageId::ReplayQsosInFile, language), summary.qsosInFile},
        {say(MessageId::ReplayNotRead, language), summary.skipped.size()},
    };
    if (summary.excluded > 0)
        figures.emplace_back(say(MessageId::ReplayLeftOutByLog, language), summary.excluded);
    if (summary.notChecked > 0)
        figures.emplace_back(say(MessageId::ReplayLeftOutOfCheck, language), summary.notChecked);
    figures.emplace_back(say(MessageId::ReplayRejectedByRules, language), summary.rejected.size());
    figures.emplace_back(say(MessageId::ReplayDuplicates, language), summary.duplicates.size());
    figures.emplace_back(say(MessageId::ReplayCounted, language), summary.counted.size());
    return figures;
}

void printLogSummary(const LogSummary& summary, Language language, std::ostream& out)
{
    const auto figures = summaryFigures(summary, language);
    for (std::size_t i = 0; i < figures.size(); ++i)
        out << (i == 0 ? "" : "  ") << figures[i].first << ": " << figures[i].second << "\n";
}
