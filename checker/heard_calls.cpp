#include "checker/heard_calls.h"

#include <algorithm>

HeardCalls::HeardCalls(const MatchTable& table) : table_(table)
{
    // The lines come in log order: a call's logs are counted and placed
    // once each, and come out in log order, with no sort of every line.
    std::vector<uint32_t> lastLog(table.calls.size(), kNone);
    const auto firstOfItsLog = [&](const MatchLine& line) {
        const bool first = lastLog[line.worked] != line.log;
        lastLog[line.worked] = line.log;
        return first;
    };
    firstLogAt_.assign(table.calls.size() + 1, 0);
    for (const MatchLine& line : table.lines)
        if (firstOfItsLog(line))
            ++firstLogAt_[line.worked + 1];
    for (std::size_t call = 1; call < firstLogAt_.size(); ++call)
        firstLogAt_[call] += firstLogAt_[call - 1];
    std::vector<uint32_t> next(firstLogAt_.begin(), firstLogAt_.end() - 1);
    logs_.resize(firstLogAt_.back());
    std::fill(lastLog.begin(), lastLog.end(), kNone);
    for (const MatchLine& line : table.lines)
        if (firstOfItsLog(line))
            logs_[next[line.worked]++] = line.log;
}

int HeardCalls::logsHolding(uint32_t call, uint32_t log) const
{
    if (call + 1 >= firstLogAt_.size())
        return 0;
    const auto first = logs_.begin() + firstLogAt_[call], last = logs_.begin() + firstLogAt_[call + 1];
    return static_cast<int>(last - first) - (std::binary_search(first, last, log) ? 1 : 0);
}

bool HeardCalls::heardNear(uint32_t call, const MatchLine& line) const
{
    bool heard = false;
    forEachLineThatLogged(table_, call, line.bandMode, line.minute - kWindowMinutes, line.minute + kWindowMinutes,
                          [&](uint32_t at) { heard = heard || table_.lines[at].log != line.log; });
    return heard;
}

uint32_t HeardCalls::likelyCallOf(const MatchLine& line) const
{
    constexpr int kSeveralLogs = 2;
    uint32_t likeliest = kNone;
    int mostLogs = 0;
    bool tie = false;
    for (uint32_t call : callsOneEditFrom(table_.calls, line.worked)) {
        if (call == line.own)
            continue;
        const int logs = logsHolding(call, line.log);
        if (logs < kSeveralLogs || logs < mostLogs || !heardNear(call, line))
            continue;
        tie = logs == mostLogs;
        likeliest = call;
        mostLogs = logs;
    }
    return tie ? kNone : likeliest;
}
