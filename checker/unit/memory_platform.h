// The plug-in's world in memory, to play a log through the DLL's entry
// points beside the checker: files in memory (err.txt and the settings the
// plug-in keeps), no windows, no dialogs, no host.
#pragma once

#include "cabrillo/cabrillo_log.h"
#include "contest/memory_file_system.h"
#include "contest/platform.h"
#include "contest/profile_file.h"

class MemoryPlatform final : public Platform {
public:
    Settings& settings() override { return settings_; }
    FileSystem& files() override { return files_; }
    std::time_t currentTime() const override { return 0; }
    void showOutput(const std::string&) override {}
    bool editCabrilloHeader(CabrilloHeader&) override { return false; }
    std::string hostVersionText() override { return {}; }
    bool isModePanelOpen() const override { return false; }
    void showModePanel() override {}
    void closeWindows() override {}
    void stopMultiplierRefresh() override {}
    void postponeMultiplierRefresh() override {}

    MemoryFileSystem& memoryFiles() { return files_; }

private:
    MemoryFileSystem files_;
    ProfileFile settings_{files_, kSettingsFile, kSettingsSection};
};
