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

// Checked logs in rank order, then the files that were not checked, in the
// order given.
std::vector<std::size_t> rankedLogs(const CrossCheck& check);

// "12.3%": the share to a tenth, "0%" of nothing.
std::string percent(std::size_t part, std::size_t whole);

// How much of the claimed score the check took away; empty when the log
// claims none.  A verified score above the claim is no reduction.
std::string reduction(const CheckedLog& checked);
