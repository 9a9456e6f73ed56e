// The organiser's contest.ini: the period, the tolerance, the penalties.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "contest/ole_date.h"
#include "logplay/contest_period.h"

struct ContestConfig {
    // The contest's name as the results page heads it.
    std::string name = "ZEMRIX";
    // The contest period in UTC, start included, end excluded.  Either may be
    // missing; then no QSO falls outside that side of the period.
    std::optional<CivilTime> start, end;
    int toleranceMinutes = 5;
    // Taken off a log's points for each such line, as a multiple of the
    // line's own points; 0 only removes the QSO.
    int nilPenalty = 0;
    int bustedPenalty = 0;
    bool countUniques = true;
    // Equal verified scores share a place, unless the organiser names a
    // tie-break; the callsign never decides.
    enum class TieBreak { None, FewerLost };
    TieBreak tieBreak = TieBreak::None;
    // How many logs, the line's own among them, must have worked a call
    // that sent no log before its QSOs stand as NO_LOG; below it they are
    // UNIQUE.
    int minLogsForNoLogCall = 2;
    // Calls whose logs help to check the others but are not ranked.
    std::set<std::string> checklogs;
    // The committee's own verdicts on miscopied calls (see known_busts.h):
    // the file as contest.ini names it, and what it holds, by the call as
    // logged.  A line that logged such a call is matched as the true
    // call's, and is BUSTED_CALL.
    std::string bustedCallsFile;
    std::map<std::string, std::string> knownBusts;
    // The fewest QSO lines a log needs to be ranked among the logs that cost
    // others the most: a share of a handful of lines says little.
    int costRankingMinQsos = 10;
    // Of two logs from one call, the files the organiser chose (by file
    // name); from the command line, not the file.
    std::vector<std::string> chosenLogs;
    // When the check ran, for the results page; from the command line.
    std::optional<CivilTime> checkedAt;

    ContestPeriod period() const { return {start, end}; }
};

// A config that cannot be read; the text names the file and line.
class ConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `key = value` lines, ';' comments and blank lines.  Keys: name, start and
// end ("YYYY-MM-DD HH:MM", UTC), tolerance_minutes, nil_penalty,
// busted_penalty (whole numbers from 0), min_logs_for_no_log_call and
// cost_ranking_min_qsos (up to 1000), count_uniques (yes or no), tie_break
// (none or fewer_lost: the log that lost fewer QSO lines ranks first),
// checklogs (calls, separated by blanks or commas) and busted_calls (a file
// name, read by loadKnownBusts).  Keys not given keep their values in
// `base`.  Throws ConfigError "FILE:LINE: why".
ContestConfig readContestConfig(const std::string& text, const std::string& fileName, ContestConfig base = {});

// "YYYY-MM-DD HH:MM" as contest.ini writes a time.  Throws ConfigError.
CivilTime utcTimeOf(const std::string& value);

// One "key=value" given on the command line, read as a line of the file is.
void applyConfigSetting(ContestConfig& config, const std::string& keyValue);
