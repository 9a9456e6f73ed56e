#include "score/scoring.h"

#include <gtest/gtest.h>

#include <climits>

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
