#include "replay_options.h"

#include <algorithm>
#include <iterator>

#include "logfile/qso_time.h"
#include "logfile/text.h"

namespace {

const char kEnglishUsage[] =
    "usage: replay [options] LOGFILE\n"
    "       replay --help | --version\n"
    "Checks a contest log (Cabrillo or ADIF) as the logging program's plug-in\n"
    "Stats.dll would: prints the results, the QSOs the contest rules reject\n"
    "(err.txt) and anything in the log that could not be read.\n"
    "\n"
    "  --call CALL          your callsign, when the log does not name it\n"
    "  --prefix PREFIX      your country prefix (default: from cty.dat)\n"
    "  --start YYYY-MM-DD   the contest's first day; earlier QSOs are left out\n"
    "  --end YYYY-MM-DD     the contest's last day; later QSOs are left out\n"
    "                       (default: the days of the first and last QSO)\n"
    "  --cty PATH           the country file (default: cty.dat beside replay.exe)\n"
    "  --workdir DIR        the work folder, where Plugins\\ZEMRIX.ini, err.txt and\n"
    "                       the Cabrillo file go; created if missing.  Default:\n"
    "                       the current folder, but never the folder of the\n"
    "                       logging program itself\n"
    "  --save-results FILE  save the results text\n"
    "  --report FILE.html   write the results as one web page\n"
    "  --timing             say how long the replay and the scoring took\n"
    "  --export             write the Cabrillo file; the header values your log\n"
    "                       carries are the defaults\n"
    "  --header-file FILE   header values, one KEY=VALUE a line (with --export)\n"
    "  --header KEY=VALUE   one header value (with --export); Mode, Power, Band\n"
    "                       and Category take Cabrillo 3.0's values only\n"
    "  --version            print the version\n"
    "  -h, --help           print this text\n"
    "\n"
    "Exit status: 0 when every QSO was replayed, 2 when some were not (lines that\n"
    "could not be read, QSOs outside the contest), 1 on errors, a file that\n"
    "could not be written among them.\n";

const char kRussianUsage[] =
    "запуск: replay [параметры] ЖУРНАЛ\n"
    "        replay --help | --version\n"
    "Проверяет журнал соревнования (Cabrillo или ADIF) так, как это сделал бы\n"
    "модуль Stats.dll программы-журнала: печатает итоги, связи, отвергнутые\n"
    "правилами (err.txt), и всё, что в журнале не удалось прочитать.\n"
    "\n"
    "  --call ПОЗЫВНОЙ      свой позывной, если журнал его не называет\n"
    "  --prefix ПРЕФИКС     префикс своей страны (по умолчанию из cty.dat)\n"
    "  --start ГГГГ-ММ-ДД   первый день соревнования; связи раньше не считаются\n"
    "  --end ГГГГ-ММ-ДД     последний день соревнования; связи позже не считаются\n"
    "                       (по умолчанию дни первой и последней связи)\n"
    "  --cty ФАЙЛ           файл стран (по умолчанию cty.dat рядом с replay.exe)\n"
    "  --workdir ПАПКА      рабочая папка, куда пишутся Plugins\\ZEMRIX.ini,\n"
    "                       err.txt и файл Cabrillo; создаётся, если её нет.\n"
    "                       По умолчанию текущая папка, но не папка самой\n"
    "                       программы-журнала\n"
    "  --save-results ФАЙЛ  сохранить текст итогов\n"
    "  --report ФАЙЛ.html   записать итоги одной веб-страницей\n"
    "  --timing             сказать, сколько длились проверка и подсчёт\n"
    "  --export             записать файл Cabrillo; значения шапки из журнала\n"
    "                       берутся по умолчанию\n"
    "  --header-file ФАЙЛ   значения шапки, по одному КЛЮЧ=ЗНАЧЕНИЕ в строке\n"
    "                       (вместе с --export)\n"
    "  --header КЛЮЧ=ЗНАЧЕНИЕ  одно значение шапки (вместе с --export); Mode,\n"
    "                       Power, Band и Category — только из списков Cabrillo 3.0\n"
    "  --version            напечатать версию\n"
    "  -h, --help           напечатать этот текст\n"
    "\n"
    "Код выхода: 0, если проверены все связи, 2, если не все (строки, которые не\n"
    "удалось прочитать, связи вне соревнования), 1 при ошибках, в том числе\n"
    "когда файл не удалось записать.\n";

// The settings keys the Cabrillo header dialog reads or writes, but for
// "Claimed", which the results request writes.
const char* const kHeaderKeys[] = {"Operators", "Name",     "Address", "Address-City", "Address-PostalCode",
                                   "Address-Country", "Band", "Power",  "Category",     "Mode",
                                   "Contest",   "Email",    "Club",    "SoapBox",      "Loc"};

// Cabrillo 3.0's lists, for the settings keys whose header line has one.
struct ValueList {
    const char* key;
    std::vector<const char*> values;
};
const ValueList kValueLists[] = {
    {"Category", {"SINGLE-OP", "MULTI-OP", "CHECKLOG"}},
    {"Band", {"ALL", "160M", "80M", "40M", "20M", "15M", "10M", "6M", "4M", "2M", "222", "432", "902", "1.2G",
              "2.3G", "3.4G", "5.7G", "10G", "24G", "47G", "75G", "123G", "134G", "241G", "LIGHT", "VHF-3-BAND",
              "VHF-FM-ONLY"}},
    {"Mode", {"CW", "DIGI", "FM", "RTTY", "SSB", "MIXED"}},
    {"Power", {"HIGH", "LOW", "QRP"}},
};

const ValueList* valueListOf(const std::string& key)
{
    for (const ValueList& list : kValueLists)
        if (key == list.key)
            return &list;
    return nullptr;
}

// Empty when the value may stand under the key, else what may.
std::string allowedInsteadOf(const std::string& key, const std::string& value)
{
    const ValueList* list = valueListOf(key);
    if (!list || std::find(list->values.begin(), list->values.end(), upperCase(value)) != list->values.end())
        return {};
    std::string allowed;
    for (const char* v : list->values)
        allowed += std::string(allowed.empty() ? "" : ", ") + v;
    return allowed;
}

std::string normalValue(const std::string& key, const std::string& value)
{
    return valueListOf(key) ? upperCase(value) : value;
}

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
    const std::string value = trimmed(assignment.substr(equals + 1));
    const std::string allowed = allowedInsteadOf(*known, value);
    if (!allowed.empty())
        throw UsageError(where + *known + " \"" + value + "\" is not a Cabrillo 3.0 value; allowed: " + allowed);
    return {*known, normalValue(*known, value)};
}

CivilTime dateOption(const std::string& option, const std::string& value)
{
    try {
        return dateFromIso(value);
    } catch (const std::invalid_argument& error) {
        throw UsageError(option + ": " + error.what());
    }
}

// The Cabrillo header lines whose values the header dialog opens with.
const std::pair<const char*, const char*> kLogHeaderKeys[] = {
    {"CATEGORY-OPERATOR", "Category"}, {"CATEGORY-BAND", "Band"},   {"CATEGORY-MODE", "Mode"},
    {"CATEGORY-POWER", "Power"},       {"NAME", "Name"},            {"OPERATORS", "Operators"},
    {"CLUB", "Club"},                  {"E-MAIL", "Email"},         {"EMAIL", "Email"},
    {"ADDRESS", "Address"},            {"ADDRESS-CITY", "Address-City"},
    {"ADDRESS-POSTALCODE", "Address-PostalCode"}, {"ADDRESS-COUNTRY", "Address-Country"},
};

std::optional<long long> wholeNumber(const std::string& text)
{
    const std::string digits = text.size() > 1 && text[0] == '-' ? text.substr(1) : text;
    if (!allDigits(digits) || digits.size() > 15)
        return std::nullopt;
    return std::stoll(text);
}

}  // namespace

std::string usageText(Language language)
{
    return language == Language::Russian ? kRussianUsage : kEnglishUsage;
}

ReplayOptions parseCommandLine(const std::vector<std::string>& arguments)
{
    ReplayOptions options;
    for (CommandLineWalk walk(arguments); walk.next();) {
        const std::string& argument = walk.word();
        if (argument == "--call")
            options.plan.ownCallsign = upperCase(walk.value());
        else if (argument == "--prefix")
            options.plan.ownCountryPrefix = walk.value();
        else if (argument == "--start")
            options.plan.contestStart = dateOption(argument, walk.value());
        else if (argument == "--end")
            options.plan.contestEnd = dateOption(argument, walk.value());
        else if (argument == "--cty")
            options.countryFile = walk.value();
        else if (argument == "--workdir")
            options.workDir = walk.value();
        else if (argument == "--save-results")
            options.resultsFile = walk.value();
        else if (argument == "--report")
            options.reportFile = walk.value();
        else if (argument == "--header-file")
            options.headerFile = walk.value();
        else if (argument == "--header")
            options.headerValues.push_back(headerValue(walk.value(), "--header: "));
        else if (argument == "--export")
            options.exportCabrillo = true;
        else if (argument == "--timing")
            options.timing = true;
        else if (argument == "--help" || argument == "-h")
            options.help = true;
        else if (walk.isOption())
            throw UsageError("unknown option " + argument);
        else if (!options.logFile.empty())
            throw UsageError("more than one log file: " + options.logFile + ", " + argument);
        else
            options.logFile = argument;
    }
    options.plan.period = ContestPeriod::ofDays(options.plan.contestStart, options.plan.contestEnd);
    if (options.help)
        return options;
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

ReplayPlan replayPlanOf(const ContestLog& log, const ReplayOptions& options, const CountryPrefixes& countries)
{
    try {
        return planReplay(log, options.plan, countries);
    } catch (const LogPlanError& error) {
        throw UsageError(error.what() + std::string("; give --call"));
    }
}

std::vector<HeaderValue> headerFromLog(const ContestLog& log, std::vector<std::string>& leftOut)
{
    std::vector<HeaderValue> values;
    const auto taken = [&values](const char* key) {
        return std::any_of(values.begin(), values.end(), [key](const HeaderValue& v) { return v.first == key; });
    };
    for (const auto& [tag, value] : log.header)
        for (const auto& [logTag, key] : kLogHeaderKeys)
            if (tag == logTag && !value.empty() && !taken(key)) {
                if (allowedInsteadOf(key, value).empty())
                    values.push_back({key, normalValue(key, value)});
                else
                    leftOut.push_back(tag + ": " + value);
            }
    return values;
}

std::optional<long long> claimedScoreOf(const ContestLog& log)
{
    for (const auto& [tag, value] : log.header)
        if (tag == "CLAIMED-SCORE")
            return wholeNumber(value);
    return std::nullopt;
}

std::optional<long long> scoreOfResults(const std::string& resultsText)
{
    const auto line = resultsText.find("Score: ");
    const auto equals = line == std::string::npos ? line : resultsText.find("= ", line);
    if (equals == std::string::npos)
        return std::nullopt;
    const auto end = resultsText.find_first_of("\r\n", equals);
    return wholeNumber(trimmed(resultsText.substr(equals + 2, end == std::string::npos ? end : end - equals - 2)));
}
