#include "ui/windows_win32.h"

#include <windows.h>

#include <imm.h>

#include <atomic>
#include <mutex>

#include "contest/dll_context_win32.h"
#include "resource.h"
#include "ui/host_courier_win32.h"
#include "ui/mode_panel_win32.h"

namespace ui {

namespace {

// What the host's threads and the window thread share.
//
// `startStop` serialises starting and closing the window thread among the
// host's threads.  The window thread never takes it, and nothing done under
// it waits for anything that the window thread needs from the waiting
// thread: the window thread makes no calls into the host (the courier makes
// them, on the thread that started the panel, when that thread pumps) and
// sends nothing to the host's windows.
//
// `running` stands for the panel from the moment its thread is asked for
// until the thread has let go of it: set under `startStop`, cleared by the
// window thread as its very last touch of the DLL.
//
// The library's unload runs with the loader lock held, and a thread that
// starts, ends, loads a DLL or looks up a resource waits for that lock.  The
// window thread does so while it starts, finds its templates and icon and
// shows the panel, so starting waits for the panel to be `ready` (shown, its
// loop running): from then on the window thread can close the panel and let
// go of it without the loader lock.  Its end does need the lock, after it
// has left the DLL's code for good, so the unload waits for `running`
// rather than for the thread's end.
struct WindowThread {
    std::mutex startStop;
    std::atomic<bool> running{false};
    std::atomic<HWND> panel{nullptr};
    // Under `startStop`.
    HANDLE handle = nullptr;
    HANDLE ready = nullptr;  // set by the window thread
    HWND courier = nullptr;
};

WindowThread windowThread;

constexpr DWORD kCloseWaitStepMs = 20;
// Only a panel that cannot open at all takes this long.
constexpr DWORD kReadyWaitMs = 10000;
// A window thread that closes its windows takes milliseconds; this is well
// within the second an unload may take.
constexpr DWORD kUnloadWaitMs = 700;

void runModePanel(HWND courier) noexcept
{
    try {
        baud panel(courier, [](HWND window) {
            windowThread.panel = window;
            ::SetEvent(windowThread.ready);
        });
        panel.runModal(moduleInstance(), IDD_MODE_PANEL, nullptr);
    } catch (...) {
    }
    windowThread.panel = nullptr;
}

// Everything that can run DLL code happens in runModePanel; after `running`
// clears, an unloading host's thread may unmap the DLL at once, so the thread
// ends without returning into it.
//
// The windows take no text, so the thread has no input method: activating
// one looks up modules and procedures, under the loader lock, whenever the
// panel gains or loses the focus, which may be while a host's thread unloads.
DWORD WINAPI windowThreadMain(void* courier)
{
    ::ImmDisableIME(::GetCurrentThreadId());
    runModePanel(static_cast<HWND>(courier));
    windowThread.running = false;
    ::ExitThread(0);
}

// At unload, a window thread that has not let go of the panel by now waits
// for something the unloading thread holds, most likely the loader lock,
// which some system code on it may take (a first look-up of a module or a
// procedure).  It would wait for ever, and the host with it; ended here it
// runs no more code of the DLL, and its windows go with it.
void endStuckWindowThread()
{
    ::TerminateThread(windowThread.handle, 1);
    ::WaitForSingleObject(windowThread.handle, kCloseWaitStepMs);
    windowThread.panel = nullptr;
}

// Asks the panel to close (again, should a new one have appeared) until the
// window thread has let go of it.  Outside an unload that is its end; at
// unload, when it ends only after the loader lock is free, it is `running`
// clearing, or its end when it no longer runs at all.
void closeAndWait(bool atUnload)
{
    const DWORD start = ::GetTickCount();
    HWND askedToClose = nullptr;
    for (;;) {
        HWND panel = windowThread.panel;
        if (panel && panel != askedToClose && ::PostMessageA(panel, kClosePanelMessage, 0, 0))
            askedToClose = panel;
        if (::WaitForSingleObject(windowThread.handle, kCloseWaitStepMs) != WAIT_TIMEOUT)
            return;
        if (atUnload && !windowThread.running)
            return;
        if (atUnload && ::GetTickCount() - start >= kUnloadWaitMs) {
            endStuckWindowThread();
            return;
        }
    }
}

void closeLocked(bool atUnload)
{
    if (windowThread.handle) {
        closeAndWait(atUnload);
        ::CloseHandle(windowThread.handle);
        windowThread.handle = nullptr;
        windowThread.running = false;
    }
    retireCourier(windowThread.courier);
    windowThread.courier = nullptr;
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
    windowThread.courier = openCourier();
    windowThread.running = true;
    windowThread.handle = ::CreateThread(nullptr, 0, windowThreadMain, windowThread.courier, 0, nullptr);
    if (!windowThread.handle) {
        windowThread.running = false;
        return;
    }
    HANDLE readyOrEnded[] = {windowThread.ready, windowThread.handle};
    ::WaitForMultipleObjects(2, readyOrEnded, FALSE, kReadyWaitMs);
    deliverNow(windowThread.courier);
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
    postToPanel(kPostponeRefreshMessage);
}

}  // namespace ui
