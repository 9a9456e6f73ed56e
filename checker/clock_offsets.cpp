// The median of the differences, with the other log's own offset taken
// out; a few rounds let two wrong clocks settle.
#include "checker/clock_offsets.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Matched QSOs a clock offset needs before it is believed.
constexpr std::size_t kOffsetEvidence = 3;
// Farthest apart two sides of one QSO may lie before a clock is corrected.
constexpr int kWidestOffsetMinutes = 24 * 60;

struct Evidence {
    uint32_t other;  // the log on the other side
    int64_t difference;
};

int medianOf(std::vector<int64_t> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return static_cast<int>(*middle);
}

std::vector<std::vector<Evidence>> evidenceOf(const MatchTable& table, std::size_t logCount)
{
    std::vector<std::vector<Evidence>> evidence(logCount);
    for (const MatchLine& line : table.lines) {
        if (!table.workedALog(line))
            continue;
        const auto mine = pairRange(table.byPair, line.own, line.worked, line.bandMode);
        const auto theirs = pairRange(table.byPair, line.worked, line.own, line.bandMode);
        if (mine.second - mine.first != 1 || theirs.second - theirs.first != 1)
            continue;
        const MatchLine& other = table.lines[table.byPair[theirs.first].second];
        const int64_t difference = line.loggedMinute - other.loggedMinute;
        if (std::llabs(difference) <= kWidestOffsetMinutes)
            evidence[line.log].push_back({other.log, difference});
    }
    return evidence;
}

}  // namespace

std::vector<ClockOffset> estimateClockOffsets(const MatchTable& table, std::size_t logCount)
{
    const std::vector<std::vector<Evidence>> evidence = evidenceOf(table, logCount);
    std::vector<int> offsets(logCount, 0);
    for (int round = 0; round < 3; ++round) {
        std::vector<int> next(logCount, 0);
        for (std::size_t log = 0; log < logCount; ++log) {
            if (evidence[log].size() < kOffsetEvidence)
                continue;
            std::vector<int64_t> estimates;
            for (const Evidence& e : evidence[log])
                estimates.push_back(e.difference + offsets[e.other]);
            next[log] = medianOf(std::move(estimates));
        }
        offsets = std::move(next);
    }
    std::vector<ClockOffset> found(logCount);
    for (std::size_t log = 0; log < logCount; ++log)
        found[log] = {offsets[log], static_cast<int>(evidence[log].size())};
    return found;
}

void correctClocks(MatchTable& table, const std::vector<ClockOffset>& offsets)
{
    for (auto* lines : {&table.lines, &table.duplicates})
        for (MatchLine& line : *lines)
            line.minute = line.loggedMinute - offsets[line.log].minutes;
}
