// The scoring pass: a full recount of the QSO log into band rows, totals,
// the multiplier list and the claimed score.  Nothing is kept between passes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contest/state.h"

struct BandScore {
    std::string band;
    int32_t qsos = 0;
    int32_t points = 0;
    int32_t newMultipliers = 0;
    int32_t cw = 0;
    int32_t ssb = 0;
};

struct ScoreSheet {
    std::vector<BandScore> rows;  // in row order
    int32_t qsos = 0;
    int32_t points = 0;
    int32_t multipliers = 0;
    int32_t cw = 0;
    int32_t ssb = 0;
    int32_t claimedScore = 0;
};

// QZ3ZBB and QZ3ZAA, the contest's own stations.
bool isContestStation(const std::string& callsign);

// 5 for the two club stations, 3 for a Russian station whose callsign holds
// "2R", "3R" or "5R" after its first character, 1 for anyone else.
int pointsFor(const CInfo& record);

// Largest key first, where a band's key is its name left-padded with '0' to
// 20 characters: "160m", "80m", "40m" ... in practice.
void sortIntoRowOrder(BandList& bands);

// Runs the pass under the state's lock.  Leaves the band list in row order,
// the multiplier list rebuilt and the claimed score set.  A score beyond 32
// bits is held at the nearest 32-bit limit rather than wrapping.
ScoreSheet scoreLog(ContestState& state);

// The same pass over records that are in no contest log, `bands` those they
// were noted on (noteBand): the checker scores the lines that count so.
// Each record's band and mode must live until it returns.
ScoreSheet scoreRecords(const std::vector<CInfo>& records, BandList bands);
