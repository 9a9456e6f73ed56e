// replay.exe: plays a contest log through Stats.dll the way the host does.
// Stats.dll is loaded from replay.exe's own folder; the contest run is begun
// with ResetStats0, every QSO goes in through AddData0 with the host's full
// argument list, and GetResult0 gives the results text, printed together
// with the error log err.txt that the run left in the working directory.
//
// Exit status: 0 when every QSO of the log was replayed, 2 when the log had
// lines that could not be read (they are listed, the rest is replayed), 1
// when nothing could be replayed (bad command line, a file that is no log or
// holds no QSO, unreadable files).
#include <windows.h>

#include <io.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <memory>

#include "contest/settings_win32.h"
#include "dialog_answerer.h"
#include "language.h"
#include "log_summary.h"
#include "logfile/log_file.h"
#include "progress_line.h"
#include "logfile/reading_summary.h"
#include "replay_options.h"
#include "report_html.h"
#include "resource.h"
#include "stats_dll.h"
#include "stats_version.h"
#include "stopwatch.h"

namespace {

Language operatorLanguage()
{
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_RUSSIAN ? Language::Russian : Language::English;
}

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

// The header keys the dialog writes but never reads: it opens with ZEMRIX,
// SINGLE-OP and CW whatever the settings file holds, so their values are
// typed into its controls, as an operator would.
struct TypedHeaderKey {
    const char* key;
    int control;
};
const TypedHeaderKey kTypedHeaderKeys[] = {
    {"Contest", IDC_CONTEST}, {"Category", IDC_CATEGORY_OPERATOR}, {"Mode", IDC_CATEGORY_MODE}};

const TypedHeaderKey* typedHeaderKey(const std::string& key)
{
    for (const TypedHeaderKey& typed : kTypedHeaderKeys)
        if (key == typed.key)
            return &typed;
    return nullptr;
}

// A combo box picks its first item that begins with the value, case aside,
// as the dialog does for the values it reads; other text goes in as it is.
void typeIntoControl(HWND control, const std::string& value)
{
    char className[16] = {};
    ::GetClassNameA(control, className, sizeof className);
    const bool picked = std::string(className) == "ComboBox" &&
                        ::SendMessageA(control, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(value.c_str())) != CB_ERR;
    if (!picked)
        ::SetWindowTextA(control, value.c_str());
}

void typeHeaderValues(HWND dialog, const std::vector<HeaderValue>& header)
{
    for (const HeaderValue& value : header)
        if (const TypedHeaderKey* typed = typedHeaderKey(value.first))
            typeIntoControl(::GetDlgItem(dialog, typed->control), value.second);
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
        if (!typedHeaderKey(value.first))
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
// by to fill in the dialog with `fillIn` and press OK on whatever dialog
// window of this process appears.  A message box's text is printed with its
// caption, and returned; a dialog with edit fields (the header dialog) is
// named by its caption alone.
template <typename Call>
std::string answeringDialogs(bool exportCabrillo, const char* during, Call call,
                             const std::function<void(HWND)>& fillIn = nullptr)
{
    if (!exportCabrillo) {
        call();
        return {};
    }
    MessageBoxRecord seen;
    bool hasEditFields = false;
    {
        const auto pressOkOnBox = pressOk(seen);
        DialogAnswerer answerer(
            [&](HWND window) {
                hasEditFields = ::FindWindowExA(window, nullptr, "Edit", nullptr) != nullptr;
                if (fillIn)
                    fillIn(window);
                pressOkOnBox(window);
            },
            60000);
        call();
        if (!answerer.answered()) {
            std::cout << "No dialog appeared during " << during << ".\n";
            return {};
        }
    }
    std::cout << "Pressed OK on \"" << seen.caption << "\" during " << during;
    std::cout << (hasEditFields || seen.text.empty() ? std::string(".\n") : ": " + seen.text + "\n");
    return hasEditFields ? std::string() : seen.text;
}

// A full path as the operator's system names it: under Wine the Unix path,
// which Wine's kernel32 tells; on Windows the path itself.
std::string systemPath(const std::filesystem::path& path)
{
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* unixName = toUnix ? toUnix(path.wstring().c_str()) : nullptr;
    if (!unixName)
        return path.string();
    const std::string name(unixName);
    ::HeapFree(::GetProcessHeap(), 0, unixName);
    return name;
}

// The full path of the file the writer's message names ("File produced:
// RK3DZB.cbr"); empty when the message names none or the file is not there.
std::string producedFile(const std::string& message)
{
    const std::string lead = "File produced: ";
    if (message.rfind(lead, 0) != 0)
        return {};
    const std::filesystem::path file = std::filesystem::absolute(message.substr(lead.size()));
    return std::filesystem::exists(file) ? file.string() : std::string();
}

std::string dateText(const std::optional<CivilTime>& date)
{
    return date ? formatCivilTime(*date, "%Y-%m-%d") : "(no date)";
}

void printPlan(const ReplayPlan& plan)
{
    std::cout << "Own station " << plan.ownCallsign << " (" << plan.ownCountryPrefix << "), contest "
              << dateText(plan.contestStart) << " to " << dateText(plan.contestEnd) << "\n";
    if (!plan.callsWithoutCountry.empty()) {
        std::cout << "Not in cty.dat (replayed with an empty country prefix):";
        for (const std::string& call : plan.callsWithoutCountry)
            std::cout << " " << call;
        std::cout << "\n";
    }
}

// The summary comes from the rules replay.exe is built with, the results
// from Stats.dll; a Stats.dll of another version may count otherwise.
void warnOfOtherRules(std::size_t storedByDll, const LogSummary& summary, Language language)
{
    const std::size_t stored = summary.counted.size() + summary.duplicates.size();
    if (storedByDll != stored)
        std::cerr << inLanguage(language, "replay: Stats.dll stored ", "replay: Stats.dll сохранил ") << storedByDll
                  << inLanguage(language, " QSOs, the rules of this replay.exe ", " QSO, правила этого replay.exe — ")
                  << stored
                  << inLanguage(language, ": they are of different versions, and the summary may not match the results",
                                ": это разные версии, и сводка может не совпасть с результатом")
                  << "\n";
}

ContestLog readLog(const std::string& path)
{
    ContestLog log = readContestLogFile(path);
    printLineMessages(log, std::cerr);
    if (log.qsos.empty())
        throw LogFileError(path + ": no QSOs");
    printReadingSummary(log, path, std::cout);
    return log;
}

void writeReport(const std::string& path, ReportInput input)
{
    std::ofstream(path, std::ios::binary) << reportHtml(input);
    std::cout << "Report: " << systemPath(path) << "\n";
}

std::string absolutePath(const std::string& path)
{
    return path.empty() ? path : std::filesystem::absolute(path).string();
}

int replay(const ReplayOptions& options)
{
    const ContestLog log = readLog(options.logFile);
    const CountryPrefixes countries = CountryPrefixes::load(countryFilePath(options));
    const ReplayPlan plan = planReplay(log, options, countries);
    const std::vector<HeaderValue> header = cabrilloHeader(options);
    const std::string resultsFile = absolutePath(options.resultsFile), reportFile = absolutePath(options.reportFile);
    printPlan(plan);

    enterWorkingDirectory(options.workDir);
    prepareSettings(header);
    const StatsDll dll;

    ReportInput report;
    report.language = operatorLanguage();
    report.ownCallsign = plan.ownCallsign;
    report.logFile = options.logFile;
    std::size_t stored = 0;
    const Stopwatch refill;
    answeringDialogs(
        options.exportCabrillo, "ResetStats0", [&] { resetContest(dll, plan, options.exportCabrillo); },
        [&](HWND dialog) { typeHeaderValues(dialog, header); });
    {
        ProgressLine progress(std::cerr, _isatty(_fileno(stderr)) != 0, plan.qsos.size(),
                              [&refill] { return refill.milliseconds() / 1000.0; });
        for (std::size_t i = 0; i < plan.qsos.size(); ++i) {
            if (addQso(dll, plan.qsos[i], plan.countryPrefixes[i]))
                ++stored;
            progress.update(i + 1);
        }
    }
    const double refillMs = refill.milliseconds();

    const Stopwatch scoring;
    const std::string message = answeringDialogs(options.exportCabrillo, "GetResult0",
                                                 [&] { report.resultsText = dll.result(); });
    const double scoringMs = scoring.milliseconds();
    const std::string cabrilloFile = producedFile(message);
    if (!cabrilloFile.empty()) {
        report.cabrilloPath = systemPath(cabrilloFile);
        report.cabrilloText = fileContent(cabrilloFile);
    }

    report.summary = summarizeLog(log, plan.qsos, plan.countryPrefixes);
    warnOfOtherRules(stored, report.summary, report.language);
    std::cout << "AddData0: " << stored << " stored, " << plan.qsos.size() - stored << " rejected\n";
    printLogSummary(report.summary, report.language, std::cout);
    std::cout << "\n";
    std::cout << withoutCarriageReturns(report.resultsText) << "\n";
    std::cout << "err.txt:\n" << withoutCarriageReturns(fileContent("err.txt"));
    if (!report.cabrilloPath.empty())
        std::cout << "\nCabrillo file: " << report.cabrilloPath << "\n";
    if (!resultsFile.empty())
        std::ofstream(resultsFile, std::ios::binary) << report.resultsText;
    if (!reportFile.empty())
        writeReport(reportFile, std::move(report));
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
    } catch (const LogFileError& error) {
        std::cerr << error.what() << "\n";
    } catch (const std::exception& error) {
        std::cerr << "replay: " << error.what() << "\n";
    }
    return 1;
}
