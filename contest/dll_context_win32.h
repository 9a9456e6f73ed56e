// What the windows and dialogs reach of the DLL that carries them.  The
// DLL's face defines these; nothing below it knows how the DLL is put
// together.
#pragma once

#include <windows.h>

#include "contest/settings.h"
#include "contest/state.h"

// The one contest state that the exports change and the windows show.
ContestState& pluginState();

// The plug-in's settings file, for the windows on either thread.
Settings& pluginSettings();

// The DLL's own instance handle, for its dialog templates and icon.
HINSTANCE moduleInstance();
