#include "checker/report_text.h"

#include <algorithm>

#include "checker/standings.h"

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
    std::vector<std::size_t> checked, others;
    for (std::size_t i = 0; i < check.logs.size(); ++i)
        (check.logs[i].log.state == LogState::Checked ? checked : others).push_back(i);
    std::vector<std::size_t> order = inRankOrder(check, std::move(checked));
    order.insert(order.end(), others.begin(), others.end());
    return order;
}

std::string percent(std::size_t part, std::size_t whole)
{
    if (whole == 0)
        return "0%";
    const std::size_t tenths = (part * 1000 + whole / 2) / whole;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

std::string reduction(const CheckedLog& checked)
{
    const std::optional<int64_t>& claim = checked.log.claimedScore;
    if (!claim || *claim <= 0)
        return {};
    const int64_t lost = std::max<int64_t>(0, *claim - checked.score.verifiedScore);
    return percent(static_cast<std::size_t>(lost), static_cast<std::size_t>(*claim));
}
