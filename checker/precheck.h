// The one-log check: a participant's file read and every QSO played through
// the plug-in's own rules, as replay.exe plays it through Stats.dll.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "checker/qso_record.h"
#include "contest/ole_date.h"
#include "logfile/contest_log.h"
#include "logfile/country_prefixes.h"
#include "logplay/contest_period.h"
#include "rules/acceptance.h"

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
    QsoRecord qso;  // qso.line is the 1-based line in the file
    // The rules' "NO CONTEST BAND", ... or why it was not played; null for
    // the many lines the rules took.  Shared, not held inline: a million
    // lines would carry 48 empty bytes each.
    std::shared_ptr<const Message> rejection;
    QsoOutcome outcome;         // what the rules made of it, when played
    bool readable = true;       // false: a QSO line the reader could not read
    bool played = false;        // through the rules: readable, and not left out of the period

    // The rules stored it (a duplicate too).
    bool accepted() const { return played && outcome.accepted(); }
    bool duplicate() const { return played && outcome.duplicate(); }
};

struct LogCheck {
    std::string fileName;
    LogState state = LogState::Checked;
    std::optional<Message> stateReason;  // why the file is not CHECKED; none when it is
    std::string callsign;     // the log's own callsign
    LogHeader header;
    std::vector<Message> headerProblems;    // "no CALLSIGN: line", "unknown CATEGORY-POWER \"HUGE\"", ...
    std::vector<LineMessage> skippedLines;    // lines the reader could not read, with why
    std::vector<LineMessage> warnings;
    std::vector<std::string> notes;
    // In the order played (time order), then the unreadable QSO lines, then
    // those on days outside the options' contest period, not played.
    std::vector<JudgedQso> qsos;

    // GetResult0's text for the log, byte for byte as replay.exe gets it
    // from Stats.dll (empty when the options asked for no results).
    // err.txt is not kept: forEachErrorLogLine makes it.
    std::string resultsText;
    std::optional<int64_t> claimedScore;  // the header's CLAIMED-SCORE
    int32_t computedScore = 0;
};

struct PrecheckOptions {
    std::string ownCallsign;  // empty: the log's
    // QSOs outside it are left out; an open side takes the first or last
    // QSO's date for the results text.
    ContestPeriod period;
    // The results text and the computed score; the cross-check, which
    // reports neither, spares itself the scoring pass.
    bool results = true;
};

// Reads the log from its bytes and plays every QSO through the plug-in's
// rules, as replay.exe plays it through Stats.dll.  Never throws for
// what a file holds: a file that is no log, empty, binary, from another
// contest or without an own callsign comes back with that state.
LogCheck precheckLog(const std::string& bytes, const std::string& fileName, const CountryPrefixes& countries,
                     const PrecheckOptions& options = {});

// Plays the log's readable QSOs again through the rules, the ones `inPeriod`
// takes, and keeps the earlier outcome of the others: once the clock is
// known, the QSOs outside the period must not make those inside repeats.
void replayInPeriod(LogCheck& log, const std::function<bool(const QsoRecord&)>& inPeriod);

// err.txt as Stats.dll writes it for the log, made from the outcomes: the
// header line, then each played QSO's lines in play order, without line
// ends.  A duplicate's line comes once with its count, one per earlier
// match: a log of repeats makes lines with the square of its QSOs, so a
// caller that keeps them all keeps that much.
void forEachErrorLogLine(const LogCheck& log,
                         const std::function<void(const std::string& line, std::size_t count)>& visit);
