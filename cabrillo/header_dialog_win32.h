// The modal Cabrillo header dialog (template 101).
#pragma once

#include "cabrillo/cabrillo_log.h"

// Shows `header` and, on OK, takes the edited fields back into it.
bool runCabrilloHeaderDialog(CabrilloHeader& header);
