// The match table split again after logs were played again through the
// rules, against the table built anew from the same outcomes: random logs
// from fixed seeds, random outcomes turned.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "match_fixture.h"

namespace {

auto fieldsOf(const std::vector<MatchLine>& lines)
{
    std::vector<std::tuple<uint32_t, uint32_t, int, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, int64_t>> fields;
    for (const MatchLine& l : lines)
        fields.emplace_back(l.log, l.qso, l.fileLine, l.own, l.worked, l.bandMode, l.sentExchange,
                            l.receivedExchange, l.loggedMinute);
    return fields;
}

TEST(MatchTable, SplitAgainIsTheTableBuiltAnew)
{
    const char* const kCalls[] = {"RA1A", "RB2B", "RC3C", "UA9XYZ"};
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 random(seed);
        std::vector<fixture::Log> logs;
        for (const char* call : {"RA1A", "RB2B", "RC3C"}) {
            logs.push_back({call, {}});
            for (int n = random() % 8; n > 0; --n)
                logs.back().lines.push_back({kCalls[random() % 4], static_cast<int>(random() % 300), "",
                                             random() % 2 ? "80M CW" : "40M SSB", random() % 3 == 0});
        }
        std::vector<CheckedLog> checked = fixture::logsOf(logs);
        MatchTable table = matchTableOf(checked);
        for (CheckedLog& log : checked)
            for (JudgedQso& judged : log.log.qsos)
                if (random() % 3 == 0)
                    judged.outcome.earlierMatches = judged.duplicate() ? 0 : 2;
        splitByOutcomes(table, checked);
        const MatchTable anew = matchTableOf(checked);
        ASSERT_EQ(fieldsOf(table.lines), fieldsOf(anew.lines)) << "seed " << seed;
        ASSERT_EQ(fieldsOf(table.duplicates), fieldsOf(anew.duplicates)) << "seed " << seed;
        ASSERT_EQ(table.byPair, anew.byPair) << "seed " << seed;
        ASSERT_EQ(table.duplicatesByPair, anew.duplicatesByPair) << "seed " << seed;
    }
}

}  // namespace
