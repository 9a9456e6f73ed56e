// Pairs each line with the other side of its QSO: first where both calls
// were copied right, then where the other log holds the QSO only as a
// duplicate, then where one side or both miscopied a call by one edit.
#pragma once

#include "checker/match_table.h"

// Sets `partner` (and `miscopiedCall`) of the lines it pairs.  The lines'
// minutes must already be corrected for their clocks.
void pairLines(MatchTable& table, int toleranceMinutes);
