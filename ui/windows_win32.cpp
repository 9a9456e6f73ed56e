#include "ui/windows_win32.h"

#include <windows.h>

#include <objbase.h>

#include <atomic>

#include "plugin/module_win32.h"
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
// the loader lock, however the host's thread carries on.
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
        panel.releaseHost(!windowThread.unloading);
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

// Waits for the panel to be ready, or for its thread to end, while the
// host's thread keeps serving what the window thread may ask of it on the
// way: COM calls into the host's apartment, messages sent to its windows.
void waitUntilReady()
{
    HANDLE handles[] = {windowThread.ready, windowThread.handle};
    DWORD signalled = 0;
    if (::CoWaitForMultipleHandles(0, kReadyWaitMs, 2, handles, &signalled) != CO_E_NOTINITIALIZED)
        return;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < kReadyWaitMs) {
        if (::MsgWaitForMultipleObjects(2, handles, FALSE, kCloseWaitStepMs, QS_SENDMESSAGE) < WAIT_OBJECT_0 + 2)
            return;
        MSG message;
        ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
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
        if (::WaitForSingleObject(windowThread.handle, kCloseWaitStepMs) != WAIT_TIMEOUT)
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
