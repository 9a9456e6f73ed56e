#include "checker/report_text.h"

#include <algorithm>
#include <numeric>

std::string validUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3
                                                  : (byte >> 3) == 0x1E ? 4 : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(text[i + k]) >> 6) == 0x2;
        if (valid && (length > 1 || byte >= 0x20 || byte == '\t' || byte == '\r' || byte == '\n')) {
            out.append(text, i, length);
            i += length;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

std::string claimedScoreText(const LogCheck& log)
{
    return log.claimedScore ? std::to_string(*log.claimedScore) : "";
}


std::vector<std::size_t> rankedLogs(const CrossCheck& check)
{
    std::vector<std::size_t> order(check.logs.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const CheckedLog &x = check.logs[a], &y = check.logs[b];
        const bool xChecked = x.log.state == LogState::Checked, yChecked = y.log.state == LogState::Checked;
        if (xChecked != yChecked)
            return xChecked;
        if (!xChecked)
            return false;
        if (x.score.verifiedScore != y.score.verifiedScore)
            return x.score.verifiedScore > y.score.verifiedScore;
        return x.log.callsign < y.log.callsign;
    });
    return order;
}

