// The one place where the robot calls the checker: its types stay here.
#include "robot/precheck.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "checker/cross_check.h"
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
    std::ifstream in(contestIni, std::ios::binary);
    if (!in)
        throw std::runtime_error(contestIni + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return readContestConfig(text.str(), contestIni);
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

}  // namespace

LogChecker::LogChecker(const std::string& countryFile, const std::string& contestIni)
    : rules_(new Rules{CountryPrefixes::load(countryFile), readContest(contestIni)})
{
}

LogChecker::~LogChecker() = default;

Precheck LogChecker::precheck(const std::string& bytes, const std::string& fileName) const
{
    PrecheckOptions options;
    options.contestStart = rules_->contest.start;
    options.contestEnd = rules_->contest.end;
    const LogCheck check = precheckLog(bytes, fileName, rules_->countries, options);

    Precheck precheck;
    precheck.refusal = refusalOf(check.state);
    if (!precheck.accepted())
        precheck.refusalDetail = check.stateReason->english();
    precheck.callsign = check.callsign;
    precheck.category = categoryLine(check.header);
    for (const Message& problem : check.headerProblems)
        precheck.headerProblems.push_back(problem.english());
    if (check.state == LogState::NoQsos)
        precheck.headerProblems.push_back(check.stateReason->english());
    precheck.qsoLines = static_cast<int>(check.qsos.size());
    if (check.claimedScore)
        precheck.claimedScore = *check.claimedScore;
    precheck.computedScore = check.computedScore;
    precheck.resultsText = check.resultsText;
    precheck.errorLines = check.errorLogText;
    std::set<std::string> worked;
    for (const JudgedQso& judged : check.qsos) {
        if (!judged.accepted) {
            precheck.rejectedLines.push_back({judged.qso.line, judged.text, judged.rejection->english()});
            continue;
        }
        if (!judged.qso.workedCallsign.empty())
            worked.insert(judged.qso.workedCallsign);
    }
    std::sort(precheck.rejectedLines.begin(), precheck.rejectedLines.end(),
              [](const RejectedLine& a, const RejectedLine& b) { return a.line < b.line; });
    precheck.workedCallsigns.assign(worked.begin(), worked.end());
    return precheck;
}

std::string LogChecker::crossCheck(const std::vector<LogToCheck>& logs, const std::string& outDir) const
{
    std::vector<LogInput> files;
    files.reserve(logs.size());
    for (const LogToCheck& log : logs)
        files.push_back({log.fileName, log.bytes});
    try {
        writeReports(::crossCheck(files, rules_->contest, rules_->countries), outDir);
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}
