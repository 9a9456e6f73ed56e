#include "checker/standings.h"

#include <algorithm>

namespace {

// The QSO lines of a log that did not make it into the verified score.
std::size_t lostLines(const CheckedLog& checked)
{
    return checked.log.qsos.size() - static_cast<std::size_t>(checked.score.countedQsos);
}

}  // namespace

bool ranksBefore(const CheckedLog& a, const CheckedLog& b, ContestConfig::TieBreak tieBreak)
{
    if (a.score.verifiedScore != b.score.verifiedScore)
        return a.score.verifiedScore > b.score.verifiedScore;
    return tieBreak == ContestConfig::TieBreak::FewerLost && lostLines(a) < lostLines(b);
}

std::vector<std::size_t> inRankOrder(const CrossCheck& check, std::vector<std::size_t> logs)
{
    std::stable_sort(logs.begin(), logs.end(), [&](std::size_t a, std::size_t b) {
        return ranksBefore(check.logs[a], check.logs[b], check.config.tieBreak);
    });
    return logs;
}

std::vector<int> placesOf(const CrossCheck& check, const std::vector<std::size_t>& ranked)
{
    std::vector<int> places(ranked.size());
    for (std::size_t i = 0; i < ranked.size(); ++i) {
        const bool tiedWithPrevious =
            i > 0 && !ranksBefore(check.logs[ranked[i - 1]], check.logs[ranked[i]], check.config.tieBreak);
        places[i] = tiedWithPrevious ? places[i - 1] : static_cast<int>(i) + 1;
    }
    return places;
}

bool isRanked(const CrossCheck& check, const CheckedLog& checked)
{
    return checked.log.state == LogState::Checked && !check.config.checklogs.count(checked.log.callsign);
}
