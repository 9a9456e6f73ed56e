// What the cross-check's reports share: their text, their order of logs
// and the category fields they show.
#pragma once

#include <string>
#include <vector>

#include "checker/cross_check.h"

inline const char* const kCategoryNames[] = {"OPERATOR", "BAND", "MODE", "POWER"};

// Valid UTF-8 passes, but for control characters other than tab and line
// ends; any other byte becomes '?'.
std::string validUtf8(const std::string& text);

// The log's CLAIMED-SCORE, or empty.
std::string claimedScoreText(const LogCheck& log);

// Checked logs by verified score, best first (callsign on a tie), then the
// files that were not checked, in the order given.
std::vector<std::size_t> rankedLogs(const CrossCheck& check);
