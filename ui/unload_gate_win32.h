// Where the DLL's code may run once the host has let go of the library, and
// why none of it runs after the library is unmapped.
//
// Code of the DLL runs on these threads:
//  - the host's threads, inside the exports: the host does not unload the
//    library while it is calling it;
//  - the host's threads, while the system delivers a message to a window of
//    ours: the courier (ui/host_courier_win32.h), or the header dialog shown
//    from ResetStats0;
//  - the window thread, while the system delivers a message to the panel or
//    the multiplier window.  The thread itself runs in the system's code: it
//    starts in the DLL, but goes straight into the system's dialog loop,
//    which returns into ExitThread, never into the DLL
//    (ui/thread_exit_win32.h).
//
// The last two come in through a gate: a few instructions in a page of their
// own, which the library leaves behind when it goes.  The gate takes a
// reference on the library before it calls the window procedure behind it
// and gives it back after, from the page, so that a call that outlasts the
// host's FreeLibrary (a call into a slow host, a host's hook that holds the
// thread inside a handler) keeps the library loaded until it returns.  If the
// host's FreeLibrary was the last reference but for that call, the library
// unloads as the gate gives its reference back: DLL_PROCESS_DETACH runs on
// that thread, and the gate then returns into the system, not into the DLL.
//
// The library's DLL_PROCESS_DETACH therefore sees no thread inside a window
// procedure of ours, and closes the gate first: from then on every message
// that reaches a gate is answered 0 from the page without entering the DLL,
// and the windows are asked to go (ui/windows_win32.h).  Nothing waits for
// another thread, so an unload takes no longer than its own work, whatever
// the host does; a host that never returns from a call that holds a
// reference keeps the library (and its windows) loaded, as it must.
#pragma once

#include <windows.h>

namespace ui {

// At DLL_PROCESS_ATTACH: makes the page.  Without it, procedures are used
// ungated.
void openUnloadGate();

// At DLL_PROCESS_DETACH, before anything else.
void closeUnloadGate();

// The gate in front of `procedure`, a window or dialog procedure of the
// DLL's: the same procedure for the same argument.  `procedure` itself when
// the page could not be made.
WNDPROC gated(WNDPROC procedure);
DLGPROC gated(DLGPROC procedure);

}  // namespace ui
