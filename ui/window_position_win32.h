// A window's screen position kept in two settings keys: restored when the
// window opens, written whenever the mouse passes over the window after it
// has moved.
#pragma once

#include <windows.h>

namespace ui {

class WindowPosition {
public:
    WindowPosition(const char* xKey, const char* yKey, int defaultX, int defaultY);

    // Reads the keys (0 or missing gives the default) and moves the window
    // there, keeping its size and z-order.
    void restore(HWND window);
    // Writes the coordinates that differ from the remembered ones, whole.
    void saveIfMoved(HWND window);

private:
    const char* xKey_;
    const char* yKey_;
    const int defaultX_;
    const int defaultY_;
    int x_;
    int y_;
};

// Sets the window's large icon to the plug-in's icon.
void showPluginIcon(HWND window);

}  // namespace ui
