// The refill, CheckCall0 and RemoveData0 timed through the real Stats.dll,
// called as the host calls them, on a log of N QSOs (100,000 unless given)
// with 2% duplicates.  Unlike the replay tool's timing, the refill's figure
// holds nothing but the DLL's calls.  Runs in FOLDER, by default the folder
// dll-timing-run beside dll_timing.exe (err.txt and Plugins\ZEMRIX.ini go
// there), so a run from the source tree leaves nothing in it:
//
//     wine build/win32/dll_timing.exe [N [FOLDER]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "bench/contest_log.h"
#include "contest/settings_win32.h"
#include "stats_dll.h"
#include "stopwatch.h"

namespace {

QsoCall hostCall(const QsoFields& qso)
{
    QsoCall call;
    call.worked = qso.workedCallsign;
    call.time = qso.time;
    call.frequencyHz = qso.frequencyHz;
    call.mode = qso.mode;
    call.rstSent = qso.rstSent;
    call.rstReceived = qso.rstReceived;
    call.exchangeSent = qso.exchangeSent;
    call.exchangeReceived = qso.exchangeReceived;
    call.countryPrefix = qso.countryPrefix;
    call.band = qso.band;
    return call;
}

int utcHourNow()
{
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    return now.wHour;
}

// The folder beside this program that a run writes into unless told otherwise.
std::filesystem::path defaultRunFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / "dll-timing-run";
}

void report(const char* what, double microseconds) { std::printf("%-48s %10.2f us\n", what, microseconds); }

// The mean of `calls` calls of `call`.
double meanMicroseconds(int calls, const std::function<void()>& call)
{
    const Stopwatch watch;
    for (int i = 0; i < calls; ++i)
        call();
    return watch.microseconds() / calls;
}

// RemoveData0 of the QSO at `position` in the DLL's log, `passes` times; each
// QSO goes back at the end, untimed, and the next pass takes the QSO that has
// come into its place.  Reports the mean and the slowest pass.
void timeRemovals(const StatsDll& dll, const std::vector<QsoCall>& log, std::size_t position, const char* what)
{
    constexpr int kPasses = 200;
    const std::size_t step = position == log.size() - 1 ? 0 : 1;
    double total = 0, slowest = 0;
    for (int pass = 0; pass < kPasses; ++pass) {
        const QsoCall& qso = log[(position + step * static_cast<std::size_t>(pass)) % log.size()];
        const Stopwatch watch;
        dll.removeData(qso);
        const double took = watch.microseconds();
        total += took;
        slowest = std::max(slowest, took);
        dll.addData(qso);
    }
    std::printf("%-48s %10.2f us mean, %.2f us slowest\n", what, total / kPasses, slowest);
}

}  // namespace

int main(int argc, char** argv)
{
    const int size = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::filesystem::path folder = argc > 2 ? std::filesystem::path(argv[2]) : defaultRunFolder();
    std::filesystem::create_directories(folder / "Plugins");
    std::filesystem::current_path(folder);
    // With "Start" at 1 a reset leaves the mode panel closed (see the replay tool).
    PrivateProfileSettings().write("Start", "1");
    StatsDll dll;
    std::vector<QsoCall> log;
    for (const QsoFields& qso : contestLog(size))
        log.push_back(hostCall(qso));

    const Stopwatch refill;
    dll.reset(0, "OWN", utc(2015, 6, 14, 0, 0), utc(2015, 6, 15, 23, 59), "DL");
    for (const QsoCall& qso : log)
        dll.addData(qso);
    std::printf("%-48s %10.1f ms for %d QSOs\n", "ResetStats0 and every AddData0", refill.milliseconds(), size);

    // Typing a station that is in the log, though not on this band: no
    // conflict.  Then one worked on this band and mode in this UTC hour.
    char message[100] = {};
    report("CheckCall0, no conflict", meanMicroseconds(10000, [&] { dll.checkCall("UA3R3", "CW", "40m", message); }));
    const int hour = utcHourNow();
    const auto thisHour =
        std::find_if(log.begin(), log.end(), [&](const QsoCall& qso) { return qso.time.hour() == hour; });
    if (thisHour != log.end()) {
        report("CheckCall0, conflict", meanMicroseconds(10000, [&] {
                   dll.checkCall(thisHour->worked.c_str(), thisHour->mode.c_str(), thisHour->band.c_str(), message);
               }));
    }

    timeRemovals(dll, log, 0, "RemoveData0, first QSO");
    timeRemovals(dll, log, log.size() / 2, "RemoveData0, middle QSO");
    timeRemovals(dll, log, log.size() - 1, "RemoveData0, last QSO");

    const Stopwatch watch;
    for (auto qso = log.rbegin(); qso != log.rend(); ++qso)
        dll.removeData(*qso);
    report("RemoveData0 of every QSO, newest first (total)", watch.microseconds());
    return 0;
}
