#include "rules/reset.h"

#include <gtest/gtest.h>

#include "score/results.h"
#include "support/fake_platform.h"
#include "support/qso_builder.h"
#include "support/scratch_dir.h"

namespace {

class Reset : public ::testing::Test {
protected:
    void reset(int exportFlag = 0)
    {
        ResetArgs args;
        args.exportFlag = exportFlag;
        args.ownCallsign = "UA3XYZ";
        args.contestStart = utc(2015, 6, 14, 0, 0);
        args.contestEnd = utc(2015, 6, 15, 23, 59);
        args.ownCountryPrefix = "UA";
        run(args);
    }
    // The caller's lock is held again when the reset returns, however the
    // dialog and the panel went.
    void run(const ResetArgs& args)
    {
        std::unique_lock<std::mutex> entry(contest);
        resetContest(state, errors, cabrillo, platform, args, entry);
        EXPECT_TRUE(entry.owns_lock());
    }
    std::string start() { return platform.settings().read("Start"); }

    ScratchDir dir;
    std::mutex contest;
    ContestState state;
    ErrorLog errors{portableFileSystem()};
    CCabrilloLog cabrillo;
    FakePlatform platform;
};

TEST_F(Reset, TakesOverTheOperatorsDataAndForgetsEveryQso)
{
    addQso(state, errors, contestQso("K1ABC"));
    state.multipliers = {"K1ABC"};
    reset();
    EXPECT_EQ(state.startDateText, "14.06");
    EXPECT_EQ(state.endDateText, "15.06.2015");
    EXPECT_EQ(state.contestYearText, "2015");
    EXPECT_EQ(state.ownCallsign, "UA3XYZ");
    EXPECT_EQ(state.ownCountryPrefix, "UA");
    EXPECT_TRUE(state.log.empty());
    EXPECT_TRUE(state.bands.empty());
    // Left for the next results build to replace.
    EXPECT_EQ(state.multipliers, (std::vector<std::string>{"K1ABC"}));
    const BandTable expected = {{{"160m", "-", "-", "-"},
                                 {"80m", "-", "-", "-"},
                                 {"40m", "-", "-", "-"},
                                 {"20m", "-", "-", "-"},
                                 {"15m", "-", "-", "-"},
                                 {"10m", "-", "-", "-"}}};
    EXPECT_EQ(state.bandTable, expected);
}

TEST_F(Reset, StartsTheErrorLogAfreshWithItsHeader)
{
    writeFileBytes("err.txt", "old lines\r\n");
    reset();
    EXPECT_EQ(fileBytes("err.txt"), "ZEMRIX TEST UBN file \r\n");
}

TEST_F(Reset, NullDatesGiveEmptyTextsAndInvalidOnesSaySo)
{
    ResetArgs args;
    args.contestStart = OleDateTime::null();
    args.contestEnd = OleDateTime{0, OleDateTime::Invalid};
    run(args);
    EXPECT_EQ(state.startDateText, "");
    EXPECT_EQ(state.endDateText, "Invalid DateTime");
}

// The "Start" toggle over successive resets, with the panel opened and
// closed in between.
TEST_F(Reset, StartSettingTogglesTheModePanel)
{
    reset();
    EXPECT_EQ(platform.panelsShown, 1);
    EXPECT_EQ(start(), "1");
    reset();
    EXPECT_EQ(platform.panelsShown, 1);
    EXPECT_EQ(start(), "0");
    reset();
    EXPECT_EQ(platform.panelsShown, 1);
    EXPECT_EQ(start(), "0");
    platform.closeWindows();
    reset();
    EXPECT_EQ(platform.panelsShown, 2);
    EXPECT_EQ(start(), "1");
}

TEST_F(Reset, AnExportRunsTheHeaderDialogAndNeverOpensThePanel)
{
    platform.answerHeaderDialog = [](CabrilloHeader&) { return true; };
    reset(1);
    EXPECT_EQ(platform.headerDialogs, 1);
    EXPECT_EQ(platform.shownHeader.callsign, "UA3XYZ");
    EXPECT_EQ(state.exportFlag, 1);
    EXPECT_EQ(platform.panelsShown, 0);
    EXPECT_EQ(start(), "0");
}

TEST_F(Reset, CancellingTheHeaderDialogTurnsTheExportOff)
{
    reset(1);
    EXPECT_EQ(platform.headerDialogs, 1);
    EXPECT_EQ(state.exportFlag, 0);
    EXPECT_EQ(buildResults(state, cabrillo, platform).exportMessage, "");
}

TEST_F(Reset, ResultsRightAfterAResetHaveNoBandRows)
{
    addQso(state, errors, contestQso("K1ABC"));
    reset();
    EXPECT_EQ(buildResults(state, cabrillo, platform).text,
              "\tZEMRIX CONTEST 14.06-15.06.2015\r\n\t\tContestant: UA3XYZ \r\n\tQSOs\tPoints\tMult\tCW\tSSB\r\n"
              "Total\t 0\t 0\t 0\t 0\t 0\r\n\r\nScore: 0*0 = 0\r\n");
    EXPECT_EQ(platform.settings().read("Claimed"), "0");
}

}  // namespace
