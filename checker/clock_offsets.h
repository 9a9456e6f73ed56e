// Each log's clock, from how far its QSOs lie from the other side's.
#pragma once

#include <vector>

#include "checker/match_table.h"

struct ClockOffset {
    int minutes = 0;  // what the log's clock was ahead of true time
    int matches = 0;  // matched QSOs it was estimated from
};

// One per log of the contest (indexed as MatchLine::log).  Only QSOs that
// both logs hold once on their band and mode count as evidence: the median
// of three or more; one or two only when they agree (see clock_offsets.cpp).
std::vector<ClockOffset> estimateClockOffsets(const MatchTable& table, std::size_t logCount);

// Sets every line's `minute` to its logged minute less its log's offset.
void correctClocks(MatchTable& table, const std::vector<ClockOffset>& offsets);
