// The organiser's side of the contest: each participant's log judged by the
// plug-in's own rules (the one-log pre-check), then all logs checked against
// each other (the cross-check), then the reports written.
//
// Portable: the checker program, the contest simulator's tests and the web
// robot all stand on this one library.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "contest/ole_date.h"
#include "logfile/contest_log.h"
#include "logfile/country_prefixes.h"

// ------------------------------------------------------------------ config

struct ContestConfig {
    // The contest period in UTC, start included, end excluded.  Either may be
    // missing; then no QSO falls outside that side of the period.
    std::optional<CivilTime> start, end;
    int toleranceMinutes = 5;
    // Taken off a log's points for each such line, as a multiple of the
    // line's own points; 0 only removes the QSO.
    int nilPenalty = 0;
    int bustedPenalty = 0;
    bool countUniques = true;
};

// A config that cannot be read; the text names the file and line.
class ConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `key = value` lines, ';' comments and blank lines.  Keys: start and end
// ("YYYY-MM-DD HH:MM", UTC), tolerance_minutes, nil_penalty, busted_penalty
// (whole numbers from 0) and count_uniques (yes or no).  Keys not given keep
// their values in `base`.  Throws ConfigError "FILE:LINE: why".
ContestConfig readContestConfig(const std::string& text, const std::string& fileName, ContestConfig base = {});

// One "key=value" given on the command line, read as a line of the file is.
void applyConfigSetting(ContestConfig& config, const std::string& keyValue);

// ------------------------------------------------------- the one-log check

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
    std::string rejection;      // "NO CONTEST BAND", ... or the reader's reason
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

// ---------------------------------------------------------- the cross-check

enum class QsoStatus { Ok, Nil, BustedCall, BustedExch, Unique, NoLog, Dupe, OutOfPeriod, Rejected };
inline constexpr std::size_t kQsoStatusCount = 9;
const char* qsoStatusName(QsoStatus status);  // "OK", "NIL", "BUSTED_CALL", ...

struct QsoVerdict {
    QsoStatus status = QsoStatus::Ok;
    std::string correctCall;      // BUSTED_CALL: the station really worked
    std::string correctExchange;  // BUSTED_EXCH: what that station sent
    std::string matchedLog;       // the other log's callsign, when a line matched
    int matchedLine = 0;          // its line in that file; 0 for none
};

struct LogScore {
    int32_t countedQsos = 0;
    int32_t points = 0;  // after penalties
    int32_t multipliers = 0;
    int64_t verifiedScore = 0;
    int32_t penaltyPoints = 0;
    std::array<int32_t, kQsoStatusCount> statusCounts{};
    int clockOffsetMinutes = 0;  // what the log's clock was ahead of true time
    int offsetMatches = 0;       // matched QSOs the offset was estimated from
};

struct CheckedLog {
    LogCheck log;
    std::vector<QsoVerdict> verdicts;  // one per log.qsos; empty unless CHECKED
    LogScore score;
};

struct CrossCheck {
    ContestConfig config;
    std::vector<CheckedLog> logs;      // every file, in the order given
    std::vector<std::string> summary;  // what the organiser is told at the end
};

struct LogInput {
    std::string fileName;  // as shown in the reports
    std::string bytes;
};

// Called with the number of files read so far, after each file; from the
// worker threads that read them, one call at a time.
using CheckProgress = std::function<void(std::size_t done, std::size_t total)>;

// Judges every file, then every QSO line of every CHECKED log.  When two
// files come from one callsign, the later one in `files` is checked and the
// earlier one is SUPERSEDED.  Never throws for what a file holds.  Each
// file's bytes are let go once it is read: pass the list with std::move to
// keep the memory low.
CrossCheck crossCheck(std::vector<LogInput> files, const ContestConfig& config, const CountryPrefixes& countries,
                      const CheckProgress& progress = nullptr);

// ----------------------------------------------------------------- outputs

// qsos.csv: a header row, then one row per QSO line of every CHECKED log:
// log,line,time,band,mode,call,rcvd_exch,status,correct_call,correct_exch,
// matched_log,matched_line.  UTF-8, rows end in CR LF.
std::string qsosCsv(const CrossCheck& check);
// results.csv: one row per file.
std::string resultsCsv(const CrossCheck& check);
// ubn/<CALLSIGN>.txt of one CHECKED log.
std::string participantReport(const CrossCheck& check, std::size_t logIndex);
// The file name the participant's report gets in ubn/ ("UA3ABC_P.txt").
std::string participantReportName(const std::string& callsign);
// results.html: one page, no scripts, nothing fetched.
std::string resultsHtml(const CrossCheck& check);

// Writes qsos.csv, results.csv, ubn/*.txt and results.html into `folder`,
// creating it.  Throws std::runtime_error naming a file that could not be
// written.
void writeReports(const CrossCheck& check, const std::string& folder);
