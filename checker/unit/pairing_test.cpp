// Pairing: the nearest free line within the tolerance, whether both calls
// were copied right, the other side holds a duplicate, or a call was
// miscopied on one side or both.
#include <gtest/gtest.h>

#include "checker/pairing.h"
#include "checker/unit/match_fixture.h"

namespace {

struct Pairs {
    MatchTable table;
    // The partner's log call and minute of line `i`, or "-".
    std::string of(std::size_t i) const
    {
        const MatchLine& line = table.lines.at(i);
        if (line.partner == kNone)
            return "-";
        const MatchLine& partner = (line.partnerIsDuplicate ? table.duplicates : table.lines)[line.partner];
        return table.calls.text(partner.own) + "@" + std::to_string(partner.loggedMinute % 60) +
               (line.miscopiedCall ? " busted" : "") + (line.partnerIsDuplicate ? " dupe" : "");
    }
};

Pairs paired(const std::vector<fixture::Log>& logs, int tolerance = 5)
{
    Pairs pairs{fixture::correctedTable(fixture::logsOf(logs))};
    pairLines(pairs.table, tolerance);
    return pairs;
}

TEST(Pairing, TheSidesMeetWithinTheToleranceOnly)
{
    const struct {
        std::string copied;  // RA1A's line for RB2B, at minute 30
        int otherSide;       // RB2B's minute
        const char* partner;
    } cases[] = {
        {"RB2B", 35, "RB2B@35"}, {"RB2B", 25, "RB2B@25"},        {"RB2B", 36, "-"},
        {"RB2B", 24, "-"},       {"RB2C", 35, "RB2B@35 busted"}, {"RB2C", 25, "RB2B@25 busted"},
        {"RB2C", 36, "-"},       {"BR2B", 30, "RB2B@30 busted"}, {"RBB2", 30, "RB2B@30 busted"},
    };
    for (const auto& c : cases) {
        const Pairs pairs = paired({{"RA1A", {{c.copied, 30}}}, {"RB2B", {{"RA1A", c.otherSide}}}});
        EXPECT_EQ(pairs.of(0), c.partner) << c.copied << " " << c.otherSide;
    }
}

TEST(Pairing, TheNearestFreeLineWinsAndTheFirstOnATie)
{
    // RB2B logged RA1A three times on one band; RA1A twice.
    const Pairs pairs =
        paired({{"RA1A", {{"RB2B", 30}, {"RB2B", 34}}}, {"RB2B", {{"RA1A", 27}, {"RA1A", 33}, {"RA1A", 35}}}});
    EXPECT_EQ(pairs.of(0), "RB2B@27");
    EXPECT_EQ(pairs.of(1), "RB2B@33");
    EXPECT_EQ(pairs.of(4), "-");
    // Two at the same distance: the first in the log.
    const Pairs tie = paired({{"RA1A", {{"RB2B", 30}}}, {"RB2B", {{"RA1A", 28}, {"RA1A", 32}}}});
    EXPECT_EQ(tie.of(0), "RB2B@28");
}

TEST(Pairing, ALineTheOtherLogHoldsAsADuplicateIsPairedWithIt)
{
    for (const auto& [minute, partner] : std::vector<std::pair<int, std::string>>{{55, "RB2B@55 dupe"}, {56, "-"}}) {
        const Pairs pairs = paired(
            {{"RA1A", {{"RB2C", 10}, {"RB2B", 50}}}, {"RB2B", {{"RA1A", 10}, {"RA1A", minute, "", "80M CW", true}}}});
        EXPECT_EQ(pairs.of(0), "RB2B@10 busted") << minute;
        EXPECT_EQ(pairs.of(1), partner) << minute;
    }
}

TEST(Pairing, BothSidesMiscopiedArePairedUnlessACallSentALog)
{
    const struct {
        const char* copied;
        const char* copiedBack;
        const char* partner;
    } cases[] = {
        {"RB2C", "RA1B", "RB2B@31 busted"},
        {"RB2", "RAA1A", "RB2B@31 busted"},
        {"RC3C", "RA1B", "-"},  // RC3C sent a log: the line is its to confirm
        {"RB2C", "RA1C", "RB2B@31 busted"},
        {"RX2C", "RA1B", "-"},  // two edits
    };
    for (const auto& c : cases) {
        const Pairs pairs = paired({{"RA1A", {{c.copied, 30}}}, {"RB2B", {{c.copiedBack, 31}}}, {"RC3C", {}}});
        EXPECT_EQ(pairs.of(0), c.partner) << c.copied << " " << c.copiedBack;
    }
}

TEST(Pairing, TheToleranceIsTheConfiguredOne)
{
    for (int tolerance : {0, 1, 10}) {
        const Pairs pairs = paired({{"RA1A", {{"RB2B", 30}, {"RC3D", 30}}},
                                    {"RB2B", {{"RA1A", 30 + tolerance}}},
                                    {"RC3C", {{"RA1A", 30 - tolerance}}}},
                                   tolerance);
        EXPECT_EQ(pairs.of(0), "RB2B@" + std::to_string(30 + tolerance)) << tolerance;
        EXPECT_EQ(pairs.of(1), "RC3C@" + std::to_string(30 - tolerance) + " busted") << tolerance;
        const Pairs past = paired({{"RA1A", {{"RB2B", 30}}}, {"RB2B", {{"RA1A", 31 + tolerance}}}}, tolerance);
        EXPECT_EQ(past.of(0), "-") << tolerance;
    }
}

}  // namespace
