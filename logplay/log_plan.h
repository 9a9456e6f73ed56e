// How a log turns into the calls a host makes into the plug-in: the own
// callsign and its country, the contest's days, each QSO's worked station's
// country prefix, and the QSOs outside the contest left out.  Every program
// that plays a log through the rules plans it here.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "logfile/contest_log.h"
#include "logfile/country_prefixes.h"
#include "logplay/contest_period.h"

// A log that cannot be played: it names no own callsign and none was given.
class LogPlanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LogPlanOptions {
    std::string ownCallsign;       // empty: from the log; else in upper case
    std::string ownCountryPrefix;  // empty: the own callsign's country
    // What the rules are told at the reset (the results text shows their
    // dates); empty: the first and last QSO's dates.
    std::optional<CivilTime> contestStart, contestEnd;
    ContestPeriod period;  // QSOs outside it are left out
};

struct ReplayPlan {
    std::string ownCallsign;
    std::string ownCountryPrefix;
    std::optional<CivilTime> contestStart, contestEnd;  // empty: no QSO to take them from
    std::vector<LoggedQso> qsos;                 // each with an own callsign
    std::vector<std::string> countryPrefixes;    // of each QSO's worked station
    std::vector<std::string> callsWithoutCountry;  // distinct, in log order; never the contest's own stations
    std::vector<LoggedQso> outsideContest;       // outside the period: left out
    double logSpanDays = 0;                      // from the first QSO replayed to the last
};

// QSOs in the period are replayed; the others are left out, so that a QSO
// outside it is never the earlier QSO of a repeat.  Throws LogPlanError when neither the options nor
// the log give an own callsign.  The QSOs are moved into the plan: a
// caller done with the log passes it with std::move.
ReplayPlan planReplay(ContestLog log, const LogPlanOptions& options, const CountryPrefixes& countries);
