// The operator windows as the rest of the DLL sees them: the mode panel on
// its own thread, and the multiplier window's refresh timer.  Every function
// here is called on the host's thread.
#pragma once

namespace ui {

bool isModePanelOpen();

// Closes an open panel first, then starts a window thread that opens a new one.
void showModePanel();

// Closes the multiplier window and the panel; returns when the panel is gone
// (or its thread no longer runs).
void closeWindows();

// The same from the library's unload, where the caller holds the loader
// lock: the window thread then ends without anything that would wait for it.
void closeWindowsAtUnload();

// Both only post to the window thread, which owns the timer; nothing happens
// while the multiplier window is closed.
void stopMultiplierRefresh();
void postponeMultiplierRefresh();

}  // namespace ui
