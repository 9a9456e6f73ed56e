#include "checker/consensus.h"

#include <algorithm>
#include <map>

ExchangeConsensus::ExchangeConsensus(const MatchTable& table) : table_(table)
{
    // The calls that sent a log need no witnesses: their log says what they sent.
    for (uint32_t i = 0; i < table.lines.size(); ++i)
        if (table.logOf(table.lines[i].worked) == kNoLog)
            copied_.push_back({table.lines[i].worked, table.lines[i].log, table.lines[i].receivedExchange, i});
    std::sort(copied_.begin(), copied_.end());
    // One vote per log and exchange; the first of its lines stays.
    copied_.erase(
        std::unique(copied_.begin(), copied_.end(),
                    [](const Copy& a, const Copy& b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }),
        copied_.end());
    for (std::size_t at = 0, end; at < copied_.size(); at = end) {
        const uint32_t call = copied_[at][0];
        for (end = at; end < copied_.size() && copied_[end][0] == call;)
            ++end;
        countVotes(call, at, end);
    }
}

// copied_[first, last) are the copies of `call`.
void ExchangeConsensus::countVotes(uint32_t call, std::size_t first, std::size_t last)
{
    std::map<uint32_t, ExchangeVotes> byExchange;
    CallVotes& votes = votesOnCall_[call];
    uint32_t lastLog = kNone;
    for (std::size_t at = first; at < last; ++at) {
        const auto& [worked, log, exchange, line] = copied_[at];
        ExchangeVotes& vote = byExchange.try_emplace(exchange, ExchangeVotes{exchange}).first->second;
        if (vote.logs == 0)
            vote.line = line;
        else if (vote.logs == 1)
            vote.otherLine = line;
        ++vote.logs;
        votes.logs += log != lastLog;
        lastLog = log;
    }
    for (const auto& [exchange, vote] : byExchange)
        votes.exchanges.push_back(vote);
}

Consensus ExchangeConsensus::on(uint32_t call, uint32_t log) const
{
    const auto found = votesOnCall_.find(call);
    if (found == votesOnCall_.end())
        return {};
    const CallVotes& votes = found->second;
    auto own = std::lower_bound(copied_.begin(), copied_.end(), Copy{call, log, 0, 0});
    auto ownEnd = own;
    while (ownEnd != copied_.end() && (*ownEnd)[0] == call && (*ownEnd)[1] == log)
        ++ownEnd;
    Consensus consensus;
    consensus.others = votes.logs - (own != ownEnd ? 1 : 0);
    for (const ExchangeVotes& vote : votes.exchanges) {
        const bool ours = std::any_of(own, ownEnd, [&](const Copy& copy) { return copy[2] == vote.exchange; });
        const int logs = vote.logs - (ours ? 1 : 0);
        if (logs > consensus.logs)
            consensus = {vote.exchange, table_.lines[vote.line].log == log ? vote.otherLine : vote.line, logs,
                         consensus.others};
    }
    return consensus;
}
