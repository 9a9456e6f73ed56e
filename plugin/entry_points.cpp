#include "plugin/entry_points.h"

#include "rules/acceptance.h"
#include "rules/call_check.h"
#include "rules/reset.h"
#include "score/results.h"

namespace {

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
//
// The ended callers' texts are freed as the request begins: one that ends
// while this request runs keeps its text until the next.
const char* EntryPoints::getResult(int* out, CallerId caller) noexcept
{
    const char* result = guarded(kEmptyText, [&] {
        freeEndedCallersTexts();
        std::unique_lock<std::mutex> entry(entry_);
        Results results = buildResults(state_, cabrillo_, platform_);
        const char* kept = keepResultsText(caller, std::move(results.text));
        if (results.exportMessage.empty())
            return kept;
        whileUnlocked(entry, [&] { platform_.showOutput(results.exportMessage); });
        return resultsTextOf(caller);
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

void EntryPoints::releaseResultsText(CallerId caller) noexcept
{
    guarded(0, [&] {
        std::lock_guard<std::mutex> texts(textsLock_);
        ResultsTexts::node_type ended = resultsTexts_.extract(caller);
        if (!ended.empty())
            endedCallersTexts_.push_back(std::move(ended));
        return 0;
    });
}

// The texts are destroyed outside the lock, so that a thread's end never
// waits for the heap.
void EntryPoints::freeEndedCallersTexts()
{
    std::vector<ResultsTexts::node_type> ended;
    {
        std::lock_guard<std::mutex> texts(textsLock_);
        ended.swap(endedCallersTexts_);
    }
}

std::size_t EntryPoints::keptResultsTexts()
{
    std::lock_guard<std::mutex> texts(textsLock_);
    return resultsTexts_.size() + endedCallersTexts_.size();
}

const char* EntryPoints::keepResultsText(CallerId caller, std::string text)
{
    std::lock_guard<std::mutex> texts(textsLock_);
    std::string& kept = resultsTexts_[caller];
    kept = std::move(text);
    return kept.c_str();
}

const char* EntryPoints::resultsTextOf(CallerId caller)
{
    std::lock_guard<std::mutex> texts(textsLock_);
    return resultsTexts_[caller].c_str();
}
