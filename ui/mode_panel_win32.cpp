#include "ui/mode_panel_win32.h"

#include "contest/dll_context_win32.h"
#include "resource.h"

namespace ui {

namespace {

constexpr UINT_PTR kStartTimer = 1444;
// A macro the courier has neither delivered nor given up by then waits on a
// thread that does not pump, or on a host that does not answer.
constexpr UINT_PTR kDeliveryTimer = 1445;
constexpr UINT kDeliveryWaitMs = 2000;
constexpr UINT kStartDelayMs = 300;
constexpr unsigned kFirstRefreshMs = 300;
constexpr unsigned kRefreshAfterTypingMs = 330;
constexpr COLORREF kPanelColour = RGB(255, 250, 198);
constexpr char kTitle[] = "MODE";
constexpr char kHostLostTitle[] = "MODE: host lost";
constexpr char kHostNotAnsweringTitle[] = "MODE: host not answering";

// The flag is kept as a byte: only the low eight bits count.
bool multiplierWindowWanted()
{
    return (pluginSettings().readNumber("DXCC") & 0xFF) != 0;
}

// A menu, or a window being moved or sized, runs a modal loop of its own
// inside the panel's; ending it gives the panel's loop back its turn.  Not
// every system ends a move or size loop when it loses the capture, but every
// one ends it on Esc, as the operator would press it.
void endModalLoops()
{
    ::EndMenu();
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (::GetGUIThreadInfo(::GetCurrentThreadId(), &gui) && (gui.flags & GUI_INMOVESIZE) && gui.hwndMoveSize)
        ::PostMessageA(gui.hwndMoveSize, WM_KEYDOWN, VK_ESCAPE, 0);
    if (HWND captured = ::GetCapture()) {
        ::SendMessageA(captured, WM_CANCELMODE, 0, 0);
        ::ReleaseCapture();
    }
}

}  // namespace

baud::baud(std::function<void(HWND)> ready) : position_("baud_x", "baud_y", 10, 10), ready_(std::move(ready))
{
}

baud::~baud()
{
    if (background_)
        ::DeleteObject(background_);
}

void baud::forgetWindows()
{
    multipliers_.forgetWindow();
    forgetWindow();
}

bool baud::onInit()
{
    position_.restore(window());
    ::SetWindowPos(window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    background_ = ::CreateSolidBrush(kPanelColour);
    showPluginIcon(window());
    selectMode(IDC_MODE_CW, "<MODE:CW>");
    ::SetTimer(window(), kStartTimer, kStartDelayMs, nullptr);
    ::PostMessageA(window(), kPanelShownMessage, 0, 0);
    return true;
}

INT_PTR baud::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
        ::SetBkColor(reinterpret_cast<HDC>(wParam), kPanelColour);
        return reinterpret_cast<INT_PTR>(background_);
    case WM_SETCURSOR:
        position_.saveIfMoved(window());
        return FALSE;
    case kPostponeRefreshMessage:
        multipliers_.scheduleRefresh(kRefreshAfterTypingMs);
        return TRUE;
    case kStopRefreshMessage:
        multipliers_.stopRefresh();
        return TRUE;
    case kClosePanelMessage:
        closeForGood();
        return TRUE;
    case kMacroOutcomeMessage:
        onMacroOutcome(static_cast<MacroOutcome>(wParam));
        return TRUE;
    case kPanelShownMessage:
        // Showing and the first paint, frame and all, look things up under
        // the loader lock too: done before the host's thread is let go (the
        // modal loop would show the panel only once it is idle).
        ::ShowWindow(window(), SW_SHOWNORMAL);
        ::RedrawWindow(window(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ready_(window());
        return TRUE;
    default:
        return Dialog::onMessage(message, wParam, lParam);
    }
}

bool baud::onButtonClicked(int id)
{
    switch (id) {
    case IDC_MODE_CW:
        selectMode(IDC_MODE_CW, "<MODE:CW>");
        return true;
    case IDC_MODE_SSB:
        selectMode(IDC_MODE_SSB, "<MODE:SSB>");
        return true;
    case IDC_MODE_PSK125:
        if (!sendMacros(window(), {"<MODE:BPSK31>", "<BAUDRATE:125>"}))
            setTitle(kHostLostTitle);
        return true;
    case IDC_VIEW_MULT:
        toggleMultiplierWindow();
        return true;
    default:
        return Dialog::onButtonClicked(id);
    }
}

// The multiplier window ends with the panel but stays wanted: "DXCC" keeps
// its value, so the next panel opens it again.
void baud::onCancel()
{
    multipliers_.close();
    end(IDCANCEL);
}

// Whatever the window thread is doing, the panel ends: the close procedure
// waits for it.
void baud::closeForGood()
{
    endModalLoops();
    onCancel();
}

// The start timer: opens the multiplier window if it was open last time.
void baud::onTimer(UINT_PTR id)
{
    if (id == kDeliveryTimer) {
        ::KillTimer(window(), kDeliveryTimer);
        showMode(deliveredMode_);
        setTitle(kHostNotAnsweringTitle);
        return;
    }
    ::KillTimer(window(), kStartTimer);
    if (!multiplierWindowWanted())
        return;
    multipliers_.open(window());
    setCheck(IDC_VIEW_MULT, true);
    multipliers_.scheduleRefresh(kFirstRefreshMs);
}

// The disabled button of the pair shows the mode last sent.  With nothing
// to carry the macro now the buttons stay as they are and the title says
// why; the macro waits for the next host's thread that can carry it, and
// the buttons follow when it has.
void baud::selectMode(int pressed, const char* macro)
{
    sentMode_ = pressed;
    if (!sendMacros(window(), {macro})) {
        setTitle(kHostLostTitle);
        return;
    }
    showMode(pressed);
    ::SetTimer(window(), kDeliveryTimer, kDeliveryWaitMs, nullptr);
}

void baud::showMode(int mode)
{
    enableItem(IDC_MODE_CW, mode != IDC_MODE_CW);
    enableItem(IDC_MODE_SSB, mode != IDC_MODE_SSB);
}

// A mode the host never took is not shown as sent: the buttons go back to
// the last mode it did take (none greyed if it took none).  One it takes
// late is shown when it does.
void baud::onMacroOutcome(MacroOutcome outcome)
{
    ::KillTimer(window(), kDeliveryTimer);
    switch (outcome) {
    case kMacrosDelivered:
        deliveredMode_ = sentMode_;
        showMode(deliveredMode_);
        setTitle(kTitle);
        return;
    case kHostNotAnswering:
        showMode(deliveredMode_);
        setTitle(kHostNotAnsweringTitle);
        return;
    case kCourierGone:
        showMode(deliveredMode_);
        setTitle(kHostLostTitle);
        return;
    }
}

// The check box ticks itself; the window's state decides.  A window opened
// here shows the data as they stand until the next call check.
void baud::toggleMultiplierWindow()
{
    if (multipliers_.isOpen()) {
        multipliers_.close();
        pluginSettings().write("DXCC", "0");
    } else {
        multipliers_.open(window());
        pluginSettings().write("DXCC", "1");
    }
}

}  // namespace ui
