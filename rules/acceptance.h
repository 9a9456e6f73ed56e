// Taking QSOs in and out of the log: the contest's acceptance rules, the
// duplicate check and the error-log lines they produce.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "contest/state.h"
#include "rules/error_log.h"
#include "contest/ole_date.h"

// The arguments of one AddData0 or RemoveData0 call, copied from the host.
struct QsoFields {
    std::string ownCallsign;
    std::string workedCallsign;
    OleDateTime time;
    uint32_t frequencyHz = 0;
    std::string mode;
    std::string rstSent;
    std::string rstReceived;
    std::string exchangeSent;
    std::string exchangeReceived;
    std::string countryPrefix;
    std::string band;
};

// Why the rules refuse a QSO; they test in this order and name the first
// rule broken.
enum class Rejection { None, NoContestBand, NoTestMode, NoRxNumber };

// What became of one QSO played through the rules.
struct QsoOutcome {
    Rejection rejection = Rejection::None;
    // Stored QSOs of the same station, band and mode that came before it.
    // Any makes it a duplicate, and each is one line of the error log.
    // 32 bits, as the host's own counts: the checker keeps one per line.
    uint32_t earlierMatches = 0;

    bool accepted() const { return rejection == Rejection::None; }
    bool duplicate() const { return accepted() && earlierMatches > 0; }
};

// The first rule the QSO breaks, or None when the rules take it in.
Rejection rejection(const QsoFields& qso);

// Stores the QSO in the log, a duplicate too, unless a rule rejects it.
// Writes nothing: what happened comes back as a value, for the error log or
// for any program that plays a log through the rules.
QsoOutcome playQso(ContestState& state, const QsoFields& qso);

// The rules' words for a rejection: "NO CONTEST BAND"; empty for None.
const char* rejectionWords(Rejection rejection);

// The error log's message for the outcome, with the blanks that part it
// from the QSO: "   NO CONTEST BAND !!!", "   DUPE !!!"; empty for a QSO
// stored as new.
std::string errorLogMessage(const QsoOutcome& outcome);

// How many error-log lines the outcome makes: one per rejection, one per
// earlier match of a duplicate (the operator sees how often the station is
// already in the log), none for a new QSO.
std::size_t errorLogLineCount(const QsoOutcome& outcome);

// One error-log line for the QSO with the given message.
std::string rejectLine(const QsoFields& qso, const char* message);

// playQso, then the outcome's lines appended to the error log.  1 when the
// QSO was stored (a duplicate too), 0 when a rule rejected it.
int addQso(ContestState& state, const ErrorLog& errors, const QsoFields& qso);

// Removes the first record with the same callsign, mode, band and time.
// 0 when an exchange is empty, else 1, found or not.
int removeQso(ContestState& state, const QsoFields& qso);

// What the duplicate check compares: a QSO repeats every earlier stored QSO
// with the same key.  The key points into `qso`.
StationKey stationOf(const QsoFields& qso);
