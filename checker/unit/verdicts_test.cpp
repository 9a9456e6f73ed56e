// Verdicts and the verified score: the statuses from what pairing found,
// the period's edges, and every penalty.
#include <gtest/gtest.h>

#include "checker/pairing.h"
#include "checker/unit/match_fixture.h"
#include "checker/verdicts.h"

namespace {

std::vector<CheckedLog> judged(const std::vector<fixture::Log>& logs, const ContestConfig& config = {})
{
    std::vector<CheckedLog> checked = fixture::logsOf(logs);
    MatchTable table = fixture::correctedTable(checked);
    pairLines(table, config.toleranceMinutes);
    giveVerdicts(checked, table, {ExchangeConsensus(table), HeardCalls(table)}, config);
    for (CheckedLog& log : checked)
        scoreVerifiedLog(log, config);
    return checked;
}

std::string statuses(const CheckedLog& log)
{
    std::string text;
    for (const QsoVerdict& verdict : log.verdicts)
        text += std::string(text.empty() ? "" : " ") + qsoStatusName(verdict.status) +
                (verdict.correction.empty() ? "" : "=" + verdict.correction);
    return text;
}

TEST(Verdicts, EachLineGetsTheStatusOfWhatWasFound)
{
    const std::vector<CheckedLog> logs = judged({
        {"RA1A",
         {{"RB2B", 10},
          {"RB2C", 20},
          {"RC3C", 30},
          {"RD4D", 40, "45"},
          {"DL1ABC", 50},
          {"F5XYZ", 60},
          {"RB2B", 70, "", "80M CW", true}}},
        {"RB2B", {{"RA1A", 10}, {"RA1A", 20}}},
        {"RC3C", {}},
        {"RD4D", {{"RA1A", 40}, {"DL1ABC", 51}}},
    });
    EXPECT_EQ(statuses(logs[0]), "OK BUSTED_CALL=RB2B NIL BUSTED_EXCH=44 NO_LOG UNIQUE DUPE");
    EXPECT_EQ(logs[0].verdicts[0].matchedLog, 1u);
    EXPECT_EQ(logs[0].verdicts[0].matchedLine, 5);
    EXPECT_EQ(statuses(logs[1]), "OK OK");
}

// RA1A copied "45" from DL1ABC, which sent no log: busted only when two
// other logs at least agree on another exchange, and they are more than
// half of the other logs that logged the call.
TEST(Verdicts, ACallWithoutALogIsBustedOnlyByAMajorityOfTwoOrMore)
{
    const struct {
        std::vector<std::string> others;  // what each other log copied
        const char* status;
    } cases[] = {
        {{}, "UNIQUE"},
        {{"45"}, "NO_LOG"},
        {{"44"}, "NO_LOG"},
        {{"44", "44"}, "BUSTED_EXCH=44"},
        {{"44", "43"}, "NO_LOG"},
        {{"44", "44", "43"}, "BUSTED_EXCH=44"},
        {{"44", "44", "43", "42"}, "NO_LOG"},
        {{"44", "44", "45", "45"}, "NO_LOG"},
        {{"044", "44", "45"}, "BUSTED_EXCH=044"},
    };
    const char* const kCalls[] = {"RB2B", "RC3C", "RD4D", "RE5E"};
    for (const auto& c : cases) {
        std::vector<fixture::Log> logs = {{"RA1A", {{"DL1ABC", 10, "45"}}}};
        for (std::size_t i = 0; i < c.others.size(); ++i)
            logs.push_back({kCalls[i], {{"DL1ABC", 12 + static_cast<int>(i), c.others[i]}}});
        EXPECT_EQ(statuses(judged(logs)[0]), c.status) << ::testing::PrintToString(c.others);
    }
}

TEST(Verdicts, ThePeriodIncludesItsStartAndExcludesItsEnd)
{
    ContestConfig config = readContestConfig("start = 2025-12-20 20:10\nend = 2025-12-20 20:20\n", "c.ini");
    const std::vector<CheckedLog> logs =
        judged({{"RA1A", {{"F5AA", 9}, {"F5AB", 10}, {"F5AC", 19}, {"F5AD", 20}}}}, config);
    EXPECT_EQ(statuses(logs[0]), "OUT_OF_PERIOD UNIQUE UNIQUE OUT_OF_PERIOD");
}

TEST(Verdicts, TheScoreTakesOffEachPenaltyOnItsOwnLines)
{
    // RA1A: 2 confirmed, 1 NIL, 1 busted call, 1 busted exchange, 1 unique.
    const std::vector<fixture::Log> logs = {
        {"RA1A", {{"RB2B", 10}, {"RC3C", 20}, {"RD4D", 30}, {"RE5F", 40}, {"RF6F", 50, "67"}, {"F5XYZ", 60}}},
        {"RB2B", {{"RA1A", 10}}},
        {"RC3C", {{"RA1A", 20}}},
        {"RD4D", {}},
        {"RE5E", {{"RA1A", 40}}},
        {"RF6F", {{"RA1A", 50}}}};
    const struct {
        bool countUniques;
        int nilPenalty, bustedPenalty;
        int points;
        int penalty;
    } cases[] = {{true, 0, 0, 3, 0}, {false, 0, 0, 2, 0}, {true, 1, 0, 2, 1},
                 {true, 0, 1, 1, 2}, {true, 2, 1, 0, 4},  {false, 100, 100, 0, 300}};
    for (const auto& c : cases) {
        ContestConfig config;
        config.countUniques = c.countUniques;
        config.nilPenalty = c.nilPenalty;
        config.bustedPenalty = c.bustedPenalty;
        const CheckedLog ra1a = judged(logs, config)[0];
        const std::string seen = std::to_string(c.nilPenalty) + " " + std::to_string(c.bustedPenalty);
        EXPECT_EQ(statuses(ra1a), "OK OK NIL BUSTED_CALL=RE5E BUSTED_EXCH=66 UNIQUE") << seen;
        EXPECT_EQ(ra1a.score.points, c.points) << seen;
        EXPECT_EQ(ra1a.score.penaltyPoints, c.penalty) << seen;
        EXPECT_EQ(ra1a.score.countedQsos, c.countUniques ? 3 : 2) << seen;
        EXPECT_EQ(ra1a.score.verifiedScore, int64_t{c.points} * ra1a.score.multipliers) << seen;
    }
}

}  // namespace
