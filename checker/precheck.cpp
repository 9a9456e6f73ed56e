// The one-log check: the log played through the plug-in's own entry points
// on a platform of the checker's, call for call as replay.exe plays it
// through Stats.dll, so that the results text and err.txt are the DLL's.
#include "checker/precheck.h"

#include <algorithm>

#include "checker/checker_platform.h"
#include "logfile/log_file.h"
#include "logfile/log_plan.h"
#include "logfile/text.h"
#include "plugin/entry_points.h"

namespace {

// The file's lines as they stand, without their line ends; line n is [n - 1].
std::vector<std::string> fileLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string lineText(const std::vector<std::string>& lines, int line)
{
    return line >= 1 && static_cast<std::size_t>(line) <= lines.size() ? lines[line - 1] : std::string();
}

bool isCabrillo(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        const std::string content = trimmed(line);
        if (!content.empty())
            return upperCase(content).rfind("START-OF-LOG:", 0) == 0;
    }
    return false;
}

// What the checker needs of the header the reader kept.
LogHeader cabrilloHeader(const ContestLog& log, std::vector<std::string>& problems)
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
            problems.push_back("CLAIMED-SCORE \"" + value + "\" is not a whole number");
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

void checkCategories(const LogHeader& header, std::vector<std::string>& problems)
{
    for (const auto& [tag, value] : header.categories)
        for (const KnownCategory& known : kKnownCategories)
            if (tag == known.tag && !isKnownValue(known.values, value))
                problems.push_back("unknown " + tag + " \"" + value + "\"");
}

bool isZemrix(const std::string& contest) { return upperCase(contest).find("ZEMRIX") != std::string::npos; }

bool isBlankFile(const std::string& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return isBlank(c) || c == '\0'; });
}

HostDateTime hostTime(const std::optional<CivilTime>& time)
{
    if (!time)
        return {0.0, OleDateTime::Null};
    return {oleDateFromCivilTime(*time), OleDateTime::Valid};
}

// "QSO:  3551  CW  ...   NO RX NUMBER !!!" -> "NO RX NUMBER": the message
// follows the line's last run of three blanks.
std::string rejectionReason(std::string line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    const auto at = line.rfind("   ");
    std::string reason = at == std::string::npos ? line : line.substr(at + 3);
    const std::string bangs = " !!!";
    if (reason.size() >= bangs.size() && reason.compare(reason.size() - bangs.size(), bangs.size(), bangs) == 0)
        reason.erase(reason.size() - bangs.size());
    return reason;
}

// One AddData0 call as replay.exe makes it; notes what the plug-in made of
// the QSO from its answer, the err.txt it grew and the record it stored.
void playQso(EntryPoints& plugin, MemoryFileSystem& files, JudgedQso& judged)
{
    const LoggedQso& qso = judged.qso;
    const HostDateTime time = hostTime(qso.time);
    HostQso host;
    host.ownCallsign = qso.ownCallsign.c_str();
    host.workedCallsign = qso.workedCallsign.c_str();
    host.time = &time;
    host.frequencyHz = qso.frequencyHz;
    host.mode = qso.mode.c_str();
    host.rstSent = qso.rstSent.c_str();
    host.rstReceived = qso.rstReceived.c_str();
    host.exchangeSent = qso.exchangeSent.c_str();
    host.exchangeReceived = qso.exchangeReceived.c_str();
    host.countryPrefix = judged.countryPrefix.c_str();
    host.band = qso.band.c_str();

    const std::uint64_t errorsBefore = files.size(kErrorLogFile).value_or(0);
    judged.accepted = plugin.addData(host) != 0;
    if (judged.accepted) {
        judged.duplicate = plugin.state().log.back().isDuplicate != 0;
    } else {
        const std::string errors = files.read(kErrorLogFile).value_or("");
        judged.rejection = rejectionReason(errors.substr(std::min<std::uint64_t>(errorsBefore, errors.size())));
    }
}

void play(LogCheck& check, const ReplayPlan& plan)
{
    CheckerPlatform platform;
    EntryPoints plugin(platform);
    const HostDateTime start = hostTime(plan.contestStart), end = hostTime(plan.contestEnd);
    plugin.resetStats(0, plan.ownCallsign.c_str(), &start, &end, plan.ownCountryPrefix.c_str());
    for (std::size_t i = 0; i < plan.qsos.size(); ++i) {
        JudgedQso& judged = check.qsos[i];
        judged.qso = plan.qsos[i];
        judged.countryPrefix = plan.countryPrefixes[i];
        playQso(plugin, platform.memoryFiles(), judged);
    }
    int unused = 0;
    check.resultsText = plugin.getResult(&unused, 1);
    check.computedScore = plugin.state().claimedScore;
    check.errorLogText = platform.memoryFiles().read(kErrorLogFile).value_or("");
}

// A skipped line counts as a QSO line when it is one: every ADIF record, a
// Cabrillo line that begins QSO:.
bool isQsoLine(const std::string& text, bool cabrillo)
{
    return !cabrillo || upperCase(trimmed(text)).rfind("QSO:", 0) == 0;
}

void setState(LogCheck& check, LogState state, std::string reason)
{
    if (check.state != LogState::Checked)
        return;
    check.state = state;
    check.stateReason = std::move(reason);
}

}  // namespace

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
        setState(check, LogState::Empty, "empty file");
        return check;
    }
    ContestLog log;
    try {
        log = readContestLog(bytes, fileName);
    } catch (const LogFileError& error) {
        const std::string said = error.what(), lead = fileName + ": ";
        setState(check, LogState::NotALog, said.rfind(lead, 0) == 0 ? said.substr(lead.size()) : said);
        return check;
    }
    const std::vector<std::string> lines = fileLines(logFileText(bytes));
    const bool cabrillo = isCabrillo(lines);
    if (cabrillo) {
        check.header = cabrilloHeader(log, check.headerProblems);
        checkCategories(check.header, check.headerProblems);
        if (check.header.callsign.empty())
            check.headerProblems.push_back("no CALLSIGN: line");
        if (!check.header.contest.empty() && !isZemrix(check.header.contest))
            setState(check, LogState::OtherContest, "CONTEST: " + check.header.contest + ", not ZEMRIX");
        else if (check.header.callsign.empty())
            setState(check, LogState::NoCallsign, "no CALLSIGN: line");
    }
    check.claimedScore = check.header.claimedScore;
    check.skippedLines = log.skipped;
    check.warnings = log.warnings;
    check.notes = log.notes;

    LogPlanOptions planOptions;
    planOptions.ownCallsign = upperCase(options.ownCallsign);
    planOptions.contestStart = options.contestStart;
    planOptions.contestEnd = options.contestEnd;
    std::vector<LoggedQso> leftOut;
    try {
        const ReplayPlan plan = planReplay(log, planOptions, countries);
        check.callsign = plan.ownCallsign;
        check.qsos.resize(plan.qsos.size());
        play(check, plan);
        leftOut = plan.outsideContest;
    } catch (const LogPlanError&) {
        setState(check, LogState::NoCallsign, "no own callsign in the log");
    }
    for (const LineMessage& skipped : log.skipped) {
        const std::string text = lineText(lines, skipped.line);
        if (!isQsoLine(text, cabrillo))
            continue;
        JudgedQso unreadable;
        unreadable.qso.line = skipped.line;
        unreadable.text = text;
        unreadable.readable = false;
        unreadable.rejection = skipped.text;
        check.qsos.push_back(std::move(unreadable));
    }
    for (JudgedQso& judged : check.qsos)
        if (judged.readable)
            judged.text = lineText(lines, judged.qso.line);
    if (check.qsos.empty())
        setState(check, LogState::NoQsos, "no QSOs");
    // Not played, yet lines of the log: the participant should see them.
    for (LoggedQso& qso : leftOut) {
        JudgedQso outside;
        outside.text = lineText(lines, qso.line);
        outside.qso = std::move(qso);
        outside.rejection = "outside the contest period";
        check.qsos.push_back(std::move(outside));
    }
    return check;
}
