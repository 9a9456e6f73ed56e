#include "score/scoring.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <tuple>

#include "score/results.h"
#include "support/fake_platform.h"
#include "support/qso_builder.h"
#include "support/scratch_dir.h"
#include "support/worked_example.h"

namespace {

CInfo worked(const std::string& call, const std::string& prefix)
{
    CInfo r;
    r.workedCallsign = call;
    r.countryPrefix = prefix;
    return r;
}

TEST(Points, ClassesByCallsignAndCountry)
{
    const struct {
        const char* call;
        const char* prefix;
        int points;
    } cases[] = {
        {"QZ3ZBB", "DL", 5},    {"QZ3ZAA", "UA", 5},    {"QZ3ZAA/P", "UA", 1}, {"UA3RAB", "UA", 3},
        {"RA3RAB", "UA2", 3},   {"UA9ABC", "UA9", 1},   {"UA9RAB", "UA9", 1},  {"2RA2R", "UA", 1},
        {"2RAB", "UA", 1},      {"2R3RA", "UA", 3},     {"UA5RX", "UA9", 3},   {"UA3RAB", "DL", 1},
        {"UA3RAB", "UA3", 1},   {"ua3rab", "UA", 1},    {"", "UA", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pointsFor(worked(c.call, c.prefix)), c.points) << c.call << " " << c.prefix;
}

TEST(RowOrder, LongestWavelengthFirstAmongSameUnit)
{
    BandList bands{"40m", "6m", "80m", "2m", "70cm", "160m", "10m", "80M"};
    sortIntoRowOrder(bands);
    EXPECT_EQ(bands, (BandList{"70cm", "160m", "80m", "80M", "40m", "10m", "6m", "2m"}));
}

class Scoring : public ::testing::Test {
protected:
    void add(const std::string& call, const std::string& band, const std::string& mode, const std::string& prefix)
    {
        QsoFields qso = contestQso(call, band, mode);
        qso.countryPrefix = prefix;
        addQso(state, errors, qso);
    }

    ScratchDir dir;
    ContestState state;
    ErrorLog errors{portableFileSystem()};
};

TEST_F(Scoring, OneStationOnTwoBandsAndModesIsThreeQsosAndOneMultiplier)
{
    add("K1ABC", "40m", "CW", "K");
    add("K1ABC", "80m", "CW", "K");
    add("K1ABC", "80m", "SSB", "K");
    const ScoreSheet sheet = scoreLog(state);
    ASSERT_EQ(sheet.rows.size(), 2u);
    EXPECT_EQ(sheet.rows[0].band, "80m");
    // Credited to the first band in row order, not the first QSO.
    EXPECT_EQ(sheet.rows[0].newMultipliers, 1);
    EXPECT_EQ(sheet.rows[1].newMultipliers, 0);
    EXPECT_EQ(sheet.qsos, 3);
    EXPECT_EQ(sheet.points, 3);
    EXPECT_EQ(sheet.multipliers, 1);
    EXPECT_EQ(sheet.cw, 2);
    EXPECT_EQ(sheet.ssb, 1);
    EXPECT_EQ(sheet.claimedScore, 3);
    EXPECT_EQ(state.claimedScore, 3);
    EXPECT_EQ(state.bands, (BandList{"80m", "40m"}));
    EXPECT_EQ(state.multipliers, (std::vector<std::string>{"K1ABC"}));
}

TEST_F(Scoring, DuplicatesAndEmptyCallsignsCountForNothing)
{
    add("QZ3ZBB", "80m", "CW", "UA");
    add("QZ3ZBB", "80m", "CW", "UA");
    add("", "40m", "CW", "UA");
    const ScoreSheet sheet = scoreLog(state);
    EXPECT_EQ(sheet.rows[1].qsos, 0);
    EXPECT_EQ(sheet.qsos, 1);
    EXPECT_EQ(sheet.points, 5);
    EXPECT_EQ(sheet.multipliers, 1);
}

TEST_F(Scoring, ABandWhoseQsosWereRemovedKeepsAnEmptyRow)
{
    add("K1ABC", "40m", "CW", "K");
    removeQso(state, contestQso("K1ABC", "40m", "CW"));
    const ScoreSheet sheet = scoreLog(state);
    ASSERT_EQ(sheet.rows.size(), 1u);
    EXPECT_EQ(sheet.rows[0].qsos, 0);
    EXPECT_EQ(sheet.claimedScore, 0);
}

TEST_F(Scoring, AScoreBeyond32BitsIsHeldAtTheLimit)
{
    // Filled directly: the acceptance scan would make this test quadratic.
    state.bands = {"80m"};
    for (int i = 0; i < 46340; ++i) {
        CInfo record = worked("K" + std::to_string(i), "K");
        record.band = "80m";
        state.log.append(record);
    }
    EXPECT_EQ(scoreLog(state).claimedScore, 46340 * 46340);
    CInfo one = worked("K-extra", "K");
    one.band = "80m";
    state.log.append(one);
    const ScoreSheet sheet = scoreLog(state);
    EXPECT_EQ(sheet.points, 46341);
    EXPECT_EQ(sheet.multipliers, 46341);
    EXPECT_EQ(sheet.claimedScore, INT_MAX);
}

// The checker scores plain lists of records; the plug-in scores its log.
// Random logs of repeats, empty calls, duplicates, club and Russian
// stations over bands noted in any order must give both the same sheet.
TEST(ScoreRecords, GivesTheSheetOfTheSameRecordsInALog)
{
    std::mt19937 random(7);
    const char* const calls[] = {"QZ3ZBB", "UA3RAB", "RA3RAB", "DL1ABC", "K1ABC", "", "ua3rab", "2R3RA"};
    const char* const bands[] = {"80m", "40m", "160m", "80M", "2m"};
    const char* const modes[] = {"CW", "SSB", "RTTY"};
    const char* const prefixes[] = {"UA", "UA9", "DL", "K"};
    for (int round = 0; round < 200; ++round) {
        ContestState state;
        std::vector<CInfo> records;
        BandList noted;
        for (int i = 0, count = static_cast<int>(random() % 60); i < count; ++i) {
            CInfo record = worked(calls[random() % 8], prefixes[random() % 4]);
            record.band = bands[random() % 5];
            record.mode = modes[random() % 3];
            record.isDuplicate = random() % 5 == 0;
            noteBand(state.bands, std::string(record.band));
            noteBand(noted, std::string(record.band));
            state.log.append(record);
            records.push_back(record);
        }
        const ScoreSheet inLog = scoreLog(state), listed = scoreRecords(records, noted);
        ASSERT_EQ(listed.rows.size(), inLog.rows.size()) << round;
        for (std::size_t r = 0; r < inLog.rows.size(); ++r) {
            const BandScore &a = listed.rows[r], &b = inLog.rows[r];
            EXPECT_EQ(std::tie(a.band, a.qsos, a.points, a.newMultipliers, a.cw, a.ssb),
                      std::tie(b.band, b.qsos, b.points, b.newMultipliers, b.cw, b.ssb))
                << round << " " << b.band;
        }
        EXPECT_EQ(std::tie(listed.qsos, listed.points, listed.multipliers, listed.cw, listed.ssb, listed.claimedScore),
                  std::tie(inLog.qsos, inLog.points, inLog.multipliers, inLog.cw, inLog.ssb, inLog.claimedScore))
            << round;
    }
}

TEST_F(Scoring, ResultsTextForTheWorkedFigures)
{
    state.startDateText = "14.06";
    state.endDateText = "15.06.2015";
    state.ownCallsign = "UA3XYZ";
    for (const WorkedQso& q : kWorkedQsos)
        add(q.callsign, q.band, q.mode, q.countryPrefix);
    EXPECT_EQ(resultsText(state, scoreLog(state)), kWorkedResults);
}

TEST_F(Scoring, BuildingResultsRecordsTheClaimedScoreEveryTime)
{
    FakePlatform platform;
    CCabrilloLog cabrillo;
    add("K1ABC", "80m", "CW", "K");
    const Results first = buildResults(state, cabrillo, platform);
    platform.settings().write("Claimed", "junk");
    const Results second = buildResults(state, cabrillo, platform);
    EXPECT_EQ(second.text, first.text);
    EXPECT_EQ(platform.settings().read("Claimed"), "1");
    EXPECT_EQ(second.exportMessage, "");
}

}  // namespace
