// The HTML report and the progress line: what they count and how they show it.
#include <gtest/gtest.h>

#include <sstream>

#include "progress_line.h"
#include "report_html.h"

namespace {

LoggedQso qsoAt(const char* band, CivilTime time)
{
    LoggedQso qso;
    qso.band = band;
    qso.time = time;
    return qso;
}

std::string countsText(const std::vector<HourCounts>& hours)
{
    std::string text;
    for (const HourCounts& hour : hours) {
        text += formatCivilTime(hour.hour, "%d %H:%M");
        for (const auto& [band, count] : hour.byBand)
            text += " " + band + "=" + std::to_string(count);
        text += ";";
    }
    return text;
}

TEST(Report, CountsQsosPerClockHourAndBandWithEmptyHours)
{
    const std::vector<LoggedQso> qsos = {
        qsoAt("80m", {2025, 12, 20, 22, 0, 0}),  qsoAt("40m", {2025, 12, 20, 22, 59, 59}),
        qsoAt("80m", {2025, 12, 20, 22, 30, 0}), qsoAt("80m", {2025, 12, 21, 0, 5, 0}),
        qsoAt("80m", {2025, 12, 20, 23, 0, 0}),
    };
    EXPECT_EQ(countsText(qsosPerHour(qsos)), "20 22:00 40m=1 80m=2;20 23:00 80m=1;21 00:00 80m=1;");
    EXPECT_EQ(countsText(qsosPerHour({qsoAt("80m", {2025, 12, 20, 21, 0, 0}), qsoAt("80m", {2025, 12, 21, 1, 0, 0})})),
              "20 21:00 80m=1;20 22:00;20 23:00;21 00:00;21 01:00 80m=1;");
    EXPECT_TRUE(qsosPerHour({}).empty());
}

TEST(Report, GroupsErrLinesByReason)
{
    const std::string errText =
        "ZEMRIX TEST UBN file \r\n"
        "QSO:  3551  CW  2025-12-20 2019  RK3DZB  599  16  R3VE  579     NO RX NUMBER !!!\r\n"
        "QSO:  7142  SSB  2025-12-20 2043  RK3DZB  59  16  WB3LFG  59  66   DUPE !!!\r\n"
        "QSO:  3512  CW  2025-12-21 0136  RK3DZB  599  16  R1MS  579     NO RX NUMBER !!!\r\n";
    const std::vector<ErrorGroup> groups = errorGroups(errText);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].reason, "NO RX NUMBER !!!");
    EXPECT_EQ(groups[0].lines.size(), 2u);
    EXPECT_EQ(groups[0].lines[1], "QSO:  3512  CW  2025-12-21 0136  RK3DZB  599  16  R1MS  579     NO RX NUMBER !!!");
    EXPECT_EQ(groups[1].reason, "DUPE !!!");
}

TEST(Report, IsOneSelfContainedPage)
{
    ReportInput input;
    input.logFile = "<odd>&name.log";
    input.resultsText =
        "\tZEMRIX CONTEST 20.12-21.12.2025\r\n\t\tContestant: RK3DZB \r\n\tQSOs\tPoints\tMult\tCW\tSSB\r\n"
        "80m\t 3\t 9\t\t 2\t 1\r\n40m\t 1\t 4\t\t 0\t 1\r\nTotal\t 4\t 13\t 3\t 2\t 2\r\n\r\nScore: 13*3 = 39\r\n";
    input.errText = "ZEMRIX TEST UBN file \r\nQSO:  7142  SSB  2025-12-20 2043  RK3DZB  59  16  W<B  59  66   DUPE !!!\r\n";
    input.storedQsos = {qsoAt("80m", {2025, 12, 20, 21, 5, 0}), qsoAt("80m", {2025, 12, 20, 21, 6, 0})};
    input.cabrilloPath = "/tmp/RK3DZB.cbr";
    input.cabrilloText = "START-OF-LOG: 3.0\r\nCATEGORY-MODE: MIXED\r\nQSO:  3512 CW 2025-12-20 2105 RK3DZB\r\n";
    const std::string html = reportHtml(input);
    for (const char* expected : {
             "<title>ZEMRIX replay: &lt;odd&gt;&amp;name.log</title>",
             "<tr><th></th><th>QSOs</th><th>Points</th><th>Mult</th><th>CW</th><th>SSB</th></tr>",
             "<tr class=\"total\"><td>Total</td><td>4</td><td>13</td><td>3</td><td>2</td><td>2</td></tr>",
             "Score: 13*3 = 39",
             "<title>2025-12-20 21:00 UTC, 80m: 2 QSOs</title>",
             "CW 2 (50%)",
             "DUPE !!! <span class=\"count\">1</span>",
             "W&lt;B",
             "<tr><th>CATEGORY-MODE</th><td>MIXED</td></tr>",
         })
        EXPECT_NE(html.find(expected), std::string::npos) << expected;
    // Nothing from elsewhere: no scripts, no links, no files beside it.
    for (const char* absent : {"<script", "http:", "https:", "src=", "href=", "<link", "QSO:  3512 CW"})
        EXPECT_EQ(html.find(absent), std::string::npos) << absent;
}

TEST(ProgressLine, RedrawsAFewTimesASecondOnATerminalOnly)
{
    for (bool onTerminal : {true, false}) {
        std::ostringstream out;
        double now = 0.0;
        {
            ProgressLine progress(out, onTerminal, 1000, [&now] { return now; });
            for (const auto& [seconds, done] : {std::pair{0.1, 50}, {0.3, 300}, {0.4, 400}, {0.6, 1000}}) {
                now = seconds;
                progress.update(done);
            }
        }
        const std::string last = "Replaying: 1000 of 1000 QSOs, 1667 QSOs/s";
        EXPECT_EQ(out.str(), onTerminal ? "\rReplaying: 300 of 1000 QSOs, 1000 QSOs/s\r" + last + "\r" +
                                              std::string(last.size(), ' ') + "\r"
                                        : "");
    }
}

}  // namespace
