#include "replay_options.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "logfile/qso_time.h"
#include "logfile/text.h"

const char kUsage[] =
    "usage: replay [--call OWN] [--prefix UA] [--start YYYY-MM-DD] [--end YYYY-MM-DD]\n"
    "              [--cty PATH] [--workdir DIR] [--save-results FILE] [--report FILE.html]\n"
    "              [--timing]\n"
    "              [--export [--header-file INI] [--header KEY=VALUE]...] LOGFILE\n"
    "       replay --version\n"
    "Plays a Cabrillo or ADIF log through Stats.dll as the host does and prints\n"
    "the results text and err.txt.  Exit status: 0 when every QSO was replayed,\n"
    "2 when lines of the log could not be read (the rest is replayed), 1 on errors.\n";

namespace {

// The settings keys the Cabrillo header dialog reads or writes, but for
// "Claimed", which the results request writes.
const char* const kHeaderKeys[] = {"Operators", "Name",     "Address", "Address-City", "Address-PostalCode",
                                   "Address-Country", "Band", "Power",  "Category",     "Mode",
                                   "Contest",   "Email",    "Club",    "SoapBox",      "Loc"};

HeaderValue headerValue(const std::string& assignment, const std::string& where)
{
    const auto equals = assignment.find('=');
    const std::string key = upperCase(trimmed(assignment.substr(0, equals)));
    const auto known = std::find_if(std::begin(kHeaderKeys), std::end(kHeaderKeys),
                                    [&](const char* k) { return key == upperCase(k); });
    if (equals == std::string::npos || known == std::end(kHeaderKeys)) {
        std::string keys;
        for (const char* k : kHeaderKeys)
            keys += std::string(keys.empty() ? "" : ", ") + k;
        throw UsageError(where + "\"" + assignment + "\" is not KEY=VALUE with KEY one of " + keys);
    }
    return {*known, trimmed(assignment.substr(equals + 1))};
}

CivilTime dateOption(const std::string& option, const std::string& value)
{
    try {
        return dateFromIso(value);
    } catch (const std::invalid_argument& error) {
        throw UsageError(option + ": " + error.what());
    }
}

CivilTime dateOnly(CivilTime time)
{
    time.hour = time.minute = time.second = 0;
    return time;
}

bool earlier(const CivilTime& a, const CivilTime& b)
{
    return oleDateFromCivilTime(a) < oleDateFromCivilTime(b);
}

}  // namespace

ReplayOptions parseCommandLine(const std::vector<std::string>& arguments)
{
    ReplayOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size())
                throw UsageError(argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "--call")
            options.ownCallsign = upperCase(value());
        else if (argument == "--prefix")
            options.ownCountryPrefix = value();
        else if (argument == "--start")
            options.contestStart = dateOption(argument, value());
        else if (argument == "--end")
            options.contestEnd = dateOption(argument, value());
        else if (argument == "--cty")
            options.countryFile = value();
        else if (argument == "--workdir")
            options.workDir = value();
        else if (argument == "--save-results")
            options.resultsFile = value();
        else if (argument == "--report")
            options.reportFile = value();
        else if (argument == "--header-file")
            options.headerFile = value();
        else if (argument == "--header")
            options.headerValues.push_back(headerValue(value(), "--header: "));
        else if (argument == "--export")
            options.exportCabrillo = true;
        else if (argument == "--timing")
            options.timing = true;
        else if (argument.size() > 1 && argument[0] == '-')
            throw UsageError("unknown option " + argument);
        else if (!options.logFile.empty())
            throw UsageError("more than one log file: " + options.logFile + ", " + argument);
        else
            options.logFile = argument;
    }
    if (options.logFile.empty())
        throw UsageError("no log file given");
    if (!options.exportCabrillo && (!options.headerFile.empty() || !options.headerValues.empty()))
        throw UsageError("--header and --header-file go with --export");
    return options;
}

std::vector<HeaderValue> readHeaderFile(std::istream& in, const std::string& fileName)
{
    std::vector<HeaderValue> values;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        const std::string content = trimmed(text);
        if (content.empty() || content[0] == ';' || content[0] == '#' || content[0] == '[')
            continue;
        values.push_back(headerValue(content, fileName + ":" + std::to_string(line) + ": "));
    }
    return values;
}

ReplayPlan planReplay(const ContestLog& log, const ReplayOptions& options, const CountryPrefixes& countries)
{
    ReplayPlan plan;
    plan.ownCallsign = options.ownCallsign.empty() ? log.ownCallsign : options.ownCallsign;
    if (plan.ownCallsign.empty())
        throw UsageError("the log names no own callsign; give --call");
    plan.ownCountryPrefix =
        options.ownCountryPrefix.empty() ? countries.countryOf(plan.ownCallsign) : options.ownCountryPrefix;
    plan.contestStart = options.contestStart;
    plan.contestEnd = options.contestEnd;
    std::set<std::string> reported;
    for (LoggedQso qso : log.qsos) {
        if (!options.ownCallsign.empty() || qso.ownCallsign.empty())
            qso.ownCallsign = plan.ownCallsign;
        if (!options.contestStart && (!plan.contestStart || earlier(qso.time, *plan.contestStart)))
            plan.contestStart = dateOnly(qso.time);
        if (!options.contestEnd && (!plan.contestEnd || earlier(*plan.contestEnd, dateOnly(qso.time))))
            plan.contestEnd = dateOnly(qso.time);
        std::string country = countries.countryOf(qso.workedCallsign);
        if (country.empty() && reported.insert(qso.workedCallsign).second)
            plan.callsWithoutCountry.push_back(qso.workedCallsign);
        plan.countryPrefixes.push_back(std::move(country));
        plan.qsos.push_back(std::move(qso));
    }
    return plan;
}
