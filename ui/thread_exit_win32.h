// The last act of a thread of the DLL's own whose end the library's unload
// waits for.
#pragma once

#include <windows.h>

namespace ui {

// Sets `event` and ends the calling thread, with no instruction of the
// DLL's run after the event is set: the call to SetEvent returns straight
// into ExitThread.  A thread waiting for `event` may unmap the DLL at once,
// even while this thread still waits (for the loader lock) to end.
[[noreturn]] void signalAndExitThread(HANDLE event);

}  // namespace ui
