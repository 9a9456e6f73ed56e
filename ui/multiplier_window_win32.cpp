#include "ui/multiplier_window_win32.h"

#include "contest/dll_context_win32.h"
#include "resource.h"
#include "ui/multiplier_table.h"

namespace ui {

namespace {

constexpr UINT_PTR kRefreshTimer = 1500;
constexpr int kGridMargin = 5;
constexpr char kHostLostTitle[] = "Mult: host lost";

}  // namespace

DXCC::DXCC()
    : template_(findDialogTemplate(moduleInstance(), IDD_MULTIPLIERS)), grid_(pluginState()), position_("dxcc_x", "dxcc_y", 10, 400) {}

// Owned by the panel, so that whatever ends the panel destroys this window
// too, with DestroyWindow.  At unload the system's dialog loop destroys the
// panel on its way out; a window left for the thread's exit to destroy
// instead would keep its drawing surface (four bytes a pixel) under Wine for
// the rest of the process.
void DXCC::open(HWND panel)
{
    if (!isOpen() && !create(moduleInstance(), template_, panel))
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
    case kHostReadingMessage:
        if (const std::optional<HostReading> reading = takeReading())
            show(*reading);
        return TRUE;
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
        requestRefresh();
}

void DXCC::onSize(int clientWidth, int clientHeight)
{
    HWND grid = item(IDC_GRID);
    if (!grid)
        return;
    ::MoveWindow(grid, kGridMargin, kGridMargin, clientWidth - 2 * kGridMargin, clientHeight - 2 * kGridMargin,
                 TRUE);
}

// The refresh asks the courier for what the host's entry field holds and
// the band the host is tuned to; show() takes the answer when it comes.
// With no courier the title says that the window no longer follows the host.
void DXCC::requestRefresh()
{
    ::KillTimer(window(), kRefreshTimer);
    if (!requestReading(window()))
        setTitle(kHostLostTitle);
}

// The table for the callsign read, and the band.  A host that does not
// answer leaves the window as it is; a frequency it does not give leaves no
// band highlighted.
void DXCC::show(const HostReading& reading)
{
    const std::string title = refreshMultiplierView(pluginState(), reading.callsign, reading.frequencyHz);
    if (title.empty())
        return;
    setTitle(title);
    ::InvalidateRect(item(IDC_GRID), nullptr, FALSE);
}

}  // namespace ui
