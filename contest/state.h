// Everything the plug-in knows, from library load to unload.  The DLL keeps
// one instance; tests build their own.
//
// Two threads share it: the host's thread, which runs every export, and the
// window thread, which refreshes and paints the multiplier window.  `lock`
// guards the members the window thread touches; hold it for every change and
// every read pass over them, and never across a message box, a dialog or a
// cross-thread SendMessage.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "contest/qso.h"

// Band label, CW time, SSB time, exchange received.
using BandRow = std::array<std::string, 4>;
using BandTable = std::array<BandRow, 6>;

// The band table's rows, top to bottom.
inline constexpr std::array<const char*, 6> kTableBandNames = {"160m", "80m", "40m", "20m", "15m", "10m"};

struct ContestState {
    mutable std::mutex lock;

    // Guarded by `lock`.
    QsoLog log;
    BandList bands;
    BandTable bandTable;
    std::vector<std::string> multipliers;
    std::string enteredCallsign;
    int currentBandIndex = -1;
    std::string contestYearText;

    // Host's thread only.
    std::string resultsText;
    int32_t claimedScore = 0;
    std::string ownCallsign;
    std::string ownCountryPrefix;
    std::string startDateText;
    std::string endDateText;
    int32_t exportFlag = 0;
    int32_t startFlag = 0;
};
