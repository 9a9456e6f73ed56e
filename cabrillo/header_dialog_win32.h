// The modal Cabrillo header dialog (template IDD_CABRILLO).
#pragma once

#include "cabrillo/cabrillo_log.h"

// Shows `header` and, when the operator presses OK, takes the fields the
// dialog lets the operator change back into it.  False on CANCEL, on closing
// the dialog any other way, or when it cannot be shown; `header` is then
// unchanged.
bool runCabrilloHeaderDialog(CabrilloHeader& header);
