#include "checker/heard_calls.h"

#include <algorithm>

HeardCalls::HeardCalls(const MatchTable& table) : table_(table)
{
    callAndLog_.reserve(table.lines.size());
    for (const MatchLine& line : table.lines)
        callAndLog_.push_back({line.worked, line.log});
    std::sort(callAndLog_.begin(), callAndLog_.end());
    callAndLog_.erase(std::unique(callAndLog_.begin(), callAndLog_.end()), callAndLog_.end());
}

int HeardCalls::logsHolding(uint32_t call, uint32_t log) const
{
    const auto first = std::lower_bound(callAndLog_.begin(), callAndLog_.end(), std::make_pair(call, uint32_t{0}));
    const auto last = std::lower_bound(first, callAndLog_.end(), std::make_pair(call + 1, uint32_t{0}));
    return static_cast<int>(last - first) - (std::binary_search(first, last, std::make_pair(call, log)) ? 1 : 0);
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
