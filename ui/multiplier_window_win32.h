// The multiplier window `DXCC` (template 108): a resizable window whose grid
// shows the band table of the station being typed, or the multipliers
// worked so far.  Lives on the window thread, owned by the mode panel, and
// reads the host through the courier.
#pragma once

#include "ui/dialog_win32.h"
#include "ui/host_courier_win32.h"
#include "ui/info_button_win32.h"
#include "ui/window_position_win32.h"

namespace ui {

class DXCC final : public Dialog {
public:
    // Built on the window thread before the panel opens: it finds its
    // template then, so that opening it later never waits for the loader
    // lock, which an unloading host's thread may hold.
    DXCC();

    // Open from creation until close(); its own close box only hides it.
    bool isOpen() const { return window() != nullptr; }
    // Owned by `panel`, it ends with it.
    void open(HWND panel);
    void close() { destroy(); }

    // (Re)starts the one-shot refresh; nothing while closed.
    void scheduleRefresh(unsigned delayMs);
    void stopRefresh();

protected:
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool onInit() override;
    void onCancel() override;
    void onTimer(UINT_PTR id) override;
    void onSize(int clientWidth, int clientHeight) override;

private:
    void requestRefresh();
    void show(const HostReading& reading);

    const DLGTEMPLATE* template_;
    CInfoButton grid_;
    WindowPosition position_;
};

}  // namespace ui
