// Load and unload of the library.
#include <windows.h>

#include "plugin/exports_win32.h"
#include "plugin/module_win32.h"
#include "plugin/static_runtime_win32.h"
#include "contest/unload_gate_win32.h"
#include "ui/windows_win32.h"

namespace {

// Built before DllMain runs and destroyed after it has seen the unload, like
// every other module-wide object.
Module module;
HINSTANCE instance;

// The application object: nothing to do at start-up; at exit it closes the
// windows, whose thread would otherwise run on in unloaded code.
class CTestApp {
public:
    bool InitInstance() { return true; }

    void ExitInstance() { ui::closeWindowsAtUnload(); }
};

CTestApp theApp;

}  // namespace

Module& theModule()
{
    return module;
}

ContestState& pluginState()
{
    return module.entries.state();
}

Settings& pluginSettings()
{
    return module.platform.settings();
}

HINSTANCE moduleInstance()
{
    return instance;
}

// A non-null `reserved` at DLL_PROCESS_DETACH means the process is ending:
// its other threads are gone already, the window thread among them, and its
// windows go with the process.  Nothing is left to close, and nothing may be
// waited for.
//
// Each thread's end is seen too: its results text is set aside until the
// next request for results from any thread, and a thread that carried the
// panel's calls into the host hands that task on.
extern "C" BOOL WINAPI DllMain(HINSTANCE dll, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        instance = dll;
        openUnloadGate();
        gateExports();
        return theApp.InitInstance();
    case DLL_THREAD_DETACH:
        module.entries.releaseResultsText(::GetCurrentThreadId());
        ui::hostThreadEnding();
        return TRUE;
    case DLL_PROCESS_DETACH:
        closeUnloadGate();
        if (!reserved) {
            theApp.ExitInstance();
            freeRuntimeThreadSlots();
        }
        return TRUE;
    default:
        return TRUE;
    }
}
