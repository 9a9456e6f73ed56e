// GetResult0's work: recount the log, build the results text, record the
// claimed score under "Claimed" and, when the contest run asked for it,
// export the Cabrillo file and tell the operator.
#pragma once

#include <string>

#include "cabrillo/cabrillo_log.h"
#include "contest/platform.h"
#include "contest/state.h"
#include "score/scoring.h"

// The three header lines, a row per band, the totals row and the score line.
std::string resultsText(const ContestState& state, const ScoreSheet& sheet);

// Rebuilds state.resultsText and returns it; the host may hold on to its
// characters until the next call.
const std::string& buildResults(ContestState& state, CCabrilloLog& cabrillo, Platform& platform);
