// Each line's status from what matching found, and each log's verified
// score from the lines that count.
#pragma once

#include <vector>

#include "checker/consensus.h"
#include "checker/heard_calls.h"
#include "checker/match_table.h"

// What the lines of no partner are judged by.
struct Witnesses {
    const ExchangeConsensus& exchanges;
    const HeardCalls& calls;
};

// Fills the verdicts of every CHECKED log: the plug-in's REJECTED and DUPE
// stand; every other line is judged by its partner, or, without one, by
// whether its call sent a log, what the other logs copied from it and, for
// a call nobody else logged, the calls heard like it.  The period is
// applied to the clock-corrected minute last.
void giveVerdicts(std::vector<CheckedLog>& logs, const MatchTable& table, const Witnesses& witnesses,
                  const ContestConfig& config);

// The plug-in's scoring pass over the lines that count, then the penalties
// off the points.
void scoreVerifiedLog(CheckedLog& checked, const ContestConfig& config);
