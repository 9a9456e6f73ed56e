#include "rules/call_check.h"

#include <cstring>

namespace {

// "QSO С %s БУДЕТ ПОВТОРНЫМ !!!" in Windows-1251.
constexpr char kRussianBefore[] = "QSO \xD1 ";
constexpr char kRussianAfter[] = " \xC1\xD3\xC4\xC5\xD2 \xCF\xCE\xC2\xD2\xCE\xD0\xCD\xDB\xCC !!!";
constexpr char kEnglishBefore[] = "QSO WITH ";
constexpr char kEnglishAfter[] = " WHILE IT IS IMPOSSIBLE !!!";

int utcHour(std::time_t seconds)
{
    const long long secondOfDay = (static_cast<long long>(seconds) % 86400 + 86400) % 86400;
    return static_cast<int>(secondOfDay / 3600);
}

bool speaksRussian(const ContestState& state, const std::string& lastCountryPrefix)
{
    return state.ownCountryPrefix == "UA" || lastCountryPrefix == "UA2" || lastCountryPrefix == "UA9";
}

}  // namespace

CallCheck checkCall(const ContestState& state, Platform& platform, const std::string& callsign,
                    const std::string& mode, const std::string& band)
{
    const int hourNow = utcHour(platform.currentTime());
    platform.postponeMultiplierRefresh();

    std::string lastCountryPrefix;
    bool conflict = false;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (!state.log.empty())
            lastCountryPrefix = state.log.back().countryPrefix;
        conflict = state.log.heldInHour({callsign, band, mode}, hourNow);
    }
    if (!conflict)
        return {};
    if (speaksRussian(state, lastCountryPrefix))
        return {false, kRussianBefore + callsign + kRussianAfter};
    return {false, kEnglishBefore + callsign + kEnglishAfter};
}

void copyWarning(const std::string& warning, char* buffer, std::size_t size)
{
    if (!buffer || size == 0)
        return;
    const std::size_t length = warning.size() < size ? warning.size() : size - 1;
    std::memcpy(buffer, warning.data(), length);
    buffer[length] = '\0';
}
