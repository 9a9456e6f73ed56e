// The mode panel `baud` (template 107): switches the host between CW and SSB
// through its macros, and opens and closes the multiplier window.  Runs
// modally on the window thread; both windows reach the host only through the
// courier, so nothing on this thread ever waits for the host.
#pragma once

#include <functional>

#include "ui/dialog_win32.h"
#include "ui/host_courier_win32.h"
#include "ui/multiplier_window_win32.h"
#include "ui/window_position_win32.h"

namespace ui {

// Posted to the panel by the host's thread: timers belong to the window
// thread, so only it can stop or re-arm the multiplier window's refresh.
inline constexpr UINT kPostponeRefreshMessage = WM_APP + 1;
inline constexpr UINT kStopRefreshMessage = WM_APP + 2;
// Posted by the close procedure: ends the panel from whatever it is doing.
inline constexpr UINT kClosePanelMessage = WM_APP + 3;
// Posted by the panel to itself: its loop runs; it shows the panel.
inline constexpr UINT kPanelShownMessage = WM_APP + 4;

class baud final : public Dialog {
public:
    // The courier makes the panel's calls into the host.  `ready` receives the
    // panel's window once it shows and its loop runs: from then on it takes
    // messages from the host's thread, and its thread has done what may
    // need the loader lock.
    explicit baud(std::function<void(HWND)> ready);
    ~baud() override;

    // For an owner on another thread once the window thread has left: the
    // windows are no longer the panel's to destroy.
    void forgetWindows();

protected:
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool onInit() override;
    bool onButtonClicked(int id) override;
    void onCancel() override;
    void onTimer(UINT_PTR id) override;

private:
    void selectMode(int pressed, const char* macro);
    // Greys the button of `mode` (a button id, or 0 for none).
    void showMode(int mode);
    void onMacroOutcome(MacroOutcome outcome);
    void toggleMultiplierWindow();
    void closeForGood();

    DXCC multipliers_;
    WindowPosition position_;
    HBRUSH background_ = nullptr;
    std::function<void(HWND)> ready_;
    // The mode last sent, and the last one the host took (button ids, 0
    // for none).
    int sentMode_ = 0;
    int deliveredMode_ = 0;
};

}  // namespace ui
