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
// How long a courier retired from another thread may finish the call it is
// making.  Calls into a host object on the courier's own thread take
// microseconds; only a host object on a third, busy thread takes longer.
constexpr DWORD kCallInFlightWaitMs = 500;

// What the window thread and the courier hand each other.  The lock is held
// only to move texts in or out, never across a call.
struct Post {
    std::mutex lock;
    std::vector<std::string> macros;
    std::optional<HostReading> reading;
};

Post post;

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

void deliverMacros()
{
    std::vector<std::string> macros;
    {
        std::lock_guard<std::mutex> guard(post.lock);
        macros.swap(post.macros);
    }
    if (macros.empty())
        return;
    ComUse com;
    HostLink host;
    for (const std::string& macro : macros)
        host.sendMacro(macro);
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
        case kDeliverMacros:
            deliverMacros();
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

}  // namespace

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

void retireCourier(HWND courier)
{
    if (courier) {
        if (::GetWindowThreadProcessId(courier, nullptr) == ::GetCurrentThreadId())
            ::DestroyWindow(courier);
        else
            makeHarmless(courier);
    }
    std::lock_guard<std::mutex> guard(post.lock);
    post.macros.clear();
    post.reading.reset();
}

void deliverNow(HWND courier)
{
    if (courier)
        ::SendMessageA(courier, kDeliverMacros, 0, 0);
}

void sendMacros(HWND courier, std::initializer_list<const char*> macros)
{
    if (!courier)
        return;
    {
        std::lock_guard<std::mutex> guard(post.lock);
        post.macros.insert(post.macros.end(), macros.begin(), macros.end());
    }
    ::PostMessageA(courier, kDeliverMacros, 0, 0);
}

void requestReading(HWND courier, HWND replyTo)
{
    if (courier)
        ::PostMessageA(courier, kReadHost, reinterpret_cast<WPARAM>(replyTo), 0);
}

std::optional<HostReading> takeReading()
{
    std::lock_guard<std::mutex> guard(post.lock);
    std::optional<HostReading> reading = std::move(post.reading);
    post.reading.reset();
    return reading;
}

}  // namespace ui
