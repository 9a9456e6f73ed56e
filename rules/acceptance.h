// Taking QSOs in and out of the log: the contest's acceptance rules, the
// duplicate check and the error-log lines they produce.
#pragma once

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

// 1 when the QSO was stored (a duplicate too), 0 when a rule rejected it.
// Every rejection and every earlier record that makes it a duplicate writes
// one line to the error log.
int addQso(ContestState& state, const ErrorLog& errors, const QsoFields& qso);

// Removes the first record with the same callsign, mode, band and time.
// 0 when an exchange is empty, else 1, found or not.
int removeQso(ContestState& state, const QsoFields& qso);

// What the duplicate check compares: a QSO repeats every earlier stored QSO
// with the same key.  The key points into `qso`.
StationKey stationOf(const QsoFields& qso);

// The message of the first rule the QSO breaks ("   NO CONTEST BAND !!!",
// with the blanks that part it from the QSO in the error log), or null when
// the rules take it in.  addQso rejects by this same test.
const char* rejection(const QsoFields& qso);

// One error-log line for the QSO with the given message.
std::string rejectLine(const QsoFields& qso, const char* message);
