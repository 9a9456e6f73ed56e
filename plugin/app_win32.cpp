// Load and unload of the library.
#include <windows.h>

#include "plugin/module_win32.h"
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

    void ExitInstance()
    {
        ui::closeWindowsAtUnload();
        ::Sleep(20);
    }
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

extern "C" BOOL WINAPI DllMain(HINSTANCE dll, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        instance = dll;
        ::DisableThreadLibraryCalls(dll);
        return theApp.InitInstance();
    case DLL_PROCESS_DETACH:
        theApp.ExitInstance();
        return TRUE;
    default:
        return TRUE;
    }
}
