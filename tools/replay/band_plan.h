// The host's band labels and mode labels.
#pragma once

#include <cstdint>
#include <string>

// The host's label ("160m", "80m", ... "70cm") of the amateur band that holds
// a frequency in kilohertz; empty outside every band.
std::string bandLabelForKilohertz(uint32_t kilohertz);

