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
// `running` stands for the panel from the moment its thread is asked for
// until the thread has let go of it: set under `startStop`, cleared by the
// window thread as it leaves.
//
// The library's unload runs with the loader lock held, and a thread that
// starts, ends, loads a DLL or looks up a resource waits for that lock.  The
// window thread does so while it starts, finds its templates and icon and
// shows the panel, so starting waits for the panel to be `ready` (shown, its
// loop running).  From then on the window thread can leave the DLL's code
// for good without the loader lock: it sets `left` from inside the system's
// code and ends there, never returning into the DLL (ui/thread_exit_win32.h).
// Its end itself waits for the loader lock, so an unload waits for `left`,
// not for the end.
struct WindowThread {
    std::mutex startStop;
    std::atomic<bool> running{false};
    std::atomic<HWND> panel{nullptr};
    // Under `startStop`.
    HANDLE handle = nullptr;
    DWORD id = 0;
    HANDLE ready = nullptr;  // set by the window thread
    HANDLE left = nullptr;   // set by the window thread as it leaves the DLL's code
    // Owned here rather than by the thread's stack, so that a thread that
    // leaves from the middle of its loop leaves nothing behind: its last
    // owner frees it, the thread itself or the unload it left for.
    baud* modePanel = nullptr;
};

WindowThread windowThread;

constexpr DWORD kCloseWaitStepMs = 20;
// Only a panel that cannot open at all takes this long.
constexpr DWORD kReadyWaitMs = 10000;
// A window thread asked to leave does so at its next message, sent messages
// coming first: a host's hook that holds each message for a few hundred
// milliseconds still leaves it well within the second an unload may take.
constexpr DWORD kUnloadWaitMs = 800;

// The DLL's dialog procedures taken off the thread's windows: the system's
// own run them from now on, and none of the DLL's code.
BOOL CALLBACK releaseWindow(HWND window, LPARAM)
{
    ::SetWindowLongPtrA(window, DWLP_DLGPROC, 0);
    return TRUE;
}

void releaseWindowsOf(DWORD thread)
{
    ::EnumThreadWindows(thread, releaseWindow, 0);
}

// On the window thread, from the middle of whatever it was doing: its
// windows stay (they go with the thread) but run no code of the DLL, and
// the thread ends without returning into the DLL.
[[noreturn]] void leaveAtOnce()
{
    releaseWindowsOf(::GetCurrentThreadId());
    windowThread.panel = nullptr;
    windowThread.running = false;
    signalAndExitThread(windowThread.left);
}

void runModePanel() noexcept
{
    try {
        windowThread.modePanel = new baud(
            [](HWND window) {
                windowThread.panel = window;
                ::SetEvent(windowThread.ready);
            },
            leaveAtOnce);
        windowThread.modePanel->runModal(moduleInstance(), IDD_MODE_PANEL, nullptr);
    } catch (...) {
    }
    windowThread.panel = nullptr;
    delete windowThread.modePanel;
    windowThread.modePanel = nullptr;
}

// The windows take no text, so the thread has no input method: activating
// one looks up modules and procedures, under the loader lock, whenever the
// panel gains or loses the focus, which may be while a host's thread unloads.
DWORD WINAPI windowThreadMain(void*)
{
    ::ImmDisableIME(::GetCurrentThreadId());
    runModePanel();
    windowThread.running = false;
    signalAndExitThread(windowThread.left);
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

// At unload the window thread is asked to leave at once, by a sent message,
// which it takes before anything posted, also inside a menu's or a move's
// loop.  A thread that has not left when the time is up is held by the host
// (a hook of its that does not return): its windows are handed to the
// system, whose dialog loop then never ends and so never returns into the
// DLL, and its panel is given up rather than freed under it.  Only a thread
// held inside one of the DLL's own handlers would still come back into the
// DLL's code; the handlers are short, and none waits.
void leaveAndWait()
{
    if (HWND panel = windowThread.panel)
        ::SendNotifyMessageA(panel, kLeaveNowMessage, 0, 0);
    HANDLE leftOrEnded[] = {windowThread.left, windowThread.handle};
    if (::WaitForMultipleObjects(2, leftOrEnded, FALSE, kUnloadWaitMs) == WAIT_TIMEOUT) {
        releaseWindowsOf(windowThread.id);
        windowThread.modePanel = nullptr;
    }
    if (baud* panel = windowThread.modePanel) {
        panel->forgetWindows();
        delete panel;
        windowThread.modePanel = nullptr;
    }
}

void closeLocked(bool atUnload)
{
    if (windowThread.handle) {
        atUnload ? leaveAndWait() : closeAndWait();
        ::CloseHandle(windowThread.handle);
        windowThread.handle = nullptr;
        windowThread.running = false;
    }
    retireCourier();
}

// The courier first, so that the panel's first macro can go to it; it goes
// out before this returns, as the host's thread is here anyway.
void startLocked()
{
    for (HANDLE* event : {&windowThread.ready, &windowThread.left}) {
        if (!*event)
            *event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!*event)
            return;
        ::ResetEvent(*event);
    }
    offerCourier();
    windowThread.running = true;
    windowThread.handle = ::CreateThread(nullptr, 0, windowThreadMain, nullptr, 0, &windowThread.id);
    if (!windowThread.handle) {
        windowThread.running = false;
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
    return windowThread.running;
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
    for (HANDLE* event : {&windowThread.ready, &windowThread.left}) {
        if (*event)
            ::CloseHandle(*event);
        *event = nullptr;
    }
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
