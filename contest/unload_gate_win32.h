// Where the DLL's code may run once the host has let go of the library, and
// why none of it runs after the library is unmapped.
//
// The DLL's code is entered in three ways, and each comes in through a gate:
// a few instructions in a page of their own, which the library leaves
// behind when it goes.
//  - The host calls an export (plugin/exports.cpp), on any of its threads.
//  - The system delivers a message to a window of ours: the courier on a
//    host's thread (ui/host_courier_win32.h), the header dialog shown from
//    ResetStats0, the panel and the multiplier window on the window thread.
//  - The window thread starts.  It goes straight into the system's dialog
//    loop, which returns into ExitThread, never into the DLL
//    (ui/thread_exit_win32.h); its starter, a host's thread inside an
//    export, waits until it is in that loop.
// Beyond these only DllMain runs, under the loader lock.  The static
// runtime registers nothing in the process that the system would call into
// the library for: no exception handler, and the thread-local slot it
// takes goes back at unload (plugin/static_runtime_win32.cpp).
//
// A gate takes a reference on the library before it calls what is behind it
// and gives it back after, from the page.  So a call that outlasts the
// host's FreeLibrary (a call into a slow host, a host's hook that holds a
// thread inside a handler, an "Output" box still open on another of the
// host's threads) keeps the library loaded until it returns; FreeLibrary
// itself returns at once.  If the host's FreeLibrary was the last reference
// but for that call, the library unloads as the gate gives its reference
// back: DLL_PROCESS_DETACH runs on that thread, and the gate then returns
// into the system or the host, not into the DLL.  A call that begins while
// the library unloads waits for the loader, then finds the library gone and
// answers 0 without entering it.
//
// DLL_PROCESS_DETACH therefore never sees a thread inside the DLL's code.
// It closes the window gates first: from then on a message that reaches one
// is answered 0 from the page, and the windows are asked to go
// (ui/windows_win32.h).  Nothing waits for another thread, so an unload
// takes no longer than its own work, whatever the host does; a host that
// never returns from a call that holds a reference keeps the library (and
// its windows) loaded, as it must.
#pragma once

#include <windows.h>

#include <cstddef>

// At DLL_PROCESS_ATTACH: makes the page.  Without it, everything is called
// ungated.
void openUnloadGate();

// At DLL_PROCESS_DETACH, before anything else.
void closeUnloadGate();

// The gate in front of `procedure`, a window or dialog procedure of the
// DLL's: the same gate for the same procedure.  `procedure` itself when the
// page could not be made.
WNDPROC gated(WNDPROC procedure);
DLGPROC gated(DLGPROC procedure);

// The gate in front of `function`, a cdecl function of the DLL's whose
// arguments take `argumentBytes` on the stack: an address to call, or to
// jump to, with those arguments in place, as `function` itself.
void* gatedCall(void* function, std::size_t argumentBytes);
