#include "band_plan.h"

namespace {

struct Band {
    const char* label;
    uint32_t lowKhz, highKhz;
};

// IARU allocations, widened to the widest any region has, so no legal
// frequency falls between bands.
const Band kBands[] = {
    {"160m", 1800, 2000},       {"80m", 3500, 4000},        {"60m", 5060, 5450},
    {"40m", 7000, 7300},        {"30m", 10100, 10150},      {"20m", 14000, 14350},
    {"17m", 18068, 18168},      {"15m", 21000, 21450},      {"12m", 24890, 24990},
    {"10m", 28000, 29700},      {"6m", 50000, 54000},       {"4m", 70000, 71000},
    {"2m", 144000, 148000},     {"1.25m", 222000, 225000},  {"70cm", 420000, 450000},
    {"33cm", 902000, 928000},   {"23cm", 1240000, 1300000},
};

}  // namespace

std::string bandLabelForKilohertz(uint32_t kilohertz)
{
    for (const Band& band : kBands)
        if (kilohertz >= band.lowKhz && kilohertz <= band.highKhz)
            return band.label;
    return {};
}
