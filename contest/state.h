// Everything the plug-in knows, from library load to unload.  The DLL keeps
// one instance; tests build their own.
//
// The host's calls and the window thread, which refreshes and paints the
// multiplier window, share it.  `lock` guards the members the window thread
// touches; hold it for every change and every read pass over them, and never
// across a message box, a dialog or a cross-thread SendMessage.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "contest/qso.h"

// Runs `wait` (a dialog, a message box, a wait for another thread) with
// `held` let go, and takes it again however `wait` ends.
template <typename Wait>
auto whileUnlocked(std::unique_lock<std::mutex>& held, Wait&& wait)
{
    struct Relock {
        std::unique_lock<std::mutex>& lock;
        ~Relock() { lock.lock(); }
    };
    held.unlock();
    Relock relock{held};
    return wait();
}

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

    // Changed only by the host's calls, which one lock over the entry points
    // keeps apart.
    int32_t claimedScore = 0;
    std::string ownCallsign;
    std::string ownCountryPrefix;
    std::string startDateText;
    std::string endDateText;
    int32_t exportFlag = 0;
    int32_t startFlag = 0;
};
