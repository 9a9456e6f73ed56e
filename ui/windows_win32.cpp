#include "ui/windows_win32.h"

#include <windows.h>

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
// At unload the host's thread holds the loader lock, which a new thread
// needs before it runs any of its code, and which COM may need while the
// thread works.  A thread that has not `started` cannot start before the
// DLL is gone, and one that does not let go within kUnloadWaitMs is stuck on
// that lock: either is ended, as running on in unmapped code would crash
// the host.
struct WindowThread {
    std::atomic<bool> running{false};
    std::atomic<bool> started{false};
    std::atomic<HWND> panel{nullptr};
    std::atomic<bool> unloading{false};
    HANDLE handle = nullptr;  // host's thread only
};

WindowThread windowThread;

constexpr DWORD kCloseWaitStepMs = 20;
constexpr DWORD kUnloadWaitMs = 3000;

void runModePanel() noexcept
{
    try {
        baud panel(windowThread.panel);
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
    windowThread.started = true;
    runModePanel();
    windowThread.panel = nullptr;
    windowThread.running = false;
    ::ExitThread(0);
}

// Posts rather than sends: a window thread that waits for the loader lock
// (at unload) must not block the thread that holds it.  The wait ends when
// the thread lets go of the panel, or when it no longer runs at all (the
// process is ending).
void closeAndWait()
{
    HWND askedToClose = nullptr;
    DWORD waitedMs = 0;
    while (windowThread.running) {
        if (windowThread.unloading && (!windowThread.started || waitedMs >= kUnloadWaitMs)) {
            ::TerminateThread(windowThread.handle, 1);
            break;
        }
        HWND panel = windowThread.panel;
        if (panel && panel != askedToClose && ::PostMessageA(panel, WM_CLOSE, 0, 0))
            askedToClose = panel;
        if (::WaitForSingleObject(windowThread.handle, kCloseWaitStepMs) != WAIT_TIMEOUT)
            break;
        waitedMs += kCloseWaitStepMs;
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
    windowThread.started = false;
    windowThread.running = true;
    windowThread.handle = ::CreateThread(nullptr, 0, windowThreadMain, nullptr, 0, nullptr);
    if (!windowThread.handle)
        windowThread.running = false;
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
