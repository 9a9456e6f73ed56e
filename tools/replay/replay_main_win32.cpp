// replay.exe: plays a contest log through Stats.dll the way the host does.
// Stats.dll is loaded from replay.exe's own folder; the contest run is begun
// with ResetStats0, every QSO goes in through AddData0 with the host's full
// argument list, and GetResult0 gives the results text, printed together
// with the error log err.txt that the run left in the working directory.
//
// Exit status: 0 when every QSO of the log was replayed, 2 when the log had
// lines that could not be read (they are listed, the rest is replayed), 1
// when nothing could be replayed (bad command line, unreadable files).
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <memory>

#include "dialog_answerer.h"
#include "contest/settings_win32.h"
#include "replay_options.h"
#include "stats_dll.h"
#include "stats_version.h"

namespace {

std::string exeFolder()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string exe(path);
    return exe.substr(0, exe.find_last_of("\\/") + 1);
}

// cty.dat beside replay.exe, or else where Debian's hamradio-files puts it
// (drive Z: is the Linux root under Wine).
std::string countryFilePath(const ReplayOptions& options)
{
    if (!options.countryFile.empty())
        return options.countryFile;
    for (const std::string& candidate : {exeFolder() + "cty.dat", std::string("Z:\\usr\\share\\hamradio-files\\cty.dat")})
        if (::GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES)
            return candidate;
    throw CountryFileError("no cty.dat beside replay.exe nor in /usr/share/hamradio-files; give --cty PATH");
}

std::vector<HeaderValue> cabrilloHeader(const ReplayOptions& options)
{
    std::vector<HeaderValue> header;
    if (!options.headerFile.empty()) {
        std::ifstream in(options.headerFile);
        if (!in)
            throw UsageError("cannot open header file " + options.headerFile);
        header = readHeaderFile(in, options.headerFile);
    }
    header.insert(header.end(), options.headerValues.begin(), options.headerValues.end());
    return header;
}

// Stats.dll names its settings file and err.txt relative to the current
// directory, and cannot create the "Plugins" folder the settings live in.
void enterWorkingDirectory(const std::string& folder)
{
    if (!folder.empty()) {
        std::filesystem::create_directories(folder);
        if (!::SetCurrentDirectoryA(folder.c_str()))
            throw std::runtime_error("cannot enter working directory " + folder);
    }
    std::filesystem::create_directories("Plugins");
}

// A reset that finds "Start" at 0 (as the first one in a fresh folder does)
// opens the mode panel on a thread of the DLL's own, a window nobody here
// would close; one that finds 1 just writes 0 back.  So "Start" is set to 1
// before every reset.  The Cabrillo header values go where the header dialog
// reads them.
void prepareSettings(const std::vector<HeaderValue>& header)
{
    PrivateProfileSettings settings;
    for (const HeaderValue& value : header)
        settings.write(value.first.c_str(), value.second);
    settings.write("Start", "1");
}

HostDateTime hostTime(const std::optional<CivilTime>& time)
{
    if (!time)
        return {0.0, OleDateTime::Null};
    return {oleDateFromCivilTime(*time), OleDateTime::Valid};
}

// The host fills every argument; those Stats.dll ignores get the plain
// values a host has at hand.
int addQso(const StatsDll& dll, const LoggedQso& qso, const std::string& countryPrefix)
{
    HostDateTime time = hostTime(qso.time);
    const char* none = "";
    return dll.AddData0(qso.ownCallsign.c_str(), qso.workedCallsign.c_str(), &time, &time, &time, &time, 0,
                        qso.frequencyHz, qso.mode.c_str(), qso.rstSent.c_str(), qso.rstReceived.c_str(),
                        qso.exchangeSent.c_str(), qso.exchangeReceived.c_str(), none, none, none, none, none, none,
                        none, none, none, countryPrefix.c_str(), 0, 0, 0, 0.0, 0.0, none, none, none,
                        qso.band.c_str(), none);
}

void resetContest(const StatsDll& dll, const ReplayPlan& plan, bool exportCabrillo)
{
    HostDateTime start = hostTime(plan.contestStart), end = hostTime(plan.contestEnd);
    const char* none = "";
    dll.ResetStats0(none, exportCabrillo ? 1 : 0, plan.ownCallsign.c_str(), &start, &end, none, none, none, none,
                    none, none, none, none, none, plan.ownCountryPrefix.c_str(), 0, 0, 0, 0.0, 0.0, none, none,
                    none);
}

class Stopwatch {
public:
    Stopwatch() { ::QueryPerformanceCounter(&start_); }
    double milliseconds() const
    {
        LARGE_INTEGER now, frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER start_;
};

// The DLL's texts end their lines in CR LF; stdout adds its own CR.
std::string withoutCarriageReturns(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

std::string fileContent(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// In export mode Stats.dll shows the Cabrillo header dialog during the reset
// and a message box during GetResult0; each call runs while a watcher stands
// by to press OK on whatever dialog window of this process appears.  A
// message box's text is printed with its caption; a dialog with edit fields
// (the header dialog) is named by its caption alone.
template <typename Call>
void answeringDialogs(bool exportCabrillo, const char* during, Call call)
{
    if (!exportCabrillo) {
        call();
        return;
    }
    MessageBoxRecord seen;
    bool hasEditFields = false;
    {
        const auto pressOkOnBox = pressOk(seen);
        DialogAnswerer answerer(
            [&](HWND window) {
                hasEditFields = ::FindWindowExA(window, nullptr, "Edit", nullptr) != nullptr;
                pressOkOnBox(window);
            },
            60000);
        call();
        if (!answerer.answered()) {
            std::cout << "No dialog appeared during " << during << ".\n";
            return;
        }
    }
    std::cout << "Pressed OK on \"" << seen.caption << "\" during " << during;
    std::cout << (hasEditFields || seen.text.empty() ? std::string(".\n") : ": " + seen.text + "\n");
}

std::string dateText(const std::optional<CivilTime>& date)
{
    return date ? formatCivilTime(*date, "%Y-%m-%d") : "(no date)";
}

void printPlan(const ReplayOptions& options, const ContestLog& log, const ReplayPlan& plan)
{
    for (const SkippedLine& line : log.skipped)
        std::cerr << line.describe() << "\n";
    std::cout << options.logFile << ": " << log.qsos.size() << " QSOs read, " << log.skipped.size()
              << " lines skipped\n";
    std::cout << "Own station " << plan.ownCallsign << " (" << plan.ownCountryPrefix << "), contest "
              << dateText(plan.contestStart) << " to " << dateText(plan.contestEnd) << "\n";
    if (!plan.callsWithoutCountry.empty()) {
        std::cout << "Not in cty.dat (replayed with an empty country prefix):";
        for (const std::string& call : plan.callsWithoutCountry)
            std::cout << " " << call;
        std::cout << "\n";
    }
}

int replay(const ReplayOptions& options)
{
    const CountryPrefixes countries = CountryPrefixes::load(countryFilePath(options));
    const ContestLog log = readContestLogFile(options.logFile);
    const ReplayPlan plan = planReplay(log, options, countries);
    const std::vector<HeaderValue> header = cabrilloHeader(options);
    const std::string resultsFile =
        options.resultsFile.empty() ? std::string() : std::filesystem::absolute(options.resultsFile).string();
    printPlan(options, log, plan);

    enterWorkingDirectory(options.workDir);
    prepareSettings(header);
    const StatsDll dll;

    int stored = 0;
    const Stopwatch refill;
    answeringDialogs(options.exportCabrillo, "ResetStats0",
                     [&] { resetContest(dll, plan, options.exportCabrillo); });
    for (std::size_t i = 0; i < plan.qsos.size(); ++i)
        stored += addQso(dll, plan.qsos[i], plan.countryPrefixes[i]);
    const double refillMs = refill.milliseconds();

    std::string results;
    const Stopwatch scoring;
    answeringDialogs(options.exportCabrillo, "GetResult0", [&] { results = dll.result(); });
    const double scoringMs = scoring.milliseconds();

    std::cout << "AddData0: " << stored << " stored, " << plan.qsos.size() - stored << " rejected\n\n";
    std::cout << withoutCarriageReturns(results) << "\n";
    std::cout << "err.txt:\n" << withoutCarriageReturns(fileContent("err.txt"));
    if (!resultsFile.empty())
        std::ofstream(resultsFile, std::ios::binary) << results;
    if (options.timing) {
        std::cout << std::fixed << std::setprecision(1) << "\nRefill (ResetStats0 + " << plan.qsos.size()
                  << " AddData0): " << refillMs << " ms\nGetResult0: " << scoringMs << " ms\n";
        if (options.exportCabrillo)
            std::cout << "(both include the time the dialogs stood open)\n";
    }
    return log.skipped.empty() ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "replay " STATS_VERSION_TEXT "\n";
        return 0;
    }
    try {
        return replay(parseCommandLine(std::vector<std::string>(argv + 1, argv + argc)));
    } catch (const UsageError& error) {
        std::cerr << "replay: " << error.what() << "\n" << kUsage;
    } catch (const std::exception& error) {
        std::cerr << "replay: " << error.what() << "\n";
    }
    return 1;
}
