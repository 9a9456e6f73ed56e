#include "logfile/band_plan.h"

#include <iterator>

#include "logfile/text.h"

namespace {

// IARU allocations, widened to the widest any region has, so no legal
// frequency falls between bands.
const AmateurBand kBands[] = {
    {"2190m", 135, 138},        {"630m", 472, 479},         {"160m", 1800, 2000},
    {"80m", 3500, 4000},        {"60m", 5060, 5450},        {"40m", 7000, 7300},
    {"30m", 10100, 10150},      {"20m", 14000, 14350},      {"17m", 18068, 18168},
    {"15m", 21000, 21450},      {"12m", 24890, 24990},      {"10m", 28000, 29700},
    {"6m", 50000, 54000},       {"4m", 70000, 71000},       {"2m", 144000, 148000},
    {"1.25m", 222000, 225000},  {"70cm", 420000, 450000},   {"33cm", 902000, 928000},
    {"23cm", 1240000, 1300000}, {"13cm", 2300000, 2450000},
};

}  // namespace

const AmateurBand* bandHolding(double kilohertz)
{
    for (const AmateurBand& band : kBands)
        if (band.holds(kilohertz))
            return &band;
    return nullptr;
}

const AmateurBand* bandLabelled(const std::string& label)
{
    const std::string upper = upperCase(label);
    for (const AmateurBand& band : kBands)
        if (upperCase(band.label) == upper)
            return &band;
    return nullptr;
}

std::string bandLabelForKilohertz(uint32_t kilohertz)
{
    const AmateurBand* band = bandHolding(kilohertz);
    return band ? band->label : std::string();
}
