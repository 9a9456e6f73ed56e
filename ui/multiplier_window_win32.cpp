#include "ui/multiplier_window_win32.h"

#include <cmath>

#include "contest/dll_context_win32.h"
#include "resource.h"
#include "ui/multiplier_table.h"

namespace ui {

namespace {

constexpr UINT_PTR kRefreshTimer = 1500;
constexpr int kGridMargin = 5;

}  // namespace

DXCC::DXCC() : grid_(pluginState()), position_("dxcc_x", "dxcc_y", 10, 400) {}

void DXCC::open()
{
    if (!isOpen() && !create(moduleInstance(), IDD_MULTIPLIERS, nullptr))
        return;
    ::ShowWindow(window(), SW_SHOW);
}

void DXCC::scheduleRefresh(unsigned delayMs)
{
    if (!isOpen())
        return;
    ::KillTimer(window(), kRefreshTimer);
    ::SetTimer(window(), kRefreshTimer, delayMs, nullptr);
}

void DXCC::stopRefresh()
{
    if (isOpen())
        ::KillTimer(window(), kRefreshTimer);
}

bool DXCC::onInit()
{
    position_.restore(window());
    showPluginIcon(window());
    RECT client;
    ::GetClientRect(window(), &client);
    onSize(client.right, client.bottom);
    return true;
}

INT_PTR DXCC::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWITEM:
        if (wParam != IDC_GRID)
            return FALSE;
        grid_.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_SETCURSOR:
        position_.saveIfMoved(window());
        return FALSE;
    default:
        return Dialog::onMessage(message, wParam, lParam);
    }
}

// The close box hides the window; the mode panel still counts it as open.
void DXCC::onCancel()
{
    ::ShowWindow(window(), SW_HIDE);
}

void DXCC::onTimer(UINT_PTR id)
{
    if (id == kRefreshTimer)
        refresh();
}

void DXCC::onSize(int clientWidth, int clientHeight)
{
    HWND grid = item(IDC_GRID);
    if (!grid)
        return;
    ::MoveWindow(grid, kGridMargin, kGridMargin, clientWidth - 2 * kGridMargin, clientHeight - 2 * kGridMargin,
                 TRUE);
}

namespace {

struct HostReading {
    std::string callsign;
    double frequencyHz = NAN;  // NAN: not read, or not given
};

// The link is let go before anything shows the reading.
std::optional<HostReading> readHost()
{
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

}  // namespace

// What the host's entry field holds now, the table for it, and the band the
// host is tuned to.  A host that does not answer leaves the window as it is;
// a frequency it does not give leaves no band highlighted.
void DXCC::refresh()
{
    ::KillTimer(window(), kRefreshTimer);
    const std::optional<HostReading> reading = readHost();
    if (!reading)
        return;
    const std::string title = refreshMultiplierView(pluginState(), reading->callsign, reading->frequencyHz);
    if (title.empty() || !isOpen())
        return;
    setTitle(title);
    ::InvalidateRect(item(IDC_GRID), nullptr, FALSE);
}

}  // namespace ui
