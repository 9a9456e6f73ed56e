#include "log_summary.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "contest/file_system.h"
#include "contest/state.h"
#include "logfile/text.h"
#include "rules/acceptance.h"
#include "score/scoring.h"

namespace {

// The rules write err.txt as they go; the summary keeps its own account, so
// their lines go nowhere.  A nonzero size spares the error log its check
// that the file exists.
class NoFiles final : public FileSystem {
public:
    std::optional<std::string> read(const std::string&) override { return std::nullopt; }
    std::optional<std::uint64_t> size(const std::string&) override { return 1; }
    FileStatus write(const std::string&, const std::string&) override { return FileStatus::success(); }
    FileStatus append(const std::string&, const std::string&) override { return FileStatus::success(); }
    FileStatus truncate(const std::string&, std::uint64_t) override { return FileStatus::success(); }
    FileStatus replace(const std::string&, const std::string&) override { return FileStatus::success(); }
    void remove(const std::string&) override {}
};

// The fields the host would pass for the QSO.
QsoFields fieldsOf(const LoggedQso& qso, const std::string& countryPrefix)
{
    QsoFields fields;
    fields.ownCallsign = qso.ownCallsign;
    fields.workedCallsign = qso.workedCallsign;
    fields.time = {oleDateFromCivilTime(qso.time), OleDateTime::Valid};
    fields.frequencyHz = qso.frequencyHz;
    fields.mode = qso.mode;
    fields.rstSent = qso.rstSent;
    fields.rstReceived = qso.rstReceived;
    fields.exchangeSent = qso.exchangeSent;
    fields.exchangeReceived = qso.exchangeReceived;
    fields.countryPrefix = countryPrefix;
    fields.band = qso.band;
    return fields;
}

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

    NoFiles files;
    const ErrorLog errors(files);
    ContestState state;
    // The QSO each station's duplicates repeat: the rules say whether a QSO
    // is one, their key says of which.
    std::map<Station, std::size_t> firstOfStation;
    for (std::size_t i = 0; i < checked.size(); ++i) {
        const QsoFields fields = fieldsOf(checked[i], i < countryPrefixes.size() ? countryPrefixes[i] : "");
        if (addQso(state, errors, fields) == 0) {
            summary.rejected.push_back({checked[i], trimmed(rejection(fields))});
            continue;
        }
        const auto first = firstOfStation.emplace(stationKey(fields), i).first;
        if (state.log.back().isDuplicate != 0)
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
        {inLanguage(language, "QSOs in the file", "QSO в файле"), summary.qsosInFile},
        {inLanguage(language, "not read", "не прочитаны"), summary.skipped.size()},
    };
    if (summary.excluded > 0)
        figures.emplace_back(
            inLanguage(language, "left out by the log itself (X-QSO)", "исключены самим журналом (X-QSO)"),
            summary.excluded);
    if (summary.notChecked > 0)
        figures.emplace_back(inLanguage(language, "left out of the check", "не проверялись"), summary.notChecked);
    figures.emplace_back(inLanguage(language, "rejected by the rules", "отклонены правилами"), summary.rejected.size());
    figures.emplace_back(inLanguage(language, "duplicates", "повторы"), summary.duplicates.size());
    figures.emplace_back(inLanguage(language, "counted in the score", "засчитаны"), summary.counted.size());
    return figures;
}

void printLogSummary(const LogSummary& summary, Language language, std::ostream& out)
{
    const auto figures = summaryFigures(summary, language);
    for (std::size_t i = 0; i < figures.size(); ++i)
        out << (i == 0 ? "" : "  ") << figures[i].first << ": " << figures[i].second << "\n";
}
