#include "ui/multiplier_table.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/qso_builder.h"

namespace {

CInfo worked(const std::string& call, std::string_view band, std::string_view mode, OleDateTime time,
             const std::string& exchange = "12")
{
    CInfo qso;
    qso.workedCallsign = call;
    qso.band = band;
    qso.mode = mode;
    qso.time = time;
    qso.exchangeReceived = exchange;
    return qso;
}

BandRow row(const char* band, const char* cw, const char* ssb, const char* exchange)
{
    return {band, cw, ssb, exchange};
}

TEST(BandTable, LaterQsosOverwriteEarlierOnesAndOtherStationsAndBandsChangeNothing)
{
    QsoLog log;
    log.append(worked("DL1ABC", "20m", "CW", utc(2015, 6, 14, 12, 5), "11"));
    log.append(worked("DL1ABC", "20m", "CW", utc(2015, 6, 14, 12, 40), "22"));
    log.append(worked("DL1ABC", "80m", "SSB", utc(2015, 6, 14, 13, 7), "33"));
    log.append(worked("DL1ABC", "30m", "CW", utc(2015, 6, 14, 14, 0), "44"));
    log.append(worked("DL1ABC", "40m", "RTTY", utc(2015, 6, 14, 15, 0), "55"));
    log.append(worked("dl1abc", "160m", "CW", utc(2015, 6, 14, 16, 0), "66"));
    log.append(worked("K1ABC", "10m", "CW", utc(2015, 6, 14, 17, 0), "77"));
    CInfo dupe = worked("DL1ABC", "15m", "SSB", OleDateTime::null(), "88");
    dupe.isDuplicate = 1;
    log.append(dupe);

    BandTable table;
    fillBandTable(table, log, "DL1ABC");

    const BandTable expected = {
        row("160m", "   -", "   -", " -"),
        row("80m", "   -", "13:07", "33"),
        row("40m", "   -", "   -", "55"),
        row("20m", "12:40", "   -", "22"),
        row("15m", "   -", "", "88"),
        row("10m", "   -", "   -", " -"),
    };
    EXPECT_EQ(table, expected);
}

TEST(BandTable, AnEmptyCallsignClearsEveryRow)
{
    QsoLog log;
    log.append(worked("", "20m", "CW", utc(2015, 6, 14, 12, 5)));
    BandTable table;
    table[3] = row("20m", "09:00", "10:00", "99");
    fillBandTable(table, log, "");
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i], row(kTableBandNames[i], "   -", "   -", " -")) << i;
}

TEST(BandIndex, WholeMegahertzPickTheRow)
{
    const struct {
        double hz;
        int index;
    } cases[] = {
        {1830000, 0},  {3512000, 1},  {7000000, 2},  {7199999, 2},   {14250000, 3}, {21000000, 4},
        {28999999, 5}, {10120000, -1}, {29000000, -1}, {0, -1},       {-3500000, -1}, {999999, -1},
        {1e300, -1},   {-1e300, -1},  {NAN, -1},     {INFINITY, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bandIndexFromFrequency(c.hz), c.index) << c.hz;
}

TEST(MultiplierView, PartialCallsignsKeepTableTitleAndBandWhileOthersRefreshThem)
{
    ContestState state;
    state.contestYearText = "2015";
    state.log.append(worked("DL1ABC", "20m", "CW", utc(2015, 6, 14, 12, 5)));

    EXPECT_EQ(refreshMultiplierView(state, "DL1ABC", 14250000), "ZEMRIX 2015 worked with DL1ABC");
    EXPECT_EQ(state.currentBandIndex, 3);
    EXPECT_EQ(state.bandTable[3][1], "12:05");

    for (const char* partial : {"D", "DL"}) {
        EXPECT_EQ(refreshMultiplierView(state, partial, 7000000), "");
        EXPECT_EQ(state.enteredCallsign, partial);
        EXPECT_EQ(state.currentBandIndex, 3);
        EXPECT_EQ(state.bandTable[3][1], "12:05");
    }

    EXPECT_EQ(refreshMultiplierView(state, "", 10120000), "Mult");
    EXPECT_EQ(state.enteredCallsign, "");
    EXPECT_EQ(state.currentBandIndex, -1);
    EXPECT_EQ(state.bandTable[3][1], "   -");
}

TEST(GridLayout, ListEntriesFlowInEightyPixelCells)
{
    const std::vector<GridPoint> at = listFacePositions(6, 400);
    const int expected[][2] = {{5, 15}, {85, 15}, {165, 15}, {245, 15}, {5, 30}, {85, 30}};
    ASSERT_EQ(at.size(), 6u);
    for (std::size_t i = 0; i < at.size(); ++i) {
        EXPECT_EQ(at[i].x, expected[i][0]) << i;
        EXPECT_EQ(at[i].y, expected[i][1]) << i;
    }
}

// A line ends when the next cell would pass right - 80: a cell that ends
// exactly at the right edge still fits.
TEST(GridLayout, ALineHoldsTheCellsThatFitUpToTheRightEdge)
{
    const struct {
        int right;
        std::size_t perLine;
    } widths[] = {{84, 1}, {100, 1}, {164, 1}, {165, 2}, {404, 4}, {405, 5}, {406, 5}, {485, 6}};
    for (const auto& w : widths) {
        const std::vector<GridPoint> at = listFacePositions(2 * w.perLine + 1, w.right);
        for (std::size_t i = 0; i < at.size(); ++i) {
            EXPECT_EQ(at[i].x, 5 + 80 * static_cast<int>(i % w.perLine)) << w.right << " #" << i;
            EXPECT_EQ(at[i].y, 15 + 15 * static_cast<int>(i / w.perLine)) << w.right << " #" << i;
        }
    }
}

TEST(GridLayout, TableRowsShareASeventhOfTheHeight)
{
    EXPECT_EQ(tableLineHeight(140), 20);
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(tableRowTop(row, 140), 30 + 20 * row) << row;
    EXPECT_EQ(tableRowTop(3, 140), 90);
    EXPECT_EQ(highlightBottom(3, 140), 100);
    EXPECT_EQ(tableLineHeight(146), 20);
}

}  // namespace
