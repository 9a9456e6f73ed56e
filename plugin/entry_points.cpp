#include "plugin/entry_points.h"

#include <algorithm>

#include "rules/acceptance.h"
#include "rules/call_check.h"
#include "rules/reset.h"
#include "score/results.h"

namespace {

// A host that starts a thread per call would otherwise grow the texts
// without end; the least recently served caller's text goes first.
constexpr std::size_t kKeptResultsTexts = 16;

std::string text(const char* hostText) { return hostText ? hostText : ""; }

OleDateTime dateTime(const HostDateTime* host)
{
    if (!host)
        return OleDateTime::null();
    return {host->date, host->status};
}

QsoFields qsoFields(const HostQso& host)
{
    QsoFields qso;
    qso.ownCallsign = text(host.ownCallsign);
    qso.workedCallsign = text(host.workedCallsign);
    qso.time = dateTime(host.time);
    qso.frequencyHz = host.frequencyHz;
    qso.mode = text(host.mode);
    qso.rstSent = text(host.rstSent);
    qso.rstReceived = text(host.rstReceived);
    qso.exchangeSent = text(host.exchangeSent);
    qso.exchangeReceived = text(host.exchangeReceived);
    qso.countryPrefix = text(host.countryPrefix);
    qso.band = text(host.band);
    return qso;
}

template <typename Result, typename Body>
Result guarded(Result failureResult, Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failureResult;
    }
}

// Returned where the host expects text and the results could not be built.
const char kEmptyText[] = "";

}  // namespace

EntryPoints::EntryPoints(Platform& platform, std::string errorLogPath)
    : platform_(platform), errors_(platform.files(), std::move(errorLogPath))
{
    // The host holds on to the characters: the texts must never move.
    resultsTexts_.reserve(kKeptResultsTexts);
}

int EntryPoints::addData(const HostQso& qso) noexcept
{
    return guarded(0, [&] {
        std::lock_guard<std::mutex> entry(entry_);
        return addQso(state_, errors_, qsoFields(qso));
    });
}

int EntryPoints::removeData(const HostQso& qso) noexcept
{
    return guarded(0, [&] {
        std::lock_guard<std::mutex> entry(entry_);
        return removeQso(state_, qsoFields(qso));
    });
}

int EntryPoints::checkCall(const char* callsign, const char* mode, const char* band, char* message) noexcept
{
    return guarded(1, [&] {
        std::lock_guard<std::mutex> entry(entry_);
        const CallCheck check = ::checkCall(state_, platform_, text(callsign), text(mode), text(band));
        if (check.mayWork)
            return 1;
        copyWarning(check.warning, message, kWarningBufferSize);
        return 0;
    });
}

// The "Output" box is shown with the lock let go; a call the host makes
// from the box's message loop may replace this caller's text, and then the
// newer text is the one returned.
const char* EntryPoints::getResult(int* out, CallerId caller) noexcept
{
    const char* result = guarded(kEmptyText, [&] {
        std::unique_lock<std::mutex> entry(entry_);
        Results results = buildResults(state_, cabrillo_, platform_);
        resultsTextOf(caller) = results.text;
        if (!results.exportMessage.empty())
            whileUnlocked(entry, [&] { platform_.showOutput(results.exportMessage); });
        std::string& kept = resultsTextOf(caller);
        if (kept.empty())
            kept = std::move(results.text);
        return kept.c_str();
    });
    if (out)
        *out = -1;
    return result;
}

int EntryPoints::resetStats(int exportFlag, const char* ownCallsign, const HostDateTime* contestStart,
                            const HostDateTime* contestEnd, const char* ownCountryPrefix) noexcept
{
    return guarded(1, [&] {
        std::unique_lock<std::mutex> entry(entry_);
        const ResetArgs args{exportFlag, text(ownCallsign), dateTime(contestStart), dateTime(contestEnd),
                             text(ownCountryPrefix)};
        resetContest(state_, errors_, cabrillo_, platform_, args, entry);
        return 1;
    });
}

// Starting and closing the windows waits for the window thread, so it runs
// outside the lock; the windows keep their own order.
void EntryPoints::runCommand(const char* command) noexcept
{
    guarded(0, [&] {
        const std::string name = text(command);
        if (name == "SHOWINFO")
            platform_.showModePanel();
        else if (name == "HIDEINFO")
            platform_.closeWindows();
        return 0;
    });
}

// A text that is never empty once built: an empty one is a fresh slot.
std::string& EntryPoints::resultsTextOf(CallerId caller)
{
    ++resultsCalls_;
    auto slot = std::find_if(resultsTexts_.begin(), resultsTexts_.end(),
                             [&](const CallerText& kept) { return kept.caller == caller; });
    if (slot == resultsTexts_.end()) {
        if (resultsTexts_.size() < kKeptResultsTexts) {
            resultsTexts_.push_back({caller, {}, 0});
            slot = resultsTexts_.end() - 1;
        } else {
            slot = std::min_element(resultsTexts_.begin(), resultsTexts_.end(),
                                    [](const CallerText& a, const CallerText& b) { return a.lastUse < b.lastUse; });
            *slot = {caller, {}, 0};
        }
    }
    slot->lastUse = resultsCalls_;
    return slot->text;
}
