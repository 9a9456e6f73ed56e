// The Platform the DLL runs on: the real profile functions, clock, message
// boxes, header dialog, host executable and windows.
#pragma once

#include "contest/file_system_win32.h"
#include "contest/platform.h"
#include "contest/settings_win32.h"

class Win32Platform final : public Platform {
public:
    Settings& settings() override { return settings_; }
    FileSystem& files() override { return win32FileSystem(); }
    std::time_t currentTime() const override;
    void showOutput(const std::string& message) override;
    bool editCabrilloHeader(CabrilloHeader& header) override;
    std::string hostVersionText() override;
    bool isModePanelOpen() const override;
    void showModePanel() override;
    void closeWindows() override;
    void stopMultiplierRefresh() override;
    void postponeMultiplierRefresh() override;

private:
    PrivateProfileSettings settings_;
};
