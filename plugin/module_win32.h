// The DLL's one instance of the contest state and of what serves it.
#pragma once

#include "cabrillo/cabrillo_log.h"
#include "contest/dll_context_win32.h"
#include "plugin/platform_win32.h"
#include "rules/error_log.h"

struct Module {
    ContestState state;
    ErrorLog errors;
    CCabrilloLog cabrillo;
    Win32Platform platform;
};

Module& theModule();
