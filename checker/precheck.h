// The one-log check: a participant's file read and every QSO played through
// the plug-in's own rules, as replay.exe plays it through Stats.dll.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "contest/ole_date.h"
#include "logfile/contest_log.h"
#include "logfile/country_prefixes.h"

// What became of a file as a whole.  Only CHECKED logs take part in the
// cross-check; the others are said in the summary and count as no log.
enum class LogState { Checked, Superseded, Empty, NotALog, OtherContest, NoCallsign, NoQsos };
const char* logStateName(LogState state);  // "CHECKED", "SUPERSEDED", "EMPTY", ...

// The Cabrillo header lines the organiser cares about; empty for ADIF.
struct LogHeader {
    std::string contest;
    std::string callsign;
    std::vector<std::pair<std::string, std::string>> categories;  // "CATEGORY-POWER", "LOW"; in file order
    std::optional<int64_t> claimedScore;

    // The value of one CATEGORY- tag ("OPERATOR", "BAND", ...); empty if absent.
    std::string category(const std::string& name) const;
};

// One QSO line of a log, as the plug-in judged it.
struct JudgedQso {
    LoggedQso qso;              // qso.line is the 1-based line in the file
    std::string text;           // the line as it stands in the file
    std::string countryPrefix;  // of the worked station, from cty.dat
    bool readable = true;       // false: a QSO line the reader could not read
    bool accepted = false;      // AddData0 stored it (a duplicate too)
    bool duplicate = false;
    std::string rejection;  // "NO CONTEST BAND", ... or the reader's reason
};

struct LogCheck {
    std::string fileName;
    LogState state = LogState::Checked;
    std::string stateReason;  // why the file is not CHECKED; empty when it is
    std::string callsign;     // the log's own callsign
    LogHeader header;
    std::vector<std::string> headerProblems;  // "no CALLSIGN: line", "unknown CATEGORY-POWER \"HUGE\"", ...
    std::vector<LineMessage> skippedLines;    // lines the reader could not read, with why
    std::vector<LineMessage> warnings;
    std::vector<std::string> notes;
    // In the order played (time order), then the unreadable QSO lines, then
    // those on days outside the options' contest period, not played.
    std::vector<JudgedQso> qsos;

    // What the plug-in says for the whole log, byte for byte as replay.exe
    // gets it from Stats.dll: GetResult0's text and err.txt (CR LF).
    std::string resultsText;
    std::string errorLogText;
    std::optional<int64_t> claimedScore;  // the header's CLAIMED-SCORE
    int32_t computedScore = 0;
};

struct PrecheckOptions {
    std::string ownCallsign;                            // empty: the log's
    std::optional<CivilTime> contestStart, contestEnd;  // empty: the first and last QSO's dates
};

// Reads the log from its bytes and plays every QSO through the plug-in's
// entry points, as replay.exe plays it through Stats.dll.  Never throws for
// what a file holds: a file that is no log, empty, binary, from another
// contest or without an own callsign comes back with that state.
LogCheck precheckLog(const std::string& bytes, const std::string& fileName, const CountryPrefixes& countries,
                     const PrecheckOptions& options = {});
