// The clock offsets: found from the QSOs both logs hold once, with the
// other log's own offset taken out, and only on enough evidence.
#include <gtest/gtest.h>

#include "checker/unit/match_fixture.h"

namespace {

const std::vector<std::string> kCalls = {"RA1A", "RB2B", "RC3C", "RD4D", "RE5E"};

// Everybody works everybody once; each log's clock runs `late` minutes
// ahead (by call).
std::vector<CheckedLog> roundRobin(const std::map<std::string, int>& late)
{
    std::vector<fixture::Log> logs;
    for (std::size_t a = 0; a < kCalls.size(); ++a) {
        fixture::Log log{kCalls[a], {}};
        for (std::size_t b = 0; b < kCalls.size(); ++b)
            if (a != b) {
                const auto shift = late.find(kCalls[a]);
                log.lines.push_back({kCalls[b], static_cast<int>(10 * (a + b) + 3 * std::min(a, b)) +
                                                    (shift == late.end() ? 0 : shift->second)});
            }
        logs.push_back(log);
    }
    return fixture::logsOf(logs);
}

std::vector<int> offsetsOf(const std::vector<CheckedLog>& logs)
{
    std::vector<int> minutes;
    for (const ClockOffset& offset : estimateClockOffsets(matchTableOf(logs), logs.size()))
        minutes.push_back(offset.minutes);
    return minutes;
}

TEST(ClockOffsets, OneOrTwoWrongClocksSettleOnTheirOffsets)
{
    const struct {
        std::map<std::string, int> late;
        std::vector<int> offsets;
    } cases[] = {
        {{}, {0, 0, 0, 0, 0}},
        {{{"RC3C", 3}}, {0, 0, 3, 0, 0}},
        {{{"RC3C", -120}}, {0, 0, -120, 0, 0}},
        {{{"RA1A", 60}, {"RB2B", 60}}, {60, 60, 0, 0, 0}},
        {{{"RA1A", 60}, {"RE5E", -2}}, {60, 0, 0, 0, -2}},
        {{{"RA1A", 60}, {"RB2B", 60}, {"RC3C", 60}}, {60, 60, 60, 0, 0}},  // most clocks wrong
        {{{"RD4D", 24 * 60}}, {0, 0, 0, 24 * 60, 0}},  // the widest offset believed
        {{{"RD4D", 24 * 60 + 1}}, {0, 0, 0, 0, 0}},    // one past it
    };
    for (const auto& c : cases)
        EXPECT_EQ(offsetsOf(roundRobin(c.late)), c.offsets) << ::testing::PrintToString(c.late);
}

TEST(ClockOffsets, OnlyQsosBothLogsHoldOnceAreEvidence)
{
    // RA1A's clock is an hour fast; RB2B worked it twice on 80 m CW, so that
    // pair says nothing, and three single QSOs remain.
    std::vector<CheckedLog> logs = fixture::logsOf({
        {"RA1A", {{"RB2B", 70}, {"RB2B", 110}, {"RC3C", 80}, {"RD4D", 90}, {"RE5E", 100}}},
        {"RB2B", {{"RA1A", 10}, {"RA1A", 50}}},
        {"RC3C", {{"RA1A", 20}}},
        {"RD4D", {{"RA1A", 30}}},
        {"RE5E", {{"RA1A", 40}}},
    });
    const std::vector<ClockOffset> offsets = estimateClockOffsets(matchTableOf(logs), logs.size());
    EXPECT_EQ(offsets[0].minutes, 60);
    EXPECT_EQ(offsets[0].matches, 3);
    EXPECT_EQ(offsets[1].matches, 0);
}

// A log of one or two QSOs: its matches are believed when they agree on a
// whole hour within a minute, or two agree with each other; else its clock
// stays as it is.
TEST(ClockOffsets, OneOrTwoMatchesAreEnoughWhenTheyAgree)
{
    const struct {
        std::vector<int> late;  // how far each of RF6F's QSOs lies after the partner's line
        int offset;
    } cases[] = {
        {{60}, 60},        {{61}, 60},  {{59}, 60},     {{-120}, -120}, {{-119}, -120}, {{62}, 0},
        {{30}, 0},         {{3}, 0},    {{60, 61}, 60}, {{60, 60}, 60}, {{60, 0}, 0},   {{60, 120}, 0},
        {{-61, -60}, -60}, {{3, 4}, 3}, {{-4, -3}, -3}, {{3, 9}, 0},    {{1, 0}, 0},    {{58, 62}, 0},
    };
    for (const auto& c : cases) {
        // The round robin's logs know their clocks; RF6F works two of them.
        std::vector<fixture::Log> logs;
        for (const std::string& call : {"RA1A", "RB2B", "RC3C", "RD4D"}) {
            logs.push_back({call, {}});
            for (const std::string& other : {"RA1A", "RB2B", "RC3C", "RD4D"})
                if (other != call)
                    logs.back().lines.push_back({other, 10 + (call[1] - 'A') + (other[1] - 'A')});
        }
        logs.push_back({"RF6F", {}});
        for (std::size_t i = 0; i < c.late.size(); ++i) {
            logs.back().lines.push_back({logs[i].call, 100 + 10 * static_cast<int>(i) + c.late[i]});
            logs[i].lines.push_back({"RF6F", 100 + 10 * static_cast<int>(i)});
        }
        const std::vector<CheckedLog> checked = fixture::logsOf(logs);
        const std::vector<ClockOffset> offsets = estimateClockOffsets(matchTableOf(checked), checked.size());
        EXPECT_EQ(offsets[4].minutes, c.offset) << ::testing::PrintToString(c.late);
        EXPECT_EQ(offsets[4].matches, static_cast<int>(c.late.size()));
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(offsets[i].minutes, 0) << i << ::testing::PrintToString(c.late);
    }
}

// Two small logs that disagree by an hour: either clock may be wrong.
TEST(ClockOffsets, TwoSmallLogsNeverCorrectEachOther)
{
    const std::vector<CheckedLog> logs = fixture::logsOf({{"RA1A", {{"RB2B", 70}}}, {"RB2B", {{"RA1A", 10}}}});
    for (const ClockOffset& offset : estimateClockOffsets(matchTableOf(logs), logs.size()))
        EXPECT_EQ(offset.minutes, 0);
}

TEST(ClockOffsets, CorrectedMinutesTakeTheOffsetOff)
{
    MatchTable table = matchTableOf(fixture::logsOf({{"RA1A", {{"RB2B", 70}}}, {"RB2B", {{"RA1A", 10}}}}));
    correctClocks(table, {{60, 1}, {-5, 1}});
    EXPECT_EQ(table.lines[0].minute - table.lines[0].loggedMinute, -60);
    EXPECT_EQ(table.lines[1].minute - table.lines[1].loggedMinute, 5);
}

}  // namespace
