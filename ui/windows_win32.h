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

void stopMultiplierRefresh();
void postponeMultiplierRefresh();

}  // namespace ui
