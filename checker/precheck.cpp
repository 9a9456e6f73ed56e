// The one-log check: the log played through the plug-in's own rules, call
// for call as replay.exe plays it through Stats.dll, so that the results
// text and err.txt are the DLL's.
#include "checker/precheck.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "logfile/log_file.h"
#include "logfile/text.h"
#include "logplay/log_plan.h"
#include "logplay/log_player.h"
#include "rules/reset.h"

namespace {

// Where each of the file's lines begins: line n at [n - 1].  An index, not
// a copy of the lines, for a log of millions of them.
std::vector<std::size_t> lineStarts(const std::string& text)
{
    std::vector<std::size_t> starts;
    for (std::size_t start = 0; start < text.size();) {
        starts.push_back(start);
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return starts;
}

// The file's lines, each as it stands without its line end.
class FileLines {
public:
    explicit FileLines(const std::string& text) : text_(text), starts_(lineStarts(text)) {}

    // Line n; empty for a line not in the file.
    std::string_view operator[](int line) const
    {
        if (line < 1 || static_cast<std::size_t>(line) > starts_.size())
            return {};
        const std::size_t start = starts_[line - 1];
        std::size_t end = std::min(text_.find('\n', start), text_.size());
        if (end > start && text_[end - 1] == '\r')
            --end;
        return std::string_view(text_).substr(start, end - start);
    }

private:
    const std::string& text_;
    std::vector<std::size_t> starts_;
};

// What the checker needs of the header the reader kept.
LogHeader cabrilloHeader(const ContestLog& log, std::vector<Message>& problems)
{
    LogHeader header;
    for (const auto& [tag, value] : log.header) {
        if (tag == "CONTEST")
            header.contest = value;
        else if (tag == "CALLSIGN")
            header.callsign = upperCase(value);
        else if (tag.rfind("CATEGORY-", 0) == 0)
            header.categories.emplace_back(tag, upperCase(value));
        else if (tag == "CLAIMED-SCORE" && allDigits(value) && value.size() <= 12)
            header.claimedScore = std::stoll(value);
        else if (tag == "CLAIMED-SCORE")
            problems.push_back({MessageId::ClaimedScoreNotANumber, {value}});
    }
    return header;
}

struct KnownCategory {
    const char* tag;
    const char* const* values;
};
const KnownCategory kKnownCategories[] = {{"CATEGORY-OPERATOR", kOperatorCategories},
                                          {"CATEGORY-BAND", kBandCategories},
                                          {"CATEGORY-MODE", kModeCategories},
                                          {"CATEGORY-POWER", kPowerCategories}};

bool isKnownValue(const char* const* values, const std::string& value)
{
    for (; *values; ++values)
        if (value == *values)
            return true;
    return false;
}

void checkCategories(const LogHeader& header, std::vector<Message>& problems)
{
    for (const auto& [tag, value] : header.categories)
        for (const KnownCategory& known : kKnownCategories)
            if (tag == known.tag && !isKnownValue(known.values, value))
                problems.push_back({MessageId::UnknownHeaderValue, {tag, value}});
}

bool isZemrix(const std::string& contest) { return upperCase(contest).find("ZEMRIX") != std::string::npos; }

bool isBlankFile(const std::string& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return isBlank(c) || c == '\0'; });
}

void play(LogCheck& check, ReplayPlan& plan, const FileLines& lines, bool results)
{
    LogPlayer player(plan);
    check.qsos.resize(plan.qsos.size());
    for (std::size_t i = 0; i < plan.qsos.size(); ++i) {
        JudgedQso& judged = check.qsos[i];
        const LoggedQso& qso = plan.qsos[i];
        judged.qso = QsoRecord(qso, plan.countryPrefixes[i], lines[qso.line]);
        judged.outcome = player.play(qso, plan.countryPrefixes[i]);
        judged.played = true;
        if (!judged.outcome.accepted())
            judged.rejection = std::make_shared<const Message>(
                Message{MessageId::RulesRefusal, {rejectionWords(judged.outcome.rejection)}});
    }
    if (!results)
        return;
    check.resultsText = player.resultsText();
    check.computedScore = player.claimedScore();
}

// A skipped line counts as a QSO line when it is one: every ADIF record, a
// Cabrillo line that begins QSO:.
bool isQsoLine(std::string_view text, bool cabrillo)
{
    return !cabrillo || upperCase(trimmed(std::string(text))).rfind("QSO:", 0) == 0;
}

void setState(LogCheck& check, LogState state, Message reason)
{
    if (check.state != LogState::Checked)
        return;
    check.state = state;
    check.stateReason = std::move(reason);
}

}  // namespace

void replayInPeriod(LogCheck& log, const std::function<bool(const QsoRecord&)>& inPeriod)
{
    // The rules judge a QSO by the earlier QSOs of its station alone (its
    // worked call, band and mode): only the QSOs of a call worked outside
    // the period can change, and they are played again by themselves.
    std::vector<bool> inside(log.qsos.size());
    std::unordered_set<std::string_view> callsWorkedOutside;
    for (std::size_t q = 0; q < log.qsos.size(); ++q) {
        const JudgedQso& judged = log.qsos[q];
        inside[q] = judged.played && inPeriod(judged.qso);
        if (judged.played && !inside[q])
            callsWorkedOutside.insert(judged.qso.workedCallsign());
    }
    LogPlayer player;
    for (std::size_t q = 0; q < log.qsos.size(); ++q) {
        JudgedQso& judged = log.qsos[q];
        if (inside[q] && callsWorkedOutside.count(judged.qso.workedCallsign()) != 0)
            judged.outcome = player.play(judged.qso.logged(), std::string(judged.qso.countryPrefix()));
    }
}

void forEachErrorLogLine(const LogCheck& log,
                         const std::function<void(const std::string& line, std::size_t count)>& visit)
{
    visit(kErrorLogHeader, 1);
    for (const JudgedQso& judged : log.qsos)
        if (judged.played && errorLogLineCount(judged.outcome) > 0)
            visit(rejectLine(hostFieldsOf(judged.qso.logged(), std::string(judged.qso.countryPrefix())),
                             errorLogMessage(judged.outcome).c_str()),
                  errorLogLineCount(judged.outcome));
}

std::string LogHeader::category(const std::string& name) const
{
    for (const auto& [tag, value] : categories)
        if (tag == "CATEGORY-" + name)
            return value;
    return {};
}

LogCheck precheckLog(const std::string& bytes, const std::string& fileName, const CountryPrefixes& countries,
                     const PrecheckOptions& options)
{
    LogCheck check;
    check.fileName = fileName;
    if (isBlankFile(bytes)) {
        setState(check, LogState::Empty, {MessageId::EmptyFile});
        return check;
    }
    ContestLog log;
    try {
        log = readContestLog(bytes, fileName);
    } catch (const LogFileError& error) {
        setState(check, LogState::NotALog, error.why());
        return check;
    }
    const std::string text = logFileText(bytes);
    const bool cabrillo = isCabrilloText(text);
    if (cabrillo) {
        check.header = cabrilloHeader(log, check.headerProblems);
        checkCategories(check.header, check.headerProblems);
        if (check.header.callsign.empty())
            check.headerProblems.push_back({MessageId::NoCallsignLine});
        if (!check.header.contest.empty() && !isZemrix(check.header.contest))
            setState(check, LogState::OtherContest, {MessageId::OtherContest, {check.header.contest}});
        else if (check.header.callsign.empty())
            setState(check, LogState::NoCallsign, {MessageId::NoCallsignLine});
    }
    check.claimedScore = check.header.claimedScore;
    check.skippedLines = log.skipped;
    check.warnings = log.warnings;
    check.notes = log.notes;

    LogPlanOptions planOptions;
    planOptions.ownCallsign = upperCase(options.ownCallsign);
    planOptions.contestStart = options.period.start;
    planOptions.contestEnd = options.period.end;
    planOptions.period = options.period;
    // Room for the unreadable lines too: one more at the end would double
    // the room of the whole log.
    check.qsos.reserve(log.qsos.size() + log.skipped.size());
    const FileLines lines(text);
    std::vector<LoggedQso> leftOut;
    try {
        // The plan takes the QSOs over: a log of millions of lines keeps one
        // copy of them, not two, while the rules play them.
        ReplayPlan plan = planReplay(std::move(log), planOptions, countries);
        check.callsign = plan.ownCallsign;
        play(check, plan, lines, options.results);
        leftOut = std::move(plan.outsideContest);
    } catch (const LogPlanError&) {
        setState(check, LogState::NoCallsign, {MessageId::NoOwnCallsign});
    }
    for (const LineMessage& skipped : check.skippedLines) {
        const std::string_view quoted = lines[skipped.line];
        if (!isQsoLine(quoted, cabrillo))
            continue;
        JudgedQso unreadable;
        unreadable.qso = QsoRecord(skipped.line, quoted);
        unreadable.readable = false;
        unreadable.rejection = std::make_shared<const Message>(skipped.message);
        check.qsos.push_back(std::move(unreadable));
    }
    if (check.qsos.empty())
        setState(check, LogState::NoQsos, {MessageId::NoQsos});
    // Not played, yet lines of the log: the participant should see them.
    for (const LoggedQso& qso : leftOut) {
        JudgedQso outside;
        outside.qso = QsoRecord(qso, "", lines[qso.line]);
        outside.rejection = std::make_shared<const Message>(Message{MessageId::StatusOutOfPeriod});
        check.qsos.push_back(std::move(outside));
    }
    return check;
}
