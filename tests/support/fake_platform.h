// A Platform for tests: a real settings file in the working directory, a
// clock the test sets, and every window and dialog call recorded.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cabrillo/cabrillo_log.h"
#include "contest/platform.h"
#include "contest/profile_file.h"
#include "support/scratch_dir.h"

class FakePlatform : public Platform {
public:
    Settings& settings() override
    {
        mayFail();
        return settings_;
    }
    FileSystem& files() override { return *fileSystem; }
    std::time_t currentTime() const override
    {
        mayFail();
        return now;
    }
    void showOutput(const std::string& message) override
    {
        mayFail();
        messages.push_back(message);
        if (whileOutputShows)
            whileOutputShows();
    }
    bool editCabrilloHeader(CabrilloHeader& header) override
    {
        ++headerDialogs;
        shownHeader = header;
        return answerHeaderDialog ? answerHeaderDialog(header) : false;
    }
    std::string hostVersionText() override { return hostVersion; }
    bool isModePanelOpen() const override { return panelOpen; }
    void showModePanel() override
    {
        ++panelsShown;
        panelOpen = true;
    }
    void closeWindows() override { panelOpen = false; }
    void stopMultiplierRefresh() override { ++refreshStops; }
    void postponeMultiplierRefresh() override { ++refreshPostponements; }

    // Every call to the settings, the clock or the box throws.
    bool failing = false;
    FileSystem* fileSystem = &portableFileSystem();
    std::time_t now = 0;
    std::string hostVersion = "2.19";
    bool panelOpen = false;
    int panelsShown = 0;
    int headerDialogs = 0;
    int refreshStops = 0;
    int refreshPostponements = 0;
    CabrilloHeader shownHeader;
    std::function<bool(CabrilloHeader&)> answerHeaderDialog;
    // What the host's message loop does while the "Output" box is open.
    std::function<void()> whileOutputShows;
    std::vector<std::string> messages;

private:
    void mayFail() const
    {
        if (failing)
            throw std::runtime_error("injected failure");
    }

    ProfileFile settings_{portableFileSystem(), kSettingsPath, "Settings"};
};
