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

// A log that cannot be played: it names no own callsign and none was given.
class LogPlanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LogPlanOptions {
    std::string ownCallsign;       // empty: from the log; else in upper case
    std::string ownCountryPrefix;  // empty: the own callsign's country
    std::optional<CivilTime> contestStart, contestEnd;  // empty: the first and last QSO's dates
};

struct ReplayPlan {
    std::string ownCallsign;
    std::string ownCountryPrefix;
    std::optional<CivilTime> contestStart, contestEnd;  // empty: no QSO to take them from
    std::vector<LoggedQso> qsos;                 // each with an own callsign
    std::vector<std::string> countryPrefixes;    // of each QSO's worked station
    std::vector<std::string> callsWithoutCountry;  // distinct, in log order; never the contest's own stations
    std::vector<LoggedQso> outsideContest;       // before the start or after the end day: left out
    double logSpanDays = 0;                      // from the first QSO replayed to the last
};

// QSOs on the days from the start to the end, both included, are replayed;
// the others are left out.  Throws LogPlanError when neither the options nor
// the log give an own callsign.
ReplayPlan planReplay(const ContestLog& log, const LogPlanOptions& options, const CountryPrefixes& countries);
