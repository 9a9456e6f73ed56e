// The log both benchmarks replay: natively through the core, and under Wine
// through the real Stats.dll.
#pragma once

#include <string>
#include <vector>

#include "rules/acceptance.h"
#include "support/qso_builder.h"

// A contest-like log of `size` QSOs over two days, 14 and 15 June 2015: each
// station worked once in each band and mode slot (80m and 40m, CW and SSB),
// and one QSO in fifty logged a second time (2% duplicates).
inline std::vector<QsoFields> contestLog(int size)
{
    constexpr int kSlots = 4;
    const int stations = size / kSlots + 1;
    std::vector<QsoFields> log;
    log.reserve(static_cast<std::size_t>(size));
    for (int i = 0; static_cast<int>(log.size()) < size; ++i) {
        const int station = i % stations, slot = (i / stations) % kSlots;
        const int minute = static_cast<int>(static_cast<long long>(i) * 2880 / size);
        QsoFields qso = contestQso("UA" + std::to_string(station % 10) + "R" + std::to_string(station),
                                   slot % 2 ? "40m" : "80m", slot / 2 ? "SSB" : "CW",
                                   utc(2015, 6, 14 + minute / 1440, minute / 60 % 24, minute % 60));
        qso.countryPrefix = station % 4 ? "UA" : "DL";
        log.push_back(qso);
        if (i % 50 == 49 && static_cast<int>(log.size()) < size)
            log.push_back(qso);
    }
    return log;
}
