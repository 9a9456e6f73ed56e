// What the logs copied as the exchange of a call that sent no log: the
// only witness to what that station really sent.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "checker/match_table.h"

struct Consensus {
    uint32_t exchange = kNone;  // the exchange most other logs copied
    uint32_t line = kNone;      // a line of another log that copied it, for the exchange as written
    int logs = 0;               // the other logs that copied this exchange
    int others = 0;             // the other logs that logged the call at all
};

class ExchangeConsensus {
public:
    // Counts the votes on every call without a log, once: each line's
    // consensus then only takes its own log's votes out, so a call worked by
    // k logs costs k, not k squared.
    explicit ExchangeConsensus(const MatchTable& table);

    // What the logs other than `log` copied from `call`: the exchange most
    // of them copied (on a tie, the one read first); each log votes once
    // per exchange it copied.
    Consensus on(uint32_t call, uint32_t log) const;

private:
    struct ExchangeVotes {
        uint32_t exchange;
        int logs = 0;                              // that copied it
        uint32_t line = kNone, otherLine = kNone;  // two of theirs, from different logs
    };
    struct CallVotes {
        int logs = 0;                          // that logged the call
        std::vector<ExchangeVotes> exchanges;  // by exchange number
    };
    using Copy = std::array<uint32_t, 4>;  // worked call, log, exchange received, line

    void countVotes(uint32_t call, std::size_t first, std::size_t last);

    const MatchTable& table_;
    std::vector<Copy> copied_;  // one per call without a log, log and exchange; sorted
    std::unordered_map<uint32_t, CallVotes> votesOnCall_;
};
