// The organiser's cross-check: every participant's log judged alone, then
// every QSO line checked against the other logs, then each log scored.
//
// Portable: the checker program, the contest simulator's tests and the web
// robot all stand on this one library.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "checker/contest_config.h"
#include "checker/precheck.h"
#include "checker/qso_status.h"
#include "score/scoring.h"

inline constexpr uint32_t kNoMatch = UINT32_MAX;

// What the cross-check found of one QSO line.  A contest has a million:
// the log matched is its index, and the one correction, a call or an
// exchange, is held once.
struct QsoVerdict {
    QsoStatus status = QsoStatus::Ok;
    bool correctsTheCall = false;    // `correction` is the call, else the exchange
    int16_t points = 0;              // the line's own points by the rules (1 to 5), counted or not
    uint32_t matchedLog = kNoMatch;  // into CrossCheck::logs, when a line matched
    uint32_t matchedQso = 0;         // into that log's qsos
    int matchedLine = 0;             // its line in that file; 0 for none
    std::string correction;

    // BUSTED_CALL: the station really worked; empty otherwise.
    std::string_view correctCall() const { return correctsTheCall ? correction : std::string_view(); }
    // BUSTED_EXCH: what that station sent; empty otherwise.
    std::string_view correctExchange() const { return correctsTheCall ? std::string_view() : correction; }
    void correctTheCall(std::string_view call)
    {
        correctsTheCall = true;
        correction = call;
    }
    void correctTheExchange(std::string_view exchange)
    {
        correctsTheCall = false;
        correction = exchange;
    }
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
    std::vector<BandScore> bands;  // the counted QSOs band by band, before the penalties
};

struct CheckedLog {
    LogCheck log;
    std::vector<QsoVerdict> verdicts;  // one per log.qsos; empty unless CHECKED
    LogScore score;
};

struct CrossCheck {
    ContestConfig config;
    std::vector<CheckedLog> logs;      // every file, in the order given
    std::vector<Message> notes;        // what the organiser must hear first: choices made for him
    std::vector<std::string> summary;  // what the organiser is told at the end, the notes first
};

// The callsign of the log the verdict was matched with; empty for none.
const std::string& matchedCall(const CrossCheck& check, const QsoVerdict& verdict);

struct LogInput {
    std::string fileName;  // as shown in the reports
    std::string bytes;
};

// Called with the number of files read so far, after each file; from the
// worker threads that read them, one call at a time.
using CheckProgress = std::function<void(std::size_t done, std::size_t total)>;

// Judges every file, then every QSO line of every CHECKED log.  Of several
// files from one callsign, one is checked (see keepOneLogPerCall) and the
// others are SUPERSEDED.  Never throws for what a file holds.  Each
// file's bytes are let go once it is read: pass the list with std::move to
// keep the memory low.
CrossCheck crossCheck(std::vector<LogInput> files, const ContestConfig& config, const CountryPrefixes& countries,
                      const CheckProgress& progress = nullptr);
