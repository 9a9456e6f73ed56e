// zemrix-check: one log, the participant's pre-check on the plug-in's own
// rules; many logs with --out, the organiser's cross-check and its reports.
//
// Exit status: 0 when the check ran (files that are no log are said and
// skipped) and for --help; 1 for a bad command line or config, a log file or
// folder that is not there, a folder without files, a one-log check of a
// file that is no log, or reports that could not be written.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

#include "base/console.h"
#include "base/country_file.h"
#include "base/progress_line.h"
#include "base/whole_file.h"
#include "checker/cross_check.h"
#include "checker/known_busts.h"
#include "checker/reports.h"
#include "contest/command_line.h"
#include "contest/ole_date.h"
#include "logfile/reading_summary.h"
#include "stats_version.h"

namespace {

const char kCheckerUsage[] =
    "usage: zemrix-check [options] LOG\n"
    "           the participant's check of one log: the results text, err.txt,\n"
    "           the claimed score beside the computed one\n"
    "       zemrix-check [options] --out DIR LOG_OR_FOLDER...\n"
    "           the organiser's cross-check of all logs: qsos.csv, results.csv,\n"
    "           ubn/<CALL>.txt, ubn/<CALL>.html, results.html and lists.html in DIR\n"
    "       zemrix-check --version\n"
    "options:\n"
    "  --config FILE            contest.ini: start, end, tolerance_minutes, nil_penalty,\n"
    "                           busted_penalty, count_uniques, min_logs_for_no_log_call,\n"
    "                           tie_break, checklogs, name, busted_calls,\n"
    "                           cost_ranking_min_qsos\n"
    "                           (key = value, ; comments)\n"
    "  --start \"YYYY-MM-DD HH:MM\", --end \"YYYY-MM-DD HH:MM\", --tolerance-minutes N,\n"
    "  --nil-penalty N, --busted-penalty N, --count-uniques yes|no\n"
    "                           override the config\n"
    "  --call CALL              one log: the own callsign, when the log has none\n"
    "  --cty FILE               the country file (default: cty.dat beside the program,\n"
    "                           else /usr/share/hamradio-files/cty.dat)\n"
    "  --save-results FILE, --save-errors FILE\n"
    "                           one log: the results text and err.txt, byte for byte\n"
    "  --use-log FILE           of two logs from one call, check this one (by file name)\n"
    "  --checked-at \"YYYY-MM-DD HH:MM\"\n"
    "                           the time of the check the results page gives (default: now, UTC)\n";

const char* const kConfigOptions[] = {"start", "end", "tolerance_minutes", "nil_penalty", "busted_penalty",
                                      "count_uniques"};

struct Options {
    std::string configFile;
    std::vector<std::string> settings;  // key=value from the command line, in order
    std::string outFolder;
    std::string ownCallsign;
    std::string countryFile;
    std::string resultsFile, errorsFile;
    std::vector<std::string> inputs;
    std::vector<std::string> chosenLogs;
    std::string checkedAt;
    bool help = false;
};

// "--nil-penalty" -> "nil_penalty" when it is a config key.
std::string configKeyOf(const std::string& option)
{
    std::string key = option.substr(2);
    std::replace(key.begin(), key.end(), '-', '_');
    return std::find(std::begin(kConfigOptions), std::end(kConfigOptions), key) != std::end(kConfigOptions)
               ? key
               : std::string();
}

Options parseCheckerCommandLine(const std::vector<std::string>& arguments)
{
    Options options;
    for (CommandLineWalk walk(arguments); walk.next();) {
        const std::string& argument = walk.word();
        if (argument == "--config")
            options.configFile = walk.value();
        else if (argument == "--out")
            options.outFolder = walk.value();
        else if (argument == "--call")
            options.ownCallsign = walk.value();
        else if (argument == "--cty")
            options.countryFile = walk.value();
        else if (argument == "--save-results")
            options.resultsFile = walk.value();
        else if (argument == "--save-errors")
            options.errorsFile = walk.value();
        else if (argument == "--checked-at")
            options.checkedAt = walk.value();
        else if (argument == "--use-log")
            options.chosenLogs.push_back(walk.value());
        else if (argument == "--help" || argument == "-h")
            options.help = true;
        else if (argument.rfind("--", 0) == 0 && !configKeyOf(argument).empty())
            options.settings.push_back(configKeyOf(argument) + "=" + walk.value());
        else if (walk.isOption())
            throw UsageError("unknown option " + argument);
        else
            options.inputs.push_back(argument);
    }
    if (options.help)
        return options;
    if (options.inputs.empty())
        throw UsageError("no log given");
    if (options.outFolder.empty() && options.inputs.size() > 1)
        throw UsageError("more than one log: give --out DIR for the cross-check");
    return options;
}

ContestConfig contestConfig(const Options& options)
{
    ContestConfig config;
    if (!options.configFile.empty())
        config = readContestConfig(readWholeFile(options.configFile), options.configFile);
    for (const std::string& setting : options.settings)
        applyConfigSetting(config, setting);
    loadKnownBusts(config, std::filesystem::u8path(options.configFile).parent_path());
    return config;
}

// The time the results page gives: now, unless the command line fixes it
// (for pages that must come out the same, as the tests' golden files).
CivilTime checkedAt(const Options& options)
{
    if (!options.checkedAt.empty()) {
        try {
            return utcTimeOf(options.checkedAt);
        } catch (const ConfigError& error) {
            throw UsageError(std::string("--checked-at: ") + error.what());
        }
    }
    // Through the OLE date the rules already use: days since 1899-12-30,
    // where the Unix epoch is day 25569.
    const double secondsSinceEpoch = static_cast<double>(std::time(nullptr));
    return civilTimeFromOleDate(25569.0 + secondsSinceEpoch / 86400.0).value_or(CivilTime{});
}

CountryPrefixes countryPrefixes(const Options& options, const char* program)
{
    if (!options.countryFile.empty()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(options.countryFile, error))
            throw CountryFileError("cannot read " + options.countryFile);
        return CountryPrefixes::load(options.countryFile);
    }
    if (const auto found = findCountryFile(std::filesystem::path(program).parent_path()))
        return CountryPrefixes::load(found->u8string());
    throw CountryFileError("no cty.dat beside zemrix-check nor in /usr/share/hamradio-files; give --cty FILE");
}

void saveBytes(const std::string& path, const std::string& bytes)
{
    if (!path.empty())
        writeWholeFile(path, bytes);
}

// err.txt line by line as the rules make it, never whole: a log of repeats
// makes it grow with the square of its QSOs.  Printed with the line ends of
// the terminal, saved with the DLL's CR LF.
void writeErrorLog(const LogCheck& log, const std::string& path)
{
    std::ofstream saved;
    if (!path.empty())
        saved.open(path, std::ios::binary);
    forEachErrorLogLine(log, [&](const std::string& line, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            std::cout << line << "\n";
            if (saved.is_open())
                saved << line << "\r\n";
        }
    });
    saved.close();
    if (!path.empty() && !saved)
        throw std::runtime_error("cannot write " + path);
}

int checkOneLog(const Options& options, const ContestConfig& config, const CountryPrefixes& countries)
{
    const std::string path = options.inputs.front();
    PrecheckOptions precheck;
    precheck.ownCallsign = options.ownCallsign;
    precheck.period = config.period();
    const LogCheck log = precheckLog(readWholeFile(path), path, countries, precheck);
    if (log.state == LogState::Empty || log.state == LogState::NotALog || log.resultsText.empty()) {
        std::cerr << path << ": " << logStateName(log.state) << " ("
                  << (log.stateReason ? log.stateReason->english() : std::string()) << ")\n";
        return 1;
    }
    ContestLog reading;
    reading.skipped = log.skippedLines;
    reading.warnings = log.warnings;
    reading.notes = log.notes;
    printLineMessages(reading, std::cerr);
    for (const Message& problem : log.headerProblems)
        std::cout << path << ": header: " << problem.english() << "\n";
    if (log.state != LogState::Checked)
        std::cout << path << ": " << logStateName(log.state) << " (" << log.stateReason->english()
                  << "): the organiser will not check it\n";
    std::cout << "Claimed score: " << (log.claimedScore ? std::to_string(*log.claimedScore) : "none in the log")
              << ", computed: " << log.computedScore
              << (log.claimedScore && *log.claimedScore != log.computedScore ? "  <- they differ" : "") << "\n\n";
    std::cout << withoutCarriageReturns(log.resultsText) << "\n";
    saveBytes(options.resultsFile, log.resultsText);
    std::cout << "err.txt:\n";
    writeErrorLog(log, options.errorsFile);
    return 0;
}

bool isConfigFile(const std::filesystem::path& path, const Options& options)
{
    std::error_code error;
    return !options.configFile.empty() && std::filesystem::equivalent(path, options.configFile, error);
}

// A folder's files in name order, but the config, which may lie among the
// logs.  A folder with none is a mistake, as a name that is nothing is.
std::vector<std::filesystem::path> filesIn(const std::string& input, const Options& options)
{
    std::error_code error;
    if (std::filesystem::is_regular_file(input, error))
        return {input};
    if (!std::filesystem::is_directory(input, error))
        throw std::runtime_error("cannot open " + input + ": no such file or folder");
    std::vector<std::filesystem::path> inFolder;
    for (const auto& entry : std::filesystem::directory_iterator(input))
        if (entry.is_regular_file() && !isConfigFile(entry.path(), options))
            inFolder.push_back(entry.path());
    if (inFolder.empty())
        throw std::runtime_error(input + ": no log files in the folder");
    std::sort(inFolder.begin(), inFolder.end());
    return inFolder;
}

// The files named and the folders' files, shown by file name, in UTF-8 on
// every system.
std::vector<LogInput> readInputs(const Options& options)
{
    std::vector<std::filesystem::path> paths;
    for (const std::string& input : options.inputs) {
        const std::vector<std::filesystem::path> files = filesIn(input, options);
        paths.insert(paths.end(), files.begin(), files.end());
    }
    std::vector<LogInput> files;
    for (const auto& path : paths) {
        try {
            files.push_back({path.filename().u8string(), readWholeFile(path)});
        } catch (const std::runtime_error& error) {
            std::cerr << error.what() << "\n";
        }
    }
    return files;
}

// The cross-check, with a line on the terminal telling how far it has read.
CrossCheck crossCheckShowingProgress(std::vector<LogInput> inputs, const ContestConfig& config,
                                     const CountryPrefixes& countries)
{
    const auto began = std::chrono::steady_clock::now();
    const auto seconds = [began] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    };
    const auto text = [total = inputs.size()](std::size_t done, double) {
        return "Checking: " + std::to_string(done) + " of " + std::to_string(total) + " logs read";
    };
    ProgressLine progress(std::cerr, isTerminal(stderr), seconds, text);
    return crossCheck(std::move(inputs), config, countries,
                      [&progress](std::size_t done, std::size_t) { progress.update(done); });
}

int crossCheckLogs(const Options& options, const ContestConfig& config, const CountryPrefixes& countries)
{
    const CrossCheck check = crossCheckShowingProgress(readInputs(options), config, countries);
    writeReports(check, options.outFolder);
    for (const std::string& line : check.summary)
        std::cerr << line << "\n";
    std::cerr << "Reports in " << options.outFolder << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "zemrix-check " STATS_VERSION_TEXT "\n";
        return 0;
    }
    try {
        const Options options = parseCheckerCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::cout << kCheckerUsage;
            return 0;
        }
        ContestConfig config = contestConfig(options);
        config.chosenLogs = options.chosenLogs;
        config.checkedAt = checkedAt(options);
        const CountryPrefixes countries = countryPrefixes(options, argv[0]);
        return options.outFolder.empty() ? checkOneLog(options, config, countries)
                                         : crossCheckLogs(options, config, countries);
    } catch (const UsageError& error) {
        std::cerr << "zemrix-check: " << error.what() << "\n" << kCheckerUsage;
    } catch (const ConfigError& error) {
        std::cerr << "zemrix-check: " << error.what() << "\n";
    } catch (const std::exception& error) {
        std::cerr << "zemrix-check: " << error.what() << "\n";
    }
    return 1;
}
