// replay.exe: plays a contest log through Stats.dll the way the host does.
// Stats.dll is loaded from replay.exe's own folder; the contest run is begun
// with ResetStats0, every QSO goes in through AddData0 with the host's full
// argument list, and GetResult0 gives the results text, printed together
// with the error log err.txt that the run left in the working directory.
//
// Everything the operator reads is in Russian when the system's UI language
// is Russian, in English otherwise.  Paths are taken and shown in UTF-8, so
// folders with Cyrillic names and blanks open.
//
// Exit status: 0 when every QSO of the log was replayed, 2 when some were
// not (lines that could not be read, QSOs outside the contest's days; they
// are listed, the rest is replayed), 1 when nothing could be replayed (bad
// command line, a file that is no log or holds no QSO, unreadable files) or
// when a file the operator asked for could not be written.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>

#include "base/console.h"
#include "base/country_file.h"
#include "base/files_win32.h"
#include "base/text_win32.h"
#include "base/whole_file.h"
#include "cabrillo/cabrillo_log.h"
#include "contest/settings_win32.h"
#include "dialog_answerer.h"
#include "messages/message_catalogue.h"
#include "log_summary.h"
#include "logfile/log_file.h"
#include "logfile/reading_summary.h"
#include "replay_options.h"
#include "replay_progress.h"
#include "report_html.h"
#include "resource.h"
#include "stats_dll.h"
#include "stats_version.h"
#include "stopwatch.h"

namespace {

Language gLanguage = Language::English;  // set once, first thing in wmain

// A catalogue message in the operator's language.
std::string say(MessageId id, const std::vector<std::string>& values = {})
{
    return ::say(id, gLanguage, values);
}

Language systemLanguage()
{
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_RUSSIAN ? Language::Russian : Language::English;
}

// Says "cannot write PATH: reason" on stderr when the whole of `bytes`
// cannot be put into the file, and returns false then.
bool writeOutput(const std::string& path, const std::string& bytes)
{
    const std::optional<WriteFailure> failure = writeWholeFileWin32(path, bytes);
    if (!failure)
        return true;
    const std::string reason = failure->kind == WriteFailure::Folder     ? say(MessageId::ReplayIsAFolder)
                               : failure->kind == WriteFailure::ReadOnly ? say(MessageId::ReplayReadOnly)
                                                                         : failure->systemReason;
    std::cerr << say(MessageId::ReplayCannotWrite, {systemPath(path), reason}) << "\n";
    return false;
}

// cty.dat beside replay.exe, or else where Debian's hamradio-files puts it.
std::string countryFilePath(const ReplayOptions& options)
{
    if (!options.countryFile.empty())
        return options.countryFile;
    if (const auto found = findCountryFile(pathOf(programFolder())))
        return found->u8string();
    throw CountryFileError(say(MessageId::ReplayNoCountryFile));
}

// The header values the dialog opens with: the log's own, then the header
// file's, then those of --header, the later winning in the dialog.
std::vector<HeaderValue> cabrilloHeader(const ReplayOptions& options, const ContestLog& log)
{
    std::vector<std::string> leftOut;
    std::vector<HeaderValue> header = headerFromLog(log, leftOut);
    for (const std::string& line : leftOut)
        std::cout << say(MessageId::ReplayNotACabrilloValue, {options.logFile, line}) << "\n";
    if (!options.headerFile.empty()) {
        std::ifstream in(pathOf(options.headerFile));
        if (!in)
            throw UsageError(say(MessageId::ReplayCannotReadHeaderFile, {options.headerFile}));
        const std::vector<HeaderValue> fromFile = readHeaderFile(in, options.headerFile);
        header.insert(header.end(), fromFile.begin(), fromFile.end());
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

const wchar_t kSettingsFile[] = L"Plugins\\ZEMRIX.ini";

// replay.exe marks the settings files it writes, so that one the host wrote
// can be told from them.  A mark that cannot be written means the settings
// cannot be either: the run would not be the one asked for.
void markSettingsAsReplays()
{
    if (!::WritePrivateProfileStringW(L"Replay", L"WrittenBy", L"replay.exe", kSettingsFile))
        throw std::runtime_error(say(MessageId::ReplayCannotWrite, {systemPath(absolutePath("Plugins\\ZEMRIX.ini")),
                                                                    systemMessage(::GetLastError())}));
}

bool holdsHostSettings(const std::string& folder)
{
    const std::wstring file = wide(folder) + L"\\" + kSettingsFile;
    if (::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    wchar_t writer[32] = {};
    ::GetPrivateProfileStringW(L"Replay", L"WrittenBy", L"", writer, 32, file.c_str());
    return std::wstring(writer) != L"replay.exe";
}

// Stats.dll names its settings file and err.txt relative to the current
// directory, and cannot create the "Plugins" folder the settings live in.
// The host's own folder is refused: its settings and err.txt would be
// overwritten.
void enterWorkingDirectory(const std::string& folder)
{
    std::error_code error;
    if (folder.empty() && holdsHostSettings(currentFolder()))
        throw std::runtime_error(say(MessageId::ReplayHostSettingsHere));
    if (!folder.empty()) {
        std::filesystem::create_directories(pathOf(folder), error);
        if (error || !::SetCurrentDirectoryW(wide(folder).c_str()))
            throw std::runtime_error(say(MessageId::ReplayCannotOpenWorkFolder, {systemPath(absolutePath(folder))}) +
                                     (error ? ": " + error.message() : ""));
    }
    std::filesystem::create_directories("Plugins", error);
    if (error)
        throw std::runtime_error(
            say(MessageId::ReplayCannotCreatePlugins, {systemPath(currentFolder()), error.message()}));
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
    markSettingsAsReplays();
}

// The host fills every argument; those Stats.dll ignores get the plain
// values a host has at hand.
int addQso(const StatsDll& dll, const LoggedQso& qso, const std::string& countryPrefix)
{
    HostDateTime time = hostDateTime(oleTimeOf(qso.time));
    const char* none = "";
    return dll.AddData0(qso.ownCallsign.c_str(), qso.workedCallsign.c_str(), &time, &time, &time, &time, 0,
                        qso.frequencyHz, qso.mode.c_str(), qso.rstSent.c_str(), qso.rstReceived.c_str(),
                        qso.exchangeSent.c_str(), qso.exchangeReceived.c_str(), none, none, none, none, none, none,
                        none, none, none, countryPrefix.c_str(), 0, 0, 0, 0.0, 0.0, none, none, none,
                        qso.band.c_str(), none);
}

void resetContest(const StatsDll& dll, const ReplayPlan& plan, bool exportCabrillo)
{
    HostDateTime start = hostDateTime(oleTimeOf(plan.contestStart)),
                 end = hostDateTime(oleTimeOf(plan.contestEnd));
    const char* none = "";
    dll.ResetStats0(none, exportCabrillo ? 1 : 0, plan.ownCallsign.c_str(), &start, &end, none, none, none, none,
                    none, none, none, none, none, plan.ownCountryPrefix.c_str(), 0, 0, 0, 0.0, 0.0, none, none,
                    none);
}

// What a dialog of the DLL showed: whether one appeared, and a message
// box's text (empty for the header dialog, which has edit fields).
struct DialogSeen {
    bool appeared = false;
    std::string message;
};

// In export mode Stats.dll shows the Cabrillo header dialog during the reset
// and a message box during GetResult0; each call runs while a watcher stands
// by to fill in the dialog with `fillIn` and press OK on whatever dialog
// window of this process appears.
template <typename Call>
DialogSeen answeringDialogs(bool exportCabrillo, Call call, const std::function<void(HWND)>& fillIn = nullptr)
{
    if (!exportCabrillo) {
        call();
        return {};
    }
    MessageBoxRecord seen;
    bool hasEditFields = false;
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
    return {answerer.answered(), hasEditFields ? std::string() : seen.text};
}

// Why the export wrote no Cabrillo file; empty when it wrote one.  The
// writer's message is "File produced: NAME" or "File not produced: NAME
// (reason)".
std::string exportFailure(const DialogSeen& header, const DialogSeen& output, const std::string& cabrilloFile)
{
    if (!header.appeared)
        return say(underWine() ? MessageId::ReplayNoHeaderDialogOnX : MessageId::ReplayNoHeaderDialog);
    const std::string notProduced = "File not produced: ";
    if (output.message.rfind(notProduced, 0) == 0) {
        const auto open = output.message.find(" (");
        return open == std::string::npos ? output.message
                                         : output.message.substr(open + 2, output.message.size() - open - 3);
    }
    if (output.message.rfind("File produced: ", 0) == 0 && fileExists(cabrilloFile))
        return {};
    return say(MessageId::ReplayNoFileProduced);
}

std::string dateText(const std::optional<CivilTime>& date)
{
    return date ? formatCivilTime(*date, "%Y-%m-%d") : say(MessageId::ReplayNoDate);
}

void printPlan(const ReplayPlan& plan)
{
    std::cout << say(MessageId::ReplayOwnStation,
                     {plan.ownCallsign, plan.ownCountryPrefix, dateText(plan.contestStart), dateText(plan.contestEnd)})
              << "\n";
    if (!plan.callsWithoutCountry.empty()) {
        std::cout << say(MessageId::ReplayNotInCountryFile);
        for (const std::string& call : plan.callsWithoutCountry)
            std::cout << " " << call;
        std::cout << "\n";
    }
}

const std::size_t kListedQsos = 20;

// QSOs outside the days of --start and --end are named and left out; a log
// that spans more than two days without them is most likely a whole logbook.
void printOutsideContest(const ReplayPlan& plan, const ReplayOptions& options)
{
    for (std::size_t i = 0; i < plan.outsideContest.size() && i < kListedQsos; ++i) {
        const LoggedQso& qso = plan.outsideContest[i];
        std::cerr << options.logFile << ":" << qso.line << ": "
                  << say(MessageId::ReplayQsoOutsideDays,
                         {qso.workedCallsign, formatCivilTime(qso.time, "%Y-%m-%d %H:%M")})
                  << "\n";
    }
    if (plan.outsideContest.size() > kListedQsos)
        std::cerr << say(MessageId::ReplayMoreOutside, {std::to_string(plan.outsideContest.size() - kListedQsos)})
                  << "\n";
    if (options.plan.contestStart || options.plan.contestEnd || plan.logSpanDays <= 2.0)
        return;
    const std::string days = std::to_string(static_cast<long>(std::ceil(plan.logSpanDays)));
    std::cout << say(MessageId::ReplayLogSpansDays, {days}) << "\n";
}

// The log's CLAIMED-SCORE beside the score the rules give.
void printClaimedScore(const ContestLog& log, const std::string& resultsText)
{
    const std::optional<long long> claimed = claimedScoreOf(log), computed = scoreOfResults(resultsText);
    if (!claimed || !computed)
        return;
    if (*claimed == *computed)
        std::cout << say(MessageId::ReplayClaimedSame, {std::to_string(*claimed)}) << "\n";
    else
        std::cout << say(MessageId::ReplayClaimedDiffers, {std::to_string(*claimed), std::to_string(*computed),
                                                           std::to_string(std::llabs(*claimed - *computed))})
                  << "\n";
}

ContestLog readLog(const std::string& path)
{
    ContestLog log = readContestLogFile(path);
    printLineMessages(log, std::cerr, gLanguage);
    if (log.qsos.empty())
        throw LogFileError(path, {MessageId::NoQsos});
    printReadingSummary(log, path, std::cout);
    return log;
}

// The summary comes from the rules replay.exe is built with, the results
// from Stats.dll; a Stats.dll of another version may count otherwise.
void warnOfOtherRules(std::size_t storedByDll, const LogSummary& summary)
{
    const std::size_t stored = summary.counted.size() + summary.duplicates.size();
    if (storedByDll != stored)
        std::cerr << say(MessageId::ReplayOtherRules, {std::to_string(storedByDll), std::to_string(stored)}) << "\n";
}

bool writeReport(const std::string& path, const ReportInput& input)
{
    if (!writeOutput(path, reportHtml(input)))
        return false;
    std::cout << say(MessageId::ReplayReport, {systemPath(path)}) << "\n";
    return true;
}

std::string oneDecimal(double milliseconds)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << milliseconds;
    return text.str();
}

int replay(const ReplayOptions& options)
{
    const ContestLog log = readLog(options.logFile);
    const CountryPrefixes countries = CountryPrefixes::load(countryFilePath(options));
    const ReplayPlan plan = replayPlanOf(log, options, countries);
    const std::vector<HeaderValue> header =
        options.exportCabrillo ? cabrilloHeader(options, log) : std::vector<HeaderValue>();
    const std::string resultsFile = absolutePath(options.resultsFile), reportFile = absolutePath(options.reportFile);
    printPlan(plan);
    printOutsideContest(plan, options);
    if (plan.qsos.empty())
        throw LogFileError(options.logFile, {MessageId::NoQsosInContestDays});

    enterWorkingDirectory(options.workDir);
    prepareSettings(header);
    const StatsDll dll;

    ReportInput report;
    report.language = gLanguage;
    report.ownCallsign = plan.ownCallsign;
    report.logFile = options.logFile;
    std::size_t stored = 0;
    const Stopwatch refill;
    const DialogSeen headerDialog = answeringDialogs(
        options.exportCabrillo, [&] { resetContest(dll, plan, options.exportCabrillo); },
        [&](HWND dialog) { typeHeaderValues(dialog, header); });
    {
        ProgressLine progress(std::cerr, isTerminal(stderr), [&refill] { return refill.milliseconds() / 1000.0; },
                              replayProgressText(plan.qsos.size(), gLanguage));
        for (std::size_t i = 0; i < plan.qsos.size(); ++i) {
            if (addQso(dll, plan.qsos[i], plan.countryPrefixes[i]))
                ++stored;
            progress.update(i + 1);
        }
    }
    const double refillMs = refill.milliseconds();

    const Stopwatch scoring;
    const DialogSeen outputBox =
        answeringDialogs(options.exportCabrillo, [&] { report.resultsText = dll.result(); });
    const double scoringMs = scoring.milliseconds();

    // Stats.dll says nothing when it cannot write its error log.
    bool written = fileExists("err.txt");
    if (!written)
        std::cerr << say(MessageId::ReplayCannotWrite,
                         {systemPath(absolutePath("err.txt")), say(MessageId::ReplayErrorLogNotWritten)})
                  << "\n";
    if (options.exportCabrillo) {
        const std::string cabrilloFile = absolutePath(cabrilloBaseName(plan.ownCallsign) + ".cbr");
        const std::string failure = exportFailure(headerDialog, outputBox, cabrilloFile);
        if (failure.empty()) {
            report.cabrilloPath = systemPath(cabrilloFile);
            report.cabrilloText = readWholeFile(pathOf(cabrilloFile));
        } else {
            std::cerr << say(MessageId::ReplayCannotWrite, {systemPath(cabrilloFile), failure}) << "\n";
            written = false;
        }
    }

    report.summary = summarizeLog(log, plan.qsos, plan.countryPrefixes);
    warnOfOtherRules(stored, report.summary);
    const std::string taken = std::to_string(stored), refused = std::to_string(plan.qsos.size() - stored);
    std::cout << say(MessageId::ReplayRulesTook, {taken, refused}) << "\n";
    printLogSummary(report.summary, gLanguage, std::cout);
    std::cout << "\n";
    std::cout << withoutCarriageReturns(report.resultsText) << "\n";
    printClaimedScore(log, report.resultsText);
    std::cout << say(MessageId::ReplayWhatRulesFound) << "\n" << withoutCarriageReturns(readWholeFile("err.txt"));
    if (!report.cabrilloPath.empty())
        std::cout << "\n" << say(MessageId::ReplayCabrilloFile, {report.cabrilloPath}) << "\n";
    if (!resultsFile.empty())
        written = writeOutput(resultsFile, report.resultsText) && written;
    if (!reportFile.empty())
        written = writeReport(reportFile, report) && written;
    if (options.timing) {
        std::cout << "\n"
                  << say(MessageId::ReplayTiming,
                         {std::to_string(plan.qsos.size()), oneDecimal(refillMs), oneDecimal(scoringMs)})
                  << "\n";
        if (options.exportCabrillo)
            std::cout << say(MessageId::ReplayTimingWithDialogs) << "\n";
    }
    if (!written)
        return 1;
    return log.skipped.empty() && plan.outsideContest.empty() ? 0 : 2;
}

std::vector<std::string> utf8Arguments(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(utf8(argv[i]));
    return arguments;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    gLanguage = systemLanguage();
    ::SetConsoleOutputCP(CP_UTF8);
    const std::vector<std::string> arguments = utf8Arguments(argc, argv);
    if (arguments.size() == 1 && arguments[0] == "--version") {
        std::cout << "replay " STATS_VERSION_TEXT "\n";
        return 0;
    }
    try {
        const ReplayOptions options = parseCommandLine(arguments);
        if (options.help) {
            std::cout << usageText(gLanguage);
            return 0;
        }
        return replay(options);
    } catch (const UsageError& error) {
        std::cerr << "replay: " << error.what() << "\n" << usageText(gLanguage);
    } catch (const LogFileError& error) {
        std::cerr << error.fileName() << ": " << error.why().in(gLanguage) << "\n";
    } catch (const std::exception& error) {
        std::cerr << "replay: " << error.what() << "\n";
    }
    return 1;
}
