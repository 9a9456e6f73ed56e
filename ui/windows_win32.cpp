#include "ui/windows_win32.h"

#include <windows.h>

#include <objbase.h>

#include <atomic>

#include "contest/dll_context_win32.h"
#include "resource.h"
#include "ui/mode_panel_win32.h"

namespace ui {

namespace {

// What the host's thread and the window thread share.  `running` stands for
// the panel from the moment its thread is asked for until the thread has let
// go of it: set by the host's thread, cleared by the window thread as its
// very last touch of the DLL.
//
// The library's unload runs with the loader lock held, and a thread that
// loads a DLL or looks up a procedure waits for that lock.  The window thread
// does so while it starts, creates its first windows and joins COM, so the
// host's thread waits for the panel to be `ready` before it goes on: from
// then on the window thread can close the panel and let go of it without
// the loader lock, however the host's thread carries on.  Nor does it need
// the host's thread then: it holds no reference to the host object between
// uses, and at unload leaves its COM apartment to its own end.
struct WindowThread {
    std::atomic<bool> running{false};
    std::atomic<HWND> panel{nullptr};
    std::atomic<bool> unloading{false};
    HANDLE handle = nullptr;  // host's thread only
    HANDLE ready = nullptr;   // host's thread only; set by the window thread
};

WindowThread windowThread;

constexpr DWORD kCloseWaitStepMs = 20;
// Only a panel that cannot open at all takes this long.
constexpr DWORD kReadyWaitMs = 10000;

void runModePanel() noexcept
{
    try {
        baud panel([](HWND window) {
            windowThread.panel = window;
            ::SetEvent(windowThread.ready);
        });
        panel.runModal(moduleInstance(), IDD_MODE_PANEL, nullptr);
        windowThread.panel = nullptr;
        if (windowThread.unloading)
            panel.leaveApartmentToThreadEnd();
    } catch (...) {
    }
}

// Everything that can run DLL code happens in runModePanel; after `running`
// clears, an unloading host's thread may unmap the DLL at once, so the thread
// ends without returning into it.
DWORD WINAPI windowThreadMain(void*)
{
    runModePanel();
    windowThread.panel = nullptr;
    windowThread.running = false;
    ::ExitThread(0);
}

// Waits for one of `handles` while the host's thread keeps serving what the
// window thread may ask of it meanwhile: COM calls into the host's
// apartment, messages sent to its windows.  True when one was signalled.
bool waitServingHost(HANDLE* handles, DWORD count, DWORD timeoutMs)
{
    DWORD signalled = 0;
    const HRESULT waited = ::CoWaitForMultipleHandles(0, timeoutMs, count, handles, &signalled);
    if (waited != CO_E_NOTINITIALIZED)
        return waited != RPC_S_CALLPENDING;
    // Outside COM only sent messages can be waiting for this thread.
    const DWORD start = ::GetTickCount();
    do {
        const DWORD woken = ::MsgWaitForMultipleObjects(count, handles, FALSE, kCloseWaitStepMs, QS_SENDMESSAGE);
        if (woken < WAIT_OBJECT_0 + count || woken == WAIT_FAILED)
            return true;
        MSG message;
        ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } while (::GetTickCount() - start < timeoutMs);
    return false;
}

// The panel ready, or its thread ended.
void waitUntilReady()
{
    HANDLE handles[] = {windowThread.ready, windowThread.handle};
    waitServingHost(handles, 2, kReadyWaitMs);
}

// One step of the wait for the window thread; true once it has ended.  At
// unload the host's thread is inside the loader and serves nothing.
bool windowThreadEndedWithin(DWORD timeoutMs)
{
    if (windowThread.unloading)
        return ::WaitForSingleObject(windowThread.handle, timeoutMs) != WAIT_TIMEOUT;
    return waitServingHost(&windowThread.handle, 1, timeoutMs);
}

// Posts rather than sends: at unload, a window thread that waits for the
// loader lock must not block the thread that holds it.  The wait ends when
// the thread lets go of the panel, or when it no longer runs at all (the
// process is ending).
void closeAndWait()
{
    HWND askedToClose = nullptr;
    while (windowThread.running) {
        HWND panel = windowThread.panel;
        if (panel && panel != askedToClose && ::PostMessageA(panel, WM_CLOSE, 0, 0))
            askedToClose = panel;
        if (windowThreadEndedWithin(kCloseWaitStepMs))
            break;
    }
    ::CloseHandle(windowThread.handle);
    windowThread.handle = nullptr;
    windowThread.running = false;
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
    closeWindows();
    if (!windowThread.ready)
        windowThread.ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!windowThread.ready)
        return;
    ::ResetEvent(windowThread.ready);
    windowThread.running = true;
    windowThread.handle = ::CreateThread(nullptr, 0, windowThreadMain, nullptr, 0, nullptr);
    if (!windowThread.handle) {
        windowThread.running = false;
        return;
    }
    waitUntilReady();
}

void closeWindows()
{
    if (windowThread.handle)
        closeAndWait();
}

void closeWindowsAtUnload()
{
    windowThread.unloading = true;
    closeWindows();
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
