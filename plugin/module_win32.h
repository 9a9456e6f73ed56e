// The DLL's one instance of the contest state and of what serves it.
#pragma once

#include <windows.h>

#include "cabrillo/cabrillo_log.h"
#include "plugin/platform_win32.h"
#include "plugin/state.h"
#include "rules/error_log.h"

struct Module {
    ContestState state;
    ErrorLog errors;
    CCabrilloLog cabrillo;
    Win32Platform platform;
};

Module& theModule();

// The plug-in's settings file, for the windows on either thread.
inline Settings& pluginSettings() { return theModule().platform.settings(); }

// The DLL's own instance handle, for its dialog templates and icon.
HINSTANCE moduleInstance();
