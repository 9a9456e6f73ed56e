// The replay tool's command line, and what it reads from a log and a results
// text: everything that needs no Windows, so it is tested natively.
#pragma once

#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "contest/command_line.h"
#include "messages/language.h"
#include "logfile/contest_log.h"
#include "logfile/country_prefixes.h"
#include "logplay/log_plan.h"


using HeaderValue = std::pair<std::string, std::string>;  // settings key, value

struct ReplayOptions {
    std::string logFile;
    LogPlanOptions plan;           // --call, --prefix, --start, --end
    std::string countryFile;       // empty: the usual places
    std::string workDir;           // empty: the current directory
    std::string resultsFile;       // where to save the results text byte for byte
    std::string reportFile;        // where to write the HTML report
    std::string headerFile;
    std::vector<HeaderValue> headerValues;  // from --header, in the order given
    bool exportCabrillo = false;
    bool timing = false;
    bool help = false;  // --help or -h: print the usage text, nothing else
};

// What every option does, for --help and after a wrong command line.
std::string usageText(Language language);

// Throws UsageError saying what is wrong.  Header values of the keys that
// Cabrillo 3.0 gives a list of values for (Band, Power, Category, Mode) must
// be on that list, in any case; they come back in upper case.
ReplayOptions parseCommandLine(const std::vector<std::string>& arguments);

// Key=Value lines of a Cabrillo header file; "[section]" lines, blank lines
// and ';' or '#' comments are read past.  Keys are those the header dialog
// reads or writes in the settings file, in any case; each comes back spelt as
// the settings file has it.  Throws UsageError naming the file and line of a
// line that is none of these.
std::vector<HeaderValue> readHeaderFile(std::istream& in, const std::string& fileName);

// The header values a Cabrillo log carries (its category lines, NAME,
// OPERATORS, CLUB, E-MAIL, the address lines) under their settings keys, for
// the header dialog to open with; the dialog has one field each, so the
// first line of a tag counts (ADDRESS: may stand on several).  A value outside Cabrillo 3.0's list for
// its key is left out, and "TAG: value" of it goes into `leftOut`.
std::vector<HeaderValue> headerFromLog(const ContestLog& log, std::vector<std::string>& leftOut);

// The number of a Cabrillo log's CLAIMED-SCORE line; empty when there is
// none or it holds no number.
std::optional<long long> claimedScoreOf(const ContestLog& log);

// The score S of the results text's "Score: P*M = S" line; empty without one.
std::optional<long long> scoreOfResults(const std::string& resultsText);

// The plan of the log's calls for the options given.  Throws UsageError
// asking for --call when neither the command line nor the log gives an own
// callsign.
ReplayPlan replayPlanOf(const ContestLog& log, const ReplayOptions& options, const CountryPrefixes& countries);
