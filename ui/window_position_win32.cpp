#include "ui/window_position_win32.h"

#include "contest/dll_context_win32.h"
#include "resource.h"

namespace ui {

namespace {

int readCoordinate(const char* key, int defaultValue)
{
    const int value = pluginSettings().readNumber(key);
    return value != 0 ? value : defaultValue;
}

}  // namespace

WindowPosition::WindowPosition(const char* xKey, const char* yKey, int defaultX, int defaultY)
    : xKey_(xKey), yKey_(yKey), defaultX_(defaultX), defaultY_(defaultY), x_(defaultX), y_(defaultY)
{
}

void WindowPosition::restore(HWND window)
{
    x_ = readCoordinate(xKey_, defaultX_);
    y_ = readCoordinate(yKey_, defaultY_);
    ::SetWindowPos(window, nullptr, x_, y_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowPosition::saveIfMoved(HWND window)
{
    RECT rect;
    if (!::GetWindowRect(window, &rect))
        return;
    if (rect.left != x_) {
        x_ = rect.left;
        pluginSettings().writeNumber(xKey_, x_);
    }
    if (rect.top != y_) {
        y_ = rect.top;
        pluginSettings().writeNumber(yKey_, y_);
    }
}

// Loaded once, when the panel opens: loading looks the resource up, which
// takes the loader lock on some systems, and the window thread must not wait
// for that lock once an unloading host's thread may hold it.
void showPluginIcon(HWND window)
{
    static const HICON icon = ::LoadIconA(moduleInstance(), MAKEINTRESOURCEA(IDI_PLUGIN));
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

}  // namespace ui
