// The operator windows as the rest of the DLL sees them: the mode panel on
// its own thread, and the multiplier window's refresh timer.  Every function
// here is called on a host's thread; starting and closing are serialised, so
// that host threads racing each other leave at most one panel.
#pragma once

namespace ui {

bool isModePanelOpen();

// Closes an open panel first, then starts a window thread that opens a new
// one.  The calling thread becomes the panel's way to the host, the courier:
// it makes the windows' calls into the host whenever it pumps its messages.
void showModePanel();

// Closes the multiplier window and the panel, whatever the window thread is
// doing; returns when the panel is gone (or its thread no longer runs).
void closeWindows();

// The same from the library's unload, where the caller holds the loader
// lock: returns once the window thread has left the DLL's code for good,
// without waiting for its end (which needs that lock).  Its windows go with
// it, after the unload, running none of the DLL's code.
void closeWindowsAtUnload();

// Both only post to the window thread, which owns the timer; nothing happens
// while the multiplier window is closed.  A call check's thread also takes
// over as the courier when the one before has ended.
void stopMultiplierRefresh();
void postponeMultiplierRefresh();

// On every thread that ends, from the library's thread notifications: a
// courier on it goes, and the panel learns that its calls are not carried.
void hostThreadEnding();

}  // namespace ui
