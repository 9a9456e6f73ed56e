// The consensus on a call without a log: each other log votes once for
// each exchange it copied; the own log's votes never count.
#include <gtest/gtest.h>

#include "checker/consensus.h"
#include "checker/unit/match_fixture.h"

namespace {

struct Case {
    std::vector<std::vector<std::string>> copies;  // per log, the exchanges it copied from DL1ABC
    const char* exchange;                          // the consensus seen from the first log
    int logs, others;
};

Consensus consensusOfFirstLog(const MatchTable& table)
{
    return ExchangeConsensus(table).on(table.calls.find("DL1ABC"), 0);
}

TEST(Consensus, EachOtherLogVotesOncePerExchange)
{
    const Case cases[] = {
        {{{"77"}}, "", 0, 0},                                    // nobody else
        {{{"77"}, {"77"}}, "77", 1, 1},                          // one other log
        {{{"78"}, {"77"}, {"77"}}, "77", 2, 2},                  // two agree
        {{{"78"}, {"77"}, {"76"}}, "77", 1, 2},                  // a split: the one read first
        {{{"78"}, {"77", "77", "77"}, {"76"}}, "77", 1, 2},      // repeats are one vote
        {{{"78"}, {"76"}, {"77"}, {"77"}, {"76"}}, "76", 2, 4},  // a tie of two
        {{{"77", "77"}, {"78"}}, "78", 1, 1},                    // the own copies never vote
        {{{"77"}, {"78", "77"}, {"78"}, {"78"}}, "78", 3, 3},    // a log may vote for two
    };
    for (const Case& c : cases) {
        std::vector<fixture::Log> logs;
        const char* const kCalls[] = {"RA1A", "RB2B", "RC3C", "RD4D", "RE5E"};
        for (std::size_t l = 0; l < c.copies.size(); ++l) {
            fixture::Log log{kCalls[l], {}};
            for (std::size_t k = 0; k < c.copies[l].size(); ++k)
                log.lines.push_back({"DL1ABC", static_cast<int>(10 + 20 * k), c.copies[l][k]});
            logs.push_back(log);
        }
        const MatchTable table = matchTableOf(fixture::logsOf(logs));
        const Consensus consensus = consensusOfFirstLog(table);
        const std::string exchange = consensus.exchange == kNone ? "" : table.exchanges.text(consensus.exchange);
        const std::string seen = ::testing::PrintToString(c.copies);
        EXPECT_EQ(exchange, c.exchange) << seen;
        EXPECT_EQ(consensus.logs, c.logs) << seen;
        EXPECT_EQ(consensus.others, c.others) << seen;
        if (consensus.line != kNone)
            EXPECT_NE(table.lines[consensus.line].log, 0u) << seen;
    }
}

TEST(Consensus, ACallThatSentALogHasNone)
{
    const MatchTable table =
        matchTableOf(fixture::logsOf({{"RA1A", {{"RB2B", 10}}}, {"RB2B", {}}, {"RC3C", {{"RB2B", 20}}}}));
    EXPECT_EQ(ExchangeConsensus(table).on(table.calls.find("RB2B"), 0).others, 0);
}

}  // namespace
