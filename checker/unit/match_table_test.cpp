// The match table split again after logs were played again through the
// rules, against the table built anew from the same outcomes: random logs
// from fixed seeds, random outcomes turned.  The pair index against a scan
// of every line, and the index of the calls logged against a scan too.
#include <gtest/gtest.h>

#include <map>
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

// Texts numbered in the order first seen, against a map: short texts of
// few letters, so that most come again, past many growths of the table.
TEST(Numbering, GivesEachTextTheNumberItFirstGot)
{
    std::mt19937 random(3);
    Numbering numbering;
    std::map<std::string, uint32_t> seen;
    for (int i = 0; i < 20000; ++i) {
        std::string text(random() % 4, 'A');
        for (char& c : text)
            c = static_cast<char>('A' + random() % 7);
        const auto expected = seen.emplace(text, static_cast<uint32_t>(seen.size())).first->second;
        ASSERT_EQ(numbering(text), expected) << text;
        ASSERT_EQ(numbering.text(expected), text);
    }
    EXPECT_EQ(numbering.size(), seen.size());
    for (const auto& [text, id] : seen)
        EXPECT_EQ(numbering.find(text), id);
    EXPECT_EQ(numbering.find("never"), kNone);
    EXPECT_EQ(Numbering().find(""), kNone);
}

// Sizes around the points where the index grows, keys drawn from a small
// space so that many lines share one and probes run long; every key of the
// space is asked, held or not.
TEST(PairIndex, FindsTheLinesAScanFinds)
{
    for (const std::size_t size : {0, 1, 11, 12, 13, 24, 25, 1000, 3073}) {
        std::mt19937 random(static_cast<unsigned>(size));
        std::vector<MatchLine> lines(size);
        for (MatchLine& line : lines) {
            line.own = random() % 6;
            line.worked = random() % 6;
            line.bandMode = random() % 3 == 0 ? 4095 : random() % 2;
        }
        // Made for every line's pair, and grown from nothing.
        const PairIndex index(lines, size % 2 ? lines.size() : 0);
        for (uint32_t own = 0; own < 7; ++own)
            for (uint32_t worked = 0; worked < 7; ++worked)
                for (const uint32_t bandMode : {0u, 1u, 2u, 4095u}) {
                    std::vector<uint32_t> scanned;
                    for (uint32_t i = 0; i < lines.size(); ++i)
                        if (lines[i].own == own && lines[i].worked == worked && lines[i].bandMode == bandMode)
                            scanned.push_back(i);
                    const LineRange found = index.linesOf(own, worked, bandMode);
                    ASSERT_EQ(scanned, std::vector<uint32_t>(found.begin(), found.end()))
                        << size << " lines, " << own << " " << worked << " " << bandMode;
                }
    }
    EXPECT_EQ(PairIndex().linesOf(0, 0, 0).size(), 0u);
}

// Windows of every width around minutes shared by many lines, over a table
// that grows from its smallest size many times over.
TEST(WorkedIndex, VisitsTheLinesAScanFindsInTimeThenLineOrder)
{
    std::mt19937 random(7);
    std::vector<MatchLine> lines(3000);
    for (MatchLine& line : lines) {
        line.worked = random() % 40;
        line.bandMode = random() % 2;
        line.minute = static_cast<int64_t>(random() % 30) - 10;
    }
    const WorkedIndex index(lines);
    for (uint32_t call = 0; call < 41; ++call)
        for (int64_t first = -12; first <= 21; first += 3)
            for (const int64_t width : {0, 1, 7}) {
                std::vector<std::pair<int64_t, uint32_t>> scanned;
                for (uint32_t i = 0; i < lines.size(); ++i)
                    if (lines[i].worked == call && lines[i].bandMode == 1 && lines[i].minute >= first &&
                        lines[i].minute <= first + width)
                        scanned.push_back({lines[i].minute, i});
                std::sort(scanned.begin(), scanned.end());
                std::vector<std::pair<int64_t, uint32_t>> visited;
                index.forEach(call, 1, first, first + width, [&](uint32_t i) { visited.push_back({lines[i].minute, i}); });
                ASSERT_EQ(scanned, visited) << call << " " << first << " " << width;
            }
    WorkedIndex().forEach(0, 0, 0, 0, [](uint32_t) { FAIL(); });
}

}  // namespace
