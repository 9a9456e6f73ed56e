// The thread-local slots the static runtime took for this load of the
// library, given back as it unloads.
#pragma once

#include <windows.h>

void freeRuntimeThreadSlots();
