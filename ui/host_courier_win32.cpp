#include "ui/host_courier_win32.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "ui/host_link_win32.h"
#include "ui/multiplier_table.h"
#include "contest/unload_gate_win32.h"

namespace ui {

namespace {

constexpr UINT kDeliverMacros = WM_APP + 21;
constexpr UINT kReadHost = WM_APP + 22;
constexpr UINT_PTR kRetryTimer = 1;
// A host that refuses a call (busy, or its automation not up yet) gets a
// few more tries over about a second before the panel says it does not
// answer.
constexpr int kDeliveryTries = 5;
constexpr UINT kRetryDelayMs = 250;
// A courier that has not taken up what was left for it by then is on a
// thread that does not pump (or is caught in a long call of the host's):
// the next host's thread that calls the plug-in takes its place.
constexpr DWORD kStaleAfterMs = 250;

// What the window thread and the courier hand each other.  The lock is held
// only to move texts in or out, never across a call.
struct Post {
    std::mutex lock;
    std::vector<std::string> macros;
    HWND macrosFrom = nullptr;
    int failedTries = 0;
    std::optional<HostReading> reading;
};

Post post;

std::atomic<HWND> inService{nullptr};
// The system class's procedure, the same for every courier.
std::atomic<WNDPROC> systemProcedure{nullptr};
// When the oldest request the courier has not taken up yet was left for it
// (GetTickCount, never 0); 0 when it has taken up everything.
std::atomic<DWORD> waitingSince{0};

void noteRequestLeft()
{
    DWORD none = 0;
    waitingSince.compare_exchange_strong(none, ::GetTickCount() | 1);
}

bool leftWaitingTooLong()
{
    const DWORD since = waitingSince;
    return since != 0 && ::GetTickCount() - since > kStaleAfterMs;
}

bool onThisThread(HWND courier)
{
    return ::GetWindowThreadProcessId(courier, nullptr) == ::GetCurrentThreadId();
}

// The window that sent macros still waiting hears that nothing carries
// them now; they stay for the next courier.
void reportUndeliveredAs(MacroOutcome outcome)
{
    std::lock_guard<std::mutex> guard(post.lock);
    if (!post.macros.empty() && post.macrosFrom)
        ::PostMessageA(post.macrosFrom, kMacroOutcomeMessage, outcome, 0);
    post.failedTries = 0;
}

// Sends the macros in order until the host fails one; how many went.
std::size_t sendToHost(const std::vector<std::string>& macros)
{
    ComUse com;
    HostLink host;
    std::size_t sent = 0;
    while (host && sent < macros.size() && host.sendMacro(macros[sent]))
        ++sent;
    return sent;
}

// What the host refused goes back to the front of the outbox for another
// try, or, after the last try, is given up.
void deliverMacros(HWND courier)
{
    std::vector<std::string> macros;
    {
        std::lock_guard<std::mutex> guard(post.lock);
        macros.swap(post.macros);
    }
    if (macros.empty())
        return;
    const std::size_t sent = sendToHost(macros);
    std::lock_guard<std::mutex> guard(post.lock);
    if (sent == macros.size()) {
        post.failedTries = 0;
        if (post.macros.empty())
            ::PostMessageA(post.macrosFrom, kMacroOutcomeMessage, kMacrosDelivered, 0);
        return;
    }
    post.macros.insert(post.macros.begin(), macros.begin() + static_cast<std::ptrdiff_t>(sent), macros.end());
    if (++post.failedTries < kDeliveryTries) {
        ::SetTimer(courier, kRetryTimer, kRetryDelayMs, nullptr);
        return;
    }
    post.macros.clear();
    post.failedTries = 0;
    ::PostMessageA(post.macrosFrom, kMacroOutcomeMessage, kHostNotAnswering, 0);
}

// The link is let go before anything shows the reading.  The frequency is
// not asked for a partial callsign, which leaves the band as it is.
std::optional<HostReading> readHost()
{
    ComUse com;
    HostLink host;
    if (!host)
        return std::nullopt;
    const std::optional<std::string> callsign = host.enteredCallsign();
    if (!callsign)
        return std::nullopt;
    HostReading reading{*callsign};
    if (!isPartialCallsign(reading.callsign))
        reading.frequencyHz = host.frequencyHz().value_or(NAN);
    return reading;
}

void readHostFor(HWND replyTo)
{
    std::optional<HostReading> reading = readHost();
    if (!reading)
        return;
    {
        std::lock_guard<std::mutex> guard(post.lock);
        post.reading = std::move(reading);
    }
    ::PostMessageA(replyTo, kHostReadingMessage, 0, 0);
}

// Behind the unload gate: a call into the host that outlasts the host's
// FreeLibrary keeps the library until it returns.
LRESULT CALLBACK courierProcedure(HWND courier, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        switch (message) {
        case WM_TIMER:
            if (wParam != kRetryTimer)
                break;
            ::KillTimer(courier, kRetryTimer);
            deliverMacros(courier);
            return 0;
        case kDeliverMacros:
            waitingSince = 0;
            deliverMacros(courier);
            return 0;
        case kReadHost:
            waitingSince = 0;
            readHostFor(reinterpret_cast<HWND>(wParam));
            return 0;
        default:
            break;
        }
    } catch (...) {
        return 0;
    }
    return ::CallWindowProcA(systemProcedure, courier, message, wParam, lParam);
}

// The system's procedure back in place and the window asked to close: it
// goes when its thread pumps, without any code of the DLL.  A call it is
// making goes on; it holds the library (the gate's reference) until it
// returns, and what it hands back goes through the outbox's lock.
void makeHarmless(HWND courier)
{
    ::SetWindowLongPtrA(courier, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProcedure.load()));
    ::PostMessageA(courier, WM_CLOSE, 0, 0);
}

void retire(HWND courier)
{
    if (onThisThread(courier))
        ::DestroyWindow(courier);
    else
        makeHarmless(courier);
}

HWND openCourier()
{
    HWND courier = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!courier)
        return nullptr;
    const LONG_PTR system =
        ::SetWindowLongPtrA(courier, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gated(courierProcedure)));
    if (!system) {
        ::DestroyWindow(courier);
        return nullptr;
    }
    systemProcedure = reinterpret_cast<WNDPROC>(system);
    return courier;
}

HWND courierStillServing()
{
    HWND courier = inService;
    return courier && ::IsWindow(courier) ? courier : nullptr;
}

}  // namespace

// A courier that serves is kept unless it has left a request waiting too
// long; this thread then takes over and delivers what waits.
void offerCourier()
{
    HWND serving = inService;
    const bool servingWell = serving && ::IsWindow(serving) && !leftWaitingTooLong();
    if (servingWell || (serving && onThisThread(serving)))
        return;
    HWND courier = openCourier();
    if (!courier)
        return;
    if (!inService.compare_exchange_strong(serving, courier)) {
        ::DestroyWindow(courier);
        return;
    }
    if (serving)
        retire(serving);
    waitingSince = 0;
    std::lock_guard<std::mutex> guard(post.lock);
    if (!post.macros.empty() && ::PostMessageA(courier, kDeliverMacros, 0, 0))
        noteRequestLeft();
}

void retireCourier()
{
    if (HWND courier = inService.exchange(nullptr))
        retire(courier);
    waitingSince = 0;
    std::lock_guard<std::mutex> guard(post.lock);
    post.macros.clear();
    post.failedTries = 0;
    post.reading.reset();
}

void courierThreadEnding()
{
    HWND courier = inService;
    if (!courier || !onThisThread(courier) || !inService.compare_exchange_strong(courier, nullptr))
        return;
    ::DestroyWindow(courier);
    waitingSince = 0;
    reportUndeliveredAs(kCourierGone);
}

void deliverNow()
{
    HWND courier = inService;
    if (courier && onThisThread(courier))
        ::SendMessageA(courier, kDeliverMacros, 0, 0);
}

bool sendMacros(HWND replyTo, std::initializer_list<const char*> macros)
{
    {
        std::lock_guard<std::mutex> guard(post.lock);
        post.macros.insert(post.macros.end(), macros.begin(), macros.end());
        post.macrosFrom = replyTo;
    }
    HWND courier = courierStillServing();
    if (!courier || !::PostMessageA(courier, kDeliverMacros, 0, 0))
        return false;
    noteRequestLeft();
    return true;
}

bool requestReading(HWND replyTo)
{
    HWND courier = courierStillServing();
    if (!courier || !::PostMessageA(courier, kReadHost, reinterpret_cast<WPARAM>(replyTo), 0))
        return false;
    noteRequestLeft();
    return true;
}

std::optional<HostReading> takeReading()
{
    std::lock_guard<std::mutex> guard(post.lock);
    std::optional<HostReading> reading = std::move(post.reading);
    post.reading.reset();
    return reading;
}

}  // namespace ui
