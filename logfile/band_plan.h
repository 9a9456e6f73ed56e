// The host's band labels and the amateur bands behind them.
#pragma once

#include <cstdint>
#include <string>

struct AmateurBand {
    const char* label;  // the host's label: "160m", "80m", ... "70cm"
    uint32_t lowKhz, highKhz;

    bool holds(double kilohertz) const { return kilohertz >= lowKhz && kilohertz <= highKhz; }
    // What Cabrillo writes in the frequency field for a QSO logged by band
    // only: the band's lower edge (3500, 7000, ... 50000).
    uint32_t designatorKhz() const { return lowKhz; }
};

// The band that holds a frequency in kilohertz; null outside every band.
const AmateurBand* bandHolding(double kilohertz);

// The band of a label in any case ("80M" is "80m"); null for none.
const AmateurBand* bandLabelled(const std::string& label);

// The host's label of the band that holds a frequency; empty outside every band.
std::string bandLabelForKilohertz(uint32_t kilohertz);
