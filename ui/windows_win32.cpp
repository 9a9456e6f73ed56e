#include "ui/windows_win32.h"

// The window thread arrives with the mode panel; until then no panel is open.
namespace ui {

bool isModePanelOpen() { return false; }
void showModePanel() {}
void closeWindows() {}
void stopMultiplierRefresh() {}
void postponeMultiplierRefresh() {}

}  // namespace ui
