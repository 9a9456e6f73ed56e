// What the portable contest core needs from the world outside it.  The DLL
// passes the Win32 implementation; tests pass fakes that record calls or fail
// on purpose.
#pragma once

#include <ctime>
#include <string>

#include "contest/file_system.h"
#include "contest/settings.h"

struct CabrilloHeader;

class Platform {
public:
    virtual ~Platform() = default;

    virtual Settings& settings() = 0;

    // The files the plug-in writes beside the host: the Cabrillo log.
    virtual FileSystem& files() = 0;

    // Seconds since 1970, UTC.
    virtual std::time_t currentTime() const = 0;

    // The "Output" information box; returns when the operator closes it.
    virtual void showOutput(const std::string& message) = 0;

    // The modal Cabrillo header dialog; true when the operator pressed OK, in
    // which case `header` holds what the dialog showed on closing.
    virtual bool editCabrilloHeader(CabrilloHeader& header) = 0;

    // "2.19" or "3.1.2" from the host executable's version resource; empty
    // when no host executable has one.
    virtual std::string hostVersionText() = 0;

    // The mode panel and the window thread that runs it.  Showing closes an
    // open panel first; closing returns only when the panel is gone.
    virtual bool isModePanelOpen() const = 0;
    virtual void showModePanel() = 0;
    virtual void closeWindows() = 0;

    // The multiplier window's one-shot refresh: stopped, or pushed 330 ms
    // into the future.  Both do nothing while the window is closed.
    virtual void stopMultiplierRefresh() = 0;
    virtual void postponeMultiplierRefresh() = 0;
};
