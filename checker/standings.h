// The order of the logs in the results and the place each takes.
#pragma once

#include <cstddef>
#include <vector>

#include "checker/cross_check.h"

// Whether `a` ranks before `b`: the higher verified score, then the
// organiser's tie-break.  Neither file order nor callsign decides.
bool ranksBefore(const CheckedLog& a, const CheckedLog& b, ContestConfig::TieBreak tieBreak);

// `logs` (indices into check.logs, CHECKED ones) best first; logs that
// rank alike keep their order.
std::vector<std::size_t> inRankOrder(const CrossCheck& check, std::vector<std::size_t> logs);

// The place of each of `ranked` (as inRankOrder gives them): 1 for the
// first, and logs that rank alike share the place of the first of them,
// the next one taking its own position ("1, 2, 2, 4").
std::vector<int> placesOf(const CrossCheck& check, const std::vector<std::size_t>& ranked);

// Whether the log is ranked: CHECKED and not a checklog.
bool isRanked(const CrossCheck& check, const CheckedLog& checked);
