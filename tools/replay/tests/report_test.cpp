// What became of each QSO, the HTML report and the progress line: what they
// count and how they show it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "log_summary.h"
#include "logfile/log_file.h"
#include "replay_progress.h"
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

// The QSOs of one small log, each with what the rules make of it.
struct Outcome {
    LoggedQso qso;
    std::string expected;  // "counted", "rejected REASON" or "repeats line N"
};

LoggedQso qso(int line, const char* call, const char* band, const char* mode, int minute, const char* received = "16")
{
    LoggedQso q = qsoAt(band, {2025, 12, 20, 20, minute, 0});
    q.line = line;
    q.ownCallsign = "RK3DZB";
    q.workedCallsign = call;
    q.mode = mode;
    q.exchangeSent = "16";
    q.exchangeReceived = received;
    return q;
}

const std::vector<Outcome> kOutcomes = {
    {qso(3, "R3VE", "80m", "CW", 0), "counted"},
    {qso(4, "R3VE", "80m", "CW", 10), "repeats line 3"},
    // A third time: err.txt has two more lines for it, the summary one QSO.
    {qso(5, "R3VE", "80m", "CW", 20), "repeats line 3"},
    {qso(6, "R3VE", "80m", "SSB", 21), "counted"},
    {qso(7, "R3VE", "40m", "CW", 22), "counted"},
    {qso(8, "UA3RW", "20m", "CW", 23), "rejected NO CONTEST BAND !!!"},
    {qso(9, "UA3RW", "20m", "CW", 24), "rejected NO CONTEST BAND !!!"},
    {qso(10, "UA3RW", "60m", "CW", 25), "counted"},
    {qso(11, "R1FZ", "80m", "RTTY", 26), "rejected NO TEST MODE !!!"},
    {qso(12, "R1MS", "40m", "CW", 27, ""), "rejected NO RX NUMBER !!!"},
    {qso(13, "QZ3ZBB", "2m", "SSB", 28), "counted"},
};

LogSummary summaryOf(const std::vector<Outcome>& outcomes, ContestLog log = {})
{
    std::vector<LoggedQso> checked;
    for (const Outcome& outcome : outcomes)
        checked.push_back(outcome.qso);
    log.qsos = checked;
    return summarizeLog(log, checked, std::vector<std::string>(checked.size(), "UA"));
}

TEST(LogSummary, SortsEveryQsoByTheRulesAndListsEachDuplicateOnce)
{
    const LogSummary summary = summaryOf(kOutcomes);
    std::map<int, std::string> found;
    for (const LoggedQso& q : summary.counted)
        found[q.line] += "counted";
    for (const RejectedQso& q : summary.rejected)
        found[q.qso.line] += "rejected " + q.reason;
    for (const DuplicateQso& q : summary.duplicates)
        found[q.qso.line] += "repeats line " + std::to_string(q.earlier.line);
    for (const Outcome& outcome : kOutcomes)
        EXPECT_EQ(found[outcome.qso.line], outcome.expected) << "line " << outcome.qso.line;
    EXPECT_EQ(summary.multipliers, (std::vector<std::string>{"QZ3ZBB", "R3VE", "UA3RW"}));
}

TEST(LogSummary, FiguresAddUpToTheQsosInTheFile)
{
    ContestLog log;
    log.skipped = {{"test.log", 14, {MessageId::TimeNotHhmm, {"time", "21:06"}}},
                   {"test.log", 15, {MessageId::QsoLineFields, {"7"}}}};
    log.excludedQsos = 1;
    const LogSummary summary = summaryOf(kOutcomes, log);
    std::ostringstream english, russian;
    printLogSummary(summary, Language::English, english);
    printLogSummary(summary, Language::Russian, russian);
    EXPECT_EQ(english.str(),
              "QSOs in the file: 14\n  not read: 2\n  left out by the log itself (X-QSO): 1\n"
              "  rejected by the rules: 4\n  duplicates: 2\n  counted in the score: 5\n");
    EXPECT_EQ(russian.str(),
              "QSO в файле: 14\n  не прочитаны: 2\n  исключены самим журналом (X-QSO): 1\n"
              "  отклонены правилами: 4\n  повторы: 2\n  засчитаны: 5\n");
    // QSOs read but not checked still count in the file, under a row of their own.
    log.qsos.resize(1);
    const auto figures = summaryFigures(summarizeLog(log, {}, {}), Language::English);
    EXPECT_EQ(figures.front().second, 4u);
    EXPECT_EQ(figures.at(3), (std::pair<std::string, std::size_t>{"left out of the check", 1}));
}

// The sample log against the results and err.txt Stats.dll gave for it.
TEST(LogSummary, AgreesWithTheDllOnTheSampleLog)
{
    const ContestLog log = readContestLogFile(REPLAY_SAMPLE_DIR "/zemrix-sample.log");
    const LogSummary summary = summarizeLog(log, log.qsos, {});
    EXPECT_EQ(summary.counted.size(), 294u);
    EXPECT_EQ(summary.multipliers.size(), 188u);
    std::ifstream err(REPLAY_SAMPLE_DIR "/expected-err.txt");
    std::set<std::string> dupeLines;
    std::size_t rejectLines = 0;
    for (std::string line; std::getline(err, line);) {
        if (line.find("DUPE !!!") != std::string::npos)
            dupeLines.insert(line);
        else
            rejectLines += line.rfind("QSO:", 0) == 0;
    }
    EXPECT_EQ(summary.rejected.size(), rejectLines);
    EXPECT_EQ(summary.duplicates.size(), dupeLines.size());
}

TEST(Report, FindsTheBestRate)
{
    const struct {
        std::vector<int> seconds;  // from 20:00:00
        int minutes;
        std::size_t qsos;
        const char* from;
    } cases[] = {
        {{}, 60, 0, ""},
        {{600}, 10, 1, "20:10:00"},
        {{0, 3599}, 60, 2, "20:00:00"},
        {{0, 3600}, 60, 1, "20:00:00"},
        {{3000, 0, 500, 2999, 3001}, 10, 3, "20:49:59"},
        {{0, 100, 1000, 1100}, 10, 2, "20:00:00"},
        {{13000, 14000, 14500}, 60, 3, "23:36:40"},
    };
    for (const auto& c : cases) {
        std::vector<LoggedQso> qsos;
        for (int second : c.seconds) {
            const auto time = civilTimeFromOleDate(oleDateFromCivilTime({2025, 12, 20, 20, 0, 0}) + second / 86400.0);
            qsos.push_back(qsoAt("80m", *time));
        }
        const BestRate best = bestRate(qsos, c.minutes);
        EXPECT_EQ(best.qsos, c.qsos) << c.minutes << " min, case from " << c.from;
        if (best.qsos > 0)
            EXPECT_EQ(formatCivilTime(best.from, "%H:%M:%S"), c.from);
    }
}

// The fill of the hour chart's bar whose tooltip names the band.
std::string fillOfBand(const std::string& html, const std::string& band)
{
    const auto title = html.find(", " + band + ": ");
    if (title == std::string::npos)
        return "";
    return html.substr(html.rfind("fill=\"", title) + 6, 7);
}

TEST(Report, GivesEachBandTheSameColourWhateverElseTheLogHolds)
{
    std::set<std::string> colours;
    for (const std::vector<const char*>& bands : {std::vector<const char*>{"40m"}, {"80m", "40m"}, {"60m", "40m"}}) {
        ReportInput input;
        for (const char* band : bands)
            input.summary.counted.push_back(qso(1, "R3VE", band, "CW", 0));
        colours.insert(fillOfBand(reportHtml(input), "40m"));
    }
    EXPECT_EQ(colours, (std::set<std::string>{"#e08a1e"}));
}

TEST(Report, IsOneSelfContainedPageOpeningWithTheSummary)
{
    ReportInput input;
    input.ownCallsign = "RK3DZB";
    input.logFile = "<odd>&name.log";
    input.resultsText =
        "\tZEMRIX CONTEST 20.12-21.12.2025\r\n\t\tContestant: RK3DZB \r\n\tQSOs\tPoints\tMult\tCW\tSSB\r\n"
        "80m\t 3\t 9\t\t 2\t 1\r\n40m\t 1\t 4\t\t 0\t 1\r\nTotal\t 4\t 13\t 3\t 2\t 2\r\n\r\nScore: 13*3 = 39\r\n";
    ContestLog log;
    log.skipped = {{"n.log", 17, {MessageId::TimeNotHhmm, {"time", "21:06"}}}};
    input.summary = summaryOf(kOutcomes, log);
    input.cabrilloPath = "/tmp/RK3DZB.cbr";
    input.cabrilloText = "START-OF-LOG: 3.0\r\nCATEGORY-MODE: MIXED\r\nQSO:  3512 CW 2025-12-20 2105 RK3DZB\r\n";
    const struct {
        Language language;
        std::vector<const char*> inOrder;  // each after the one before
    } pages[] = {
        {Language::English,
         {"<title>ZEMRIX log check: RK3DZB</title>",
          "<h2>Summary</h2>",
          "<th>QSOs in the file</th><td>12</td>",
          "<th>not read</th><td>1</td>",
          "<th>duplicates</th><td>2</td>",
          "<th>counted in the score</th><td>5</td>",
          "<tr><td>17</td><td>time &quot;21:06&quot; is not HHMM</td></tr>",
          "<tr><th></th><th>QSOs</th><th>Points</th><th>Mult</th><th>CW</th><th>SSB</th></tr>",
          "<tr class=\"total\"><td>Total</td><td>4</td><td>13</td><td>3</td><td>2</td><td>2</td></tr>",
          "Score: 13*3 = 39",
          "2025-12-20 20:00 UTC, 80m: 2 QSO",
          "class=\"value\" text-anchor=\"middle\">5</text>",
          "Best rate: <b>5 QSO</b> in 60 minutes from 2025-12-20 20:00 UTC; <b>4 QSO</b> in 10 minutes from "
          "2025-12-20 20:21 UTC (24 an hour)",
          "fill=\"#0f766e\"><title>80m CW: 1 QSO",
          "NO CONTEST BAND !!! <span class=\"count\">2</span>",
          "on 160m, 30m, 20m, 17m, 15m, 12m and 10m. Every other band counts",
          "NO TEST MODE !!!",
          "NO RX NUMBER !!!",
          "DUPE !!! <span class=\"count\">2</span>",
          "<td>5</td><td>2025-12-20 20:20</td><td>80m</td><td>CW</td><td>R3VE</td><td>16</td><td>16</td>"
          "<td>2025-12-20 20:00 80m, line 3</td>",
          "<h2>Multipliers <span class=\"count\">3</span>",
          "<span>QZ3ZBB</span> <span>R3VE</span> <span>UA3RW</span>",
          "<tr><th>CATEGORY-MODE</th><td>MIXED</td></tr>"}},
        {Language::Russian,
         {"<html lang=\"ru\">", "<title>Проверка журнала ZEMRIX: RK3DZB</title>", "<h2>Сводка</h2>",
          "<th>повторы</th><td>2</td>",
          "<tr><td>17</td><td>time &quot;21:06&quot; не в виде ЧЧММ</td></tr>", "<th>Очки</th><th>Множ.</th>", "<td>Итого</td>", "Итог: 13*3 = 39",
          "Лучший темп: <b>5 QSO</b> за 60 минут с 2025-12-20 20:00 UTC", "на 160m, 30m, 20m, 17m, 15m, 12m и 10m.",
          "<td>2025-12-20 20:00 80m, строка 3</td>", "<h2>Множители"}},
    };
    for (const auto& page : pages) {
        input.language = page.language;
        const std::string html = reportHtml(input);
        std::size_t at = 0;
        for (const char* expected : page.inOrder) {
            const auto found = html.find(expected, at);
            EXPECT_NE(found, std::string::npos) << expected;
            at = found == std::string::npos ? at : found;
        }
        EXPECT_NE(html.find("&lt;odd&gt;&amp;name.log"), std::string::npos);
        // Nothing from elsewhere: no scripts, no links, no files beside it.
        for (const char* absent : {"<script", "http:", "https:", "src=", "href=", "<link", "QSO:  3512 CW"})
            EXPECT_EQ(html.find(absent), std::string::npos) << absent;
    }
}

TEST(ReplayProgress, RedrawsAFewTimesASecondOnATerminalOnly)
{
    for (bool onTerminal : {true, false}) {
        std::ostringstream out;
        double now = 0.0;
        {
            ProgressLine progress(out, onTerminal, [&now] { return now; }, replayProgressText(1000, Language::English));
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
