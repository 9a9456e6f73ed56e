// The DLL's one instance of the contest and of the platform that serves it.
#pragma once

#include "contest/dll_context_win32.h"
#include "plugin/entry_points.h"
#include "plugin/platform_win32.h"

struct Module {
    Win32Platform platform;
    EntryPoints entries{platform};
};

Module& theModule();
