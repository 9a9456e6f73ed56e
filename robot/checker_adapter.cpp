// The one place where the robot calls the checker: its types stay here.
#include "robot/precheck.h"

#include <algorithm>
#include <set>

#include "base/whole_file.h"
#include "checker/cross_check.h"
#include "checker/log_intake.h"
#include "checker/reports.h"

struct LogChecker::Rules {
    CountryPrefixes countries;
    ContestConfig contest;
};

namespace {

ContestConfig readContest(const std::string& contestIni)
{
    if (contestIni.empty())
        return {};
    return readContestConfig(readWholeFile(contestIni), contestIni);
}

Refusal refusalOf(LogState state)
{
    switch (state) {
    case LogState::Empty:
    case LogState::NotALog:
        return Refusal::NotALog;
    case LogState::NoCallsign:
        return Refusal::NoCallsign;
    case LogState::OtherContest:
        return Refusal::OtherContest;
    case LogState::Checked:
    case LogState::Superseded:
    case LogState::NoQsos:
        break;
    }
    return Refusal::None;
}

std::string categoryLine(const LogHeader& header)
{
    std::string line;
    for (const auto& category : header.categories) {
        if (category.second.empty())
            continue;
        if (!line.empty())
            line += ' ';
        line += category.second;
    }
    return line;
}

// Letters and digits in parts joined by single slashes: UA9ABC, UA9ABC/P,
// VP2E/W1ABC.  Report files and addresses are made of callsigns.
bool isCallsign(const std::string& call)
{
    return !call.empty() && call.size() <= kLongestCallsign && call.front() != '/' && call.back() != '/' &&
           call.find("//") == std::string::npos &&
           call.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/") == std::string::npos;
}

BothLanguages inBothLanguages(const Message& message)
{
    return {message.in(Language::English), message.in(Language::Russian)};
}

bool isReadable(const JudgedQso& judged)
{
    return judged.readable;
}

// "2024-12-21", or the first and the last date of the readable QSO lines.
std::string qsoDates(const LogCheck& check)
{
    std::set<std::string> dates;
    for (const JudgedQso& judged : check.qsos)
        if (judged.readable)
            dates.insert(formatCivilTime(judged.qso.time(), "%Y-%m-%d"));
    if (dates.size() < 2)
        return dates.empty() ? std::string() : *dates.begin();
    return *dates.begin() + " – " + *dates.rbegin();
}

std::string contestPeriod(const ContestConfig& contest)
{
    const auto minute = [](const std::optional<CivilTime>& time) {
        return time ? formatCivilTime(*time, "%Y-%m-%d %H:%M") : std::string();
    };
    return minute(contest.start) + " – " + minute(contest.end) + " UTC";
}

// What the robot refuses beyond the checker's own verdict: a name the
// reports can't be filed under, a log that is someone else's by its own
// lines, a log with nothing in the contest to check.
void refuseForTheRobot(const LogCheck& check, const ContestConfig& contest, Precheck& precheck)
{
    if (!precheck.accepted())
        return;
    if (!isCallsign(check.callsign)) {
        precheck.refusal = Refusal::BadCallsign;
        return;
    }
    const std::string qsoCallsign = callOfTheQsoLines(check);
    if (!qsoCallsign.empty()) {
        precheck.refusal = Refusal::CallsignMismatch;
        precheck.qsoCallsign = qsoCallsign;
        return;
    }
    if (std::none_of(check.qsos.begin(), check.qsos.end(), isReadable)) {
        precheck.refusal = Refusal::NoReadableQso;
        return;
    }
    const ContestPeriod period = contest.period();
    if (std::none_of(check.qsos.begin(), check.qsos.end(),
                     [&](const JudgedQso& judged) { return judged.readable && period.contains(judged.qso.time()); })) {
        precheck.refusal = Refusal::NoQsoInPeriod;
        precheck.qsoDates = qsoDates(check);
        precheck.contestPeriod = contestPeriod(contest);
    }
}

}  // namespace

LogChecker::LogChecker(const std::string& countryFile, const std::string& contestIni)
    : rules_(new Rules{CountryPrefixes::load(countryFile), readContest(contestIni)})
{
}

LogChecker::~LogChecker() = default;

Precheck LogChecker::precheck(const std::string& bytes, const std::string& fileName) const
{
    PrecheckOptions options;
    options.period = rules_->contest.period();
    const LogCheck check = precheckLog(bytes, fileName, rules_->countries, options);

    Precheck precheck;
    precheck.refusal = refusalOf(check.state);
    if (!precheck.accepted())
        precheck.refusalDetail = inBothLanguages(*check.stateReason);
    precheck.callsign = check.callsign;
    refuseForTheRobot(check, rules_->contest, precheck);
    precheck.category = categoryLine(check.header);
    for (const Message& problem : check.headerProblems)
        precheck.headerProblems.push_back(inBothLanguages(problem));
    precheck.qsoLines = static_cast<int>(check.qsos.size());
    if (check.claimedScore)
        precheck.claimedScore = *check.claimedScore;
    precheck.computedScore = check.computedScore;
    precheck.resultsText = check.resultsText;
    // Each line once: a log of repeats gives a duplicate a line per earlier
    // match, and a page of those grows with the square of the upload.
    forEachErrorLogLine(check, [&](const std::string& line, std::size_t) { precheck.errorLines += line + "\r\n"; });
    std::set<std::string> worked;
    for (const JudgedQso& judged : check.qsos) {
        if (!judged.accepted()) {
            precheck.rejectedLines.push_back(
                {judged.qso.line, std::string(judged.qso.text()), inBothLanguages(*judged.rejection)});
            continue;
        }
        if (!judged.qso.workedCallsign().empty())
            worked.emplace(judged.qso.workedCallsign());
    }
    std::sort(precheck.rejectedLines.begin(), precheck.rejectedLines.end(),
              [](const RejectedLine& a, const RejectedLine& b) { return a.line < b.line; });
    precheck.workedCallsigns.assign(worked.begin(), worked.end());
    return precheck;
}

void LogChecker::crossCheck(const std::vector<LogToCheck>& logs, const std::string& outDir) const
{
    std::vector<LogInput> files;
    files.reserve(logs.size());
    for (const LogToCheck& log : logs)
        files.push_back({log.fileName, log.bytes});
    writeReports(::crossCheck(files, rules_->contest, rules_->countries), outDir);
}
