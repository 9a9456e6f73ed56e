// What the static runtime leaves in the host's process, kept within the
// life of one load of the library.
#pragma once

#include <windows.h>

// The thread-local slots the runtime took for this load, given back as the
// library unloads.
void freeRuntimeThreadSlots();
