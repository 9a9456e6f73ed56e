#include "ui/host_courier_win32.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "ui/host_link_win32.h"
#include "ui/multiplier_table.h"

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
// How long a courier retired from another thread may finish the call it is
// making.  Calls into a host object on the courier's own thread take
// microseconds; only a host object on a third, busy thread takes longer.
constexpr DWORD kCallInFlightWaitMs = 500;

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
// Calls of the courier's procedure that have not returned yet.
std::atomic<int> callsInFlight{0};

struct CallInFlight {
    CallInFlight() { ++callsInFlight; }
    ~CallInFlight() { --callsInFlight; }
    CallInFlight(const CallInFlight&) = delete;
    CallInFlight& operator=(const CallInFlight&) = delete;
};

bool onThisThread(HWND courier)
{
    return ::GetWindowThreadProcessId(courier, nullptr) == ::GetCurrentThreadId();
}

// Drops what waits; the window that sent macros hears `outcome`.
void dropUndelivered(MacroOutcome outcome)
{
    std::lock_guard<std::mutex> guard(post.lock);
    if (!post.macros.empty() && post.macrosFrom)
        ::PostMessageA(post.macrosFrom, kMacroOutcomeMessage, outcome, 0);
    post.macros.clear();
    post.failedTries = 0;
    post.reading.reset();
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

LRESULT CALLBACK courierProcedure(HWND courier, UINT message, WPARAM wParam, LPARAM lParam)
{
    CallInFlight counted;
    try {
        switch (message) {
        case WM_TIMER:
            if (wParam != kRetryTimer)
                break;
            ::KillTimer(courier, kRetryTimer);
            deliverMacros(courier);
            return 0;
        case kDeliverMacros:
            deliverMacros(courier);
            return 0;
        case kReadHost:
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

// The system's procedure back in place, the courier's call in progress
// returned, and the window asked to close: it goes when its thread pumps,
// without any code of the DLL.
void makeHarmless(HWND courier)
{
    ::SetWindowLongPtrA(courier, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProcedure.load()));
    const DWORD start = ::GetTickCount();
    while (callsInFlight > 0 && ::GetTickCount() - start < kCallInFlightWaitMs)
        ::Sleep(1);
    ::PostMessageA(courier, WM_CLOSE, 0, 0);
}

HWND openCourier()
{
    HWND courier = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!courier)
        return nullptr;
    const LONG_PTR system =
        ::SetWindowLongPtrA(courier, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(courierProcedure));
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

void offerCourier()
{
    HWND serving = inService;
    if (serving && ::IsWindow(serving))
        return;
    HWND courier = openCourier();
    if (!courier)
        return;
    if (!inService.compare_exchange_strong(serving, courier)) {
        ::DestroyWindow(courier);
        return;
    }
    std::lock_guard<std::mutex> guard(post.lock);
    if (!post.macros.empty())
        ::PostMessageA(courier, kDeliverMacros, 0, 0);
}

void retireCourier()
{
    if (HWND courier = inService.exchange(nullptr)) {
        if (onThisThread(courier))
            ::DestroyWindow(courier);
        else
            makeHarmless(courier);
    }
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
    dropUndelivered(kCourierGone);
}

void deliverNow()
{
    HWND courier = inService;
    if (courier && onThisThread(courier))
        ::SendMessageA(courier, kDeliverMacros, 0, 0);
}

bool sendMacros(HWND replyTo, std::initializer_list<const char*> macros)
{
    HWND courier = courierStillServing();
    if (!courier)
        return false;
    {
        std::lock_guard<std::mutex> guard(post.lock);
        post.macros.insert(post.macros.end(), macros.begin(), macros.end());
        post.macrosFrom = replyTo;
    }
    if (::PostMessageA(courier, kDeliverMacros, 0, 0))
        return true;
    std::lock_guard<std::mutex> guard(post.lock);
    post.macros.clear();
    return false;
}

bool requestReading(HWND replyTo)
{
    HWND courier = courierStillServing();
    return courier && ::PostMessageA(courier, kReadHost, reinterpret_cast<WPARAM>(replyTo), 0);
}

std::optional<HostReading> takeReading()
{
    std::lock_guard<std::mutex> guard(post.lock);
    std::optional<HostReading> reading = std::move(post.reading);
    post.reading.reset();
    return reading;
}

}  // namespace ui
