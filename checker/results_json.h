// results.json: the whole cross-check for other programs to read, in a
// format that keeps its shape from release to release.  The README gives
// it with its version; docs/results-schema.json says it to a validator.
#pragma once

#include <string>

#include "base/whole_file.h"
#include "checker/cross_check.h"

// Raised when a field changes its meaning or goes away; a field added
// leaves it as it is.
inline constexpr int kResultsJsonVersion = 1;

// UTF-8, one object: the contest, then every file given with its state,
// and for a checked log its categories, totals, points per band, counts per
// status and every QSO line with its verdict.  Bytes that are not UTF-8 in
// a log come out as U+FFFD.  Written a log at a time; the caller closes
// the file.
void writeResultsJson(const CrossCheck& check, FileWriter& file);
