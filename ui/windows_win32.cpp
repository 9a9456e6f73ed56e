#include "ui/windows_win32.h"

#include <windows.h>

#include <imm.h>

#include <atomic>
#include <mutex>

#include "contest/dll_context_win32.h"
#include "resource.h"
#include "ui/host_courier_win32.h"
#include "ui/mode_panel_win32.h"
#include "ui/thread_exit_win32.h"

namespace ui {

namespace {

// What the host's threads and the window thread share.
//
// `startStop` serialises starting and closing the window thread among the
// host's threads.  The window thread never takes it, and nothing done under
// it waits for anything that the window thread needs from the waiting
// thread: the window thread makes no calls into the host (the courier makes
// them, on a host's thread, when that thread pumps) and sends nothing to
// the host's windows.
//
// The window thread starts in the DLL's code, finds nothing, and goes into
// the system's dialog loop, which ends the thread when the panel ends
// (ui/thread_exit_win32.h); from then on the DLL's code runs on it only
// behind the unload gate (contest/unload_gate_win32.h).  Starting waits for the
// panel to be `ready` (shown, its loop running), so by the time a host's
// thread can unload the library the thread's first frames are gone.
struct WindowThread {
    std::mutex startStop;
    std::atomic<HWND> panel{nullptr};
    // Under `startStop`.
    HANDLE handle = nullptr;
    DWORD id = 0;
    HANDLE ready = nullptr;  // set by the window thread
    // Made and freed by the host's thread that starts or closes the panel:
    // the window thread never returns to a place where it could free it.
    baud* modePanel = nullptr;
};

WindowThread windowThread;

constexpr DWORD kCloseWaitStepMs = 20;
// Only a panel that cannot open at all takes this long.
constexpr DWORD kReadyWaitMs = 10000;

DWORD WINAPI windowThreadMain(void* panel)
{
    // The windows take no text, so the thread has no input method:
    // activating one looks up modules and procedures, under the loader lock,
    // whenever the panel gains or loses the focus.
    ::ImmDisableIME(::GetCurrentThreadId());
    runDialogThenExitThread(moduleInstance(), IDD_MODE_PANEL, Dialog::procedure(),
                            reinterpret_cast<LPARAM>(panel));
}

// Asks the panel to close (again, should a new one have appeared) until its
// thread has ended.
void closeAndWait()
{
    HWND askedToClose = nullptr;
    for (;;) {
        HWND panel = windowThread.panel;
        if (panel && panel != askedToClose && ::PostMessageA(panel, kClosePanelMessage, 0, 0))
            askedToClose = panel;
        if (::WaitForSingleObject(windowThread.handle, kCloseWaitStepMs) != WAIT_TIMEOUT)
            return;
    }
}

// At unload the windows no longer reach the DLL (the gate is closed), and
// the window thread only has to leave the system's loops: a menu or a move
// on its own signal, then the dialog loop on WM_QUIT.  That loop destroys
// the panel, and the multiplier window it owns, with DestroyWindow (a
// window the thread's end takes instead keeps its drawing surface under
// Wine), and returns into ExitThread.  Nothing waits for that: a thread the
// host holds in a hook ends when the hook lets it go.
void askToLeave()
{
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (::GetGUIThreadInfo(windowThread.id, &gui)) {
        if ((gui.flags & GUI_INMOVESIZE) && gui.hwndMoveSize)
            ::PostMessageA(gui.hwndMoveSize, WM_KEYDOWN, VK_ESCAPE, 0);
        if (gui.flags & GUI_INMENUMODE) {
            ::EndMenu();
            if (gui.hwndMenuOwner)
                ::PostMessageA(gui.hwndMenuOwner, WM_CANCELMODE, 0, 0);
        }
    }
    ::PostThreadMessageA(windowThread.id, WM_QUIT, 0, 0);
}

void closeLocked(bool atUnload)
{
    if (windowThread.handle) {
        atUnload ? askToLeave() : closeAndWait();
        ::CloseHandle(windowThread.handle);
        windowThread.handle = nullptr;
    }
    windowThread.panel = nullptr;
    if (baud* panel = windowThread.modePanel) {
        if (atUnload)
            panel->forgetWindows();
        delete panel;
        windowThread.modePanel = nullptr;
    }
    retireCourier();
}

// The courier first, so that the panel's first macro can go to it; it goes
// out before this returns, as the host's thread is here anyway.
void startLocked()
{
    if (!windowThread.ready)
        windowThread.ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!windowThread.ready)
        return;
    ::ResetEvent(windowThread.ready);
    offerCourier();
    windowThread.modePanel = new baud([](HWND window) {
        windowThread.panel = window;
        ::SetEvent(windowThread.ready);
    });
    windowThread.handle = ::CreateThread(nullptr, 0, windowThreadMain, windowThread.modePanel, 0, &windowThread.id);
    if (!windowThread.handle) {
        delete windowThread.modePanel;
        windowThread.modePanel = nullptr;
        return;
    }
    HANDLE readyOrEnded[] = {windowThread.ready, windowThread.handle};
    ::WaitForMultipleObjects(2, readyOrEnded, FALSE, kReadyWaitMs);
    deliverNow();
}

void postToPanel(UINT message)
{
    if (HWND panel = windowThread.panel)
        ::PostMessageA(panel, message, 0, 0);
}

}  // namespace

bool isModePanelOpen()
{
    HWND panel = windowThread.panel;
    return panel && ::IsWindow(panel);
}

void showModePanel()
{
    std::lock_guard<std::mutex> guard(windowThread.startStop);
    closeLocked(false);
    startLocked();
}

void closeWindows()
{
    std::lock_guard<std::mutex> guard(windowThread.startStop);
    closeLocked(false);
}

void closeWindowsAtUnload()
{
    std::lock_guard<std::mutex> guard(windowThread.startStop);
    closeLocked(true);
    if (windowThread.ready)
        ::CloseHandle(windowThread.ready);
    windowThread.ready = nullptr;
}

void stopMultiplierRefresh()
{
    postToPanel(kStopRefreshMessage);
}

void postponeMultiplierRefresh()
{
    if (windowThread.panel)
        offerCourier();
    postToPanel(kPostponeRefreshMessage);
}

void hostThreadEnding()
{
    courierThreadEnding();
}

}  // namespace ui
