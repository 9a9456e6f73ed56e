#include "base/country_file.h"

#include <system_error>

std::optional<std::filesystem::path> findCountryFile(const std::filesystem::path& programFolder)
{
#ifdef _WIN32
    const std::filesystem::path debian = "Z:\\usr\\share\\hamradio-files\\cty.dat";
#else
    const std::filesystem::path debian = "/usr/share/hamradio-files/cty.dat";
#endif
    for (const auto& candidate : {programFolder / "cty.dat", debian}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate;
    }
    return std::nullopt;
}
