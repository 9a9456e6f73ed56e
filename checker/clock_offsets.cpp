// The median of the differences, with the other log's own offset taken
// out; a few rounds let two wrong clocks settle.
#include "checker/clock_offsets.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Matched QSOs whose median is believed whatever it says.  Fewer are
// believed only when they agree, within the minute each side may round
// differently (it writes the minute the QSO ended, or the next), and a
// single one only on a whole-hour offset, the clock set to a wrong zone.
constexpr std::size_t kOffsetEvidence = 3;
constexpr int kRoundingMinutes = 1;
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
        const LineRange theirs = table.byPair.linesOf(line.worked, line.own, line.bandMode);
        if (theirs.size() != 1 || table.byPair.linesOf(line.own, line.worked, line.bandMode).size() != 1)
            continue;
        const MatchLine& other = table.lines[*theirs.begin()];
        const int64_t difference = line.loggedMinute - other.loggedMinute;
        if (std::llabs(difference) <= kWidestOffsetMinutes)
            evidence[line.log].push_back({other.log, difference});
    }
    return evidence;
}

int nearestWholeHour(int64_t minutes)
{
    return static_cast<int>((minutes >= 0 ? minutes + 30 : minutes - 30) / 60 * 60);
}

// The offset one or two matches give: a whole hour they all lie within a
// minute of, else, for two that agree, the one nearer zero; else none.
int offsetOfFewMatches(const std::vector<int64_t>& estimates)
{
    const int hour = nearestWholeHour(estimates.front());
    const auto nearHour = [&](int64_t e) { return std::llabs(e - hour) <= kRoundingMinutes; };
    if (std::all_of(estimates.begin(), estimates.end(), nearHour))
        return hour;
    if (estimates.size() == 2 && std::llabs(estimates[0] - estimates[1]) <= kRoundingMinutes)
        return static_cast<int>(std::llabs(estimates[0]) < std::llabs(estimates[1]) ? estimates[0] : estimates[1]);
    return 0;
}

}  // namespace

std::vector<ClockOffset> estimateClockOffsets(const MatchTable& table, std::size_t logCount)
{
    const std::vector<std::vector<Evidence>> evidence = evidenceOf(table, logCount);
    const auto enough = [&](std::size_t log) { return evidence[log].size() >= kOffsetEvidence; };
    std::vector<int> offsets(logCount, 0);
    for (int round = 0; round < 3; ++round) {
        std::vector<int> next(logCount, 0);
        for (std::size_t log = 0; log < logCount; ++log) {
            if (!enough(log))
                continue;
            std::vector<int64_t> estimates;
            for (const Evidence& e : evidence[log])
                estimates.push_back(e.difference + offsets[e.other]);
            next[log] = medianOf(std::move(estimates));
        }
        offsets = std::move(next);
    }
    // A small log is measured against the logs whose clocks are known: two
    // small logs that disagree could either be wrong.
    for (std::size_t log = 0; log < logCount; ++log) {
        std::vector<int64_t> estimates;
        for (const Evidence& e : evidence[log])
            if (enough(e.other))
                estimates.push_back(e.difference + offsets[e.other]);
        if (!enough(log) && !estimates.empty())
            offsets[log] = offsetOfFewMatches(estimates);
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
