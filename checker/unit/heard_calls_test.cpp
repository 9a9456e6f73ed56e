// A call nobody else logged, judged by the calls heard like it: one edit
// away, held by several other logs, heard on that band near that time.
#include <gtest/gtest.h>

#include "checker/heard_calls.h"
#include "checker/pairing.h"
#include "checker/unit/match_fixture.h"

namespace {

struct Heard {
    std::string call;  // what the other logs logged
    int logs;          // how many of them
    int minute;        // the nearest of their QSOs with it
    std::string bandMode = "80M CW";
};

TEST(HeardCalls, AUniqueCallIsTheMiscopyOfACallHeardLikeIt)
{
    // RA1A logged DL1ABD at minute 100 on 80 m CW.
    const struct {
        std::vector<Heard> heard;
        const char* likely;  // "" for none
    } cases[] = {
        {{}, ""},
        {{{"DL1ABC", 3, 100}}, "DL1ABC"},
        {{{"DL1ABC", 2, 100}}, "DL1ABC"},
        {{{"DL1ABC", 1, 100}}, ""},        // one log is no evidence
        {{{"DL1ABC", 3, 130}}, "DL1ABC"},  // exactly the window
        {{{"DL1ABC", 3, 70}}, "DL1ABC"},
        {{{"DL1ABC", 3, 131}}, ""},                      // one past it
        {{{"DL1ABC", 3, 100, "40M CW"}}, ""},            // another band
        {{{"DL1ABC", 3, 100, "80M SSB"}}, ""},           // another mode
        {{{"DL2ABC", 3, 100}}, ""},                      // two edits
        {{{"DL1ABC", 2, 100}, {"DL1ABE", 2, 100}}, ""},  // a tie
        {{{"DL1ABC", 2, 100}, {"DL1ABE", 3, 100}}, "DL1ABE"},
        {{{"DL1ABC", 4, 100}, {"DL1ABE", 3, 100}}, "DL1ABC"},
        {{{"DL1ABC", 4, 200}, {"DL1ABE", 2, 100}}, "DL1ABE"},  // the one heard then
        {{{"DL1BAD", 3, 100}}, "DL1BAD"},                      // two neighbours swapped
    };
    const char* const kLogs[] = {"RB2B", "RC3C", "RD4D", "RE5E"};
    for (const auto& c : cases) {
        std::vector<fixture::Log> logs = {{"RA1A", {{"DL1ABD", 100}}}};
        for (const char* call : kLogs)
            logs.push_back({call, {}});
        for (const Heard& heard : c.heard)
            for (int i = 0; i < heard.logs; ++i)
                logs[1 + i].lines.push_back(
                    {heard.call, heard.minute + 3 * i * (heard.minute > 100 ? 1 : -1), "", heard.bandMode});
        MatchTable table = fixture::correctedTable(fixture::logsOf(logs));
        indexByWorkedCall(table);
        const uint32_t likely = HeardCalls(table).likelyCallOf(table.lines[0]);
        EXPECT_EQ(likely == kNone ? "" : table.calls.text(likely), c.likely)
            << ::testing::PrintToString(c.heard.size()) << " " << (c.heard.empty() ? "" : c.heard[0].call) << " "
            << (c.heard.empty() ? 0 : c.heard[0].minute);
    }
}

TEST(HeardCalls, CountsEachOtherLogOnce)
{
    MatchTable table = fixture::correctedTable(fixture::logsOf({{"RA1A", {{"DL1ABC", 10}, {"DL1ABC", 50, "", "40M CW"}}},
                                                                {"RB2B", {{"DL1ABC", 20}, {"DL2XYZ", 30}}},
                                                                {"RC3C", {}}}));
    indexByWorkedCall(table);
    const HeardCalls heard(table);
    const uint32_t call = table.calls.find("DL1ABC");
    EXPECT_EQ(heard.logsHolding(call, 0), 1);
    EXPECT_EQ(heard.logsHolding(call, 1), 1);
    EXPECT_EQ(heard.logsHolding(call, 2), 2);
    const uint32_t heardOnce = table.calls.find("DL2XYZ");
    EXPECT_EQ(heard.logsHolding(heardOnce, 1), 0);
    EXPECT_EQ(heard.logsHolding(heardOnce, 0), 1);
}

}  // namespace
