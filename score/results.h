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

struct Results {
    std::string text;
    // What the operator is told when the run exports the Cabrillo file;
    // empty when it does not.
    std::string exportMessage;
};

// Recounts the log, records "Claimed" and writes the Cabrillo file when the
// run asks for it.  Shows nothing: the caller shows the message, after
// letting go of whatever it holds.
Results buildResults(ContestState& state, CCabrilloLog& cabrillo, Platform& platform);
