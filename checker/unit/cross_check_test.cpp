// The cross-check on small contests written here, one behaviour per test:
// clocks, the tolerance, miscopied calls, the score, files that are no log.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "checker/cross_check.h"

namespace {

const CountryPrefixes& countries()
{
    static const CountryPrefixes prefixes = CountryPrefixes::load(SYSTEM_CTY_DAT);
    return prefixes;
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Each station sends its own number: RA1A 11, RB2B 22, ...
std::string exchangeOf(const std::string& call) { return std::string(2, call[2]); }

struct Qso {
    std::string worked;
    int minute;  // after 20:00 on 2025-12-20
    std::string band = "3510 CW";
    std::string received;  // empty: what `worked` sends
};

std::string qsoLine(const std::string& own, const Qso& qso)
{
    const int minute = 20 * 60 + qso.minute;
    char time[16];
    std::snprintf(time, sizeof time, "%02d%02d", (minute / 60) % 24, minute % 60);
    const std::string day = minute >= 24 * 60 ? "2025-12-21" : "2025-12-20";
    return "QSO: " + qso.band + " " + day + " " + time + " " + own + " 599 " + exchangeOf(own) + " " + qso.worked +
           " 599 " + (qso.received.empty() ? exchangeOf(qso.worked) : qso.received) + "\n";
}

LogInput logOf(const std::string& own, const std::vector<Qso>& qsos, const std::string& fileName = "")
{
    std::string text = "START-OF-LOG: 3.0\nCONTEST: ZEMRIX\nCALLSIGN: " + own + "\n";
    for (const Qso& qso : qsos)
        text += qsoLine(own, qso);
    return {fileName.empty() ? own + ".log" : fileName, text + "END-OF-LOG:\n"};
}

const CheckedLog& logNamed(const CrossCheck& check, const std::string& fileName)
{
    for (const CheckedLog& log : check.logs)
        if (log.log.fileName == fileName)
            return log;
    throw std::runtime_error("no log " + fileName);
}

std::vector<std::string> statusesOf(const CrossCheck& check, const std::string& fileName)
{
    std::vector<std::string> statuses;
    for (const QsoVerdict& verdict : logNamed(check, fileName).verdicts)
        statuses.push_back(qsoStatusName(verdict.status));
    return statuses;
}

const std::vector<std::string> kCalls = {"RA1A", "RB2B", "RC3C", "RD4D", "RE5E"};

// Everybody works everybody once; `shifted` logs every time `offset`
// minutes late.
std::vector<LogInput> roundRobin(const std::string& shifted, int offset)
{
    std::vector<LogInput> logs;
    for (std::size_t a = 0; a < kCalls.size(); ++a) {
        std::vector<Qso> qsos;
        for (std::size_t b = 0; b < kCalls.size(); ++b)
            if (a != b)
                qsos.push_back({kCalls[b], static_cast<int>(10 * (a + b) + 3 * std::min(a, b)) +
                                               (kCalls[a] == shifted ? offset : 0)});
        logs.push_back(logOf(kCalls[a], qsos));
    }
    return logs;
}

TEST(CrossCheck, AClockOffByMinutesOrWholeHoursIsFoundAndCorrected)
{
    for (int offset : {0, 3, 60, -120, 180}) {
        const CrossCheck check = crossCheck(roundRobin("RC3C", offset), {}, countries());
        for (const std::string& call : kCalls) {
            const CheckedLog& log = logNamed(check, call + ".log");
            EXPECT_EQ(log.score.clockOffsetMinutes, call == "RC3C" ? offset : 0) << call << " offset " << offset;
            EXPECT_EQ(log.score.statusCounts[static_cast<std::size_t>(QsoStatus::Ok)], 4) << call;
        }
    }
}

TEST(CrossCheck, TheSidesOfAQsoMatchWithinTheToleranceOnly)
{
    const struct {
        int otherSideMinute;
        const char* status;
    } cases[] = {{0, "OK"}, {5, "OK"}, {-5, "OK"}, {6, "NIL"}, {-6, "NIL"}};
    for (const auto& c : cases) {
        const CrossCheck check = crossCheck(
            {logOf("RA1A", {{"RB2B", 30}}), logOf("RB2B", {{"RA1A", 30 + c.otherSideMinute}})}, {}, countries());
        EXPECT_EQ(statusesOf(check, "RA1A.log"), std::vector<std::string>{c.status}) << c.otherSideMinute;
        EXPECT_EQ(statusesOf(check, "RB2B.log"), std::vector<std::string>{c.status}) << c.otherSideMinute;
    }
}

TEST(CrossCheck, AMiscopiedCallIsBustedAndTheOtherSideKeepsItsCredit)
{
    const struct {
        const char* copied;
        const char* copierStatus;
        const char* correctCall;
        const char* otherStatus;
    } cases[] = {
        {"RB2C", "BUSTED_CALL", "RB2B", "OK"},   // a character changed
        {"RB2", "BUSTED_CALL", "RB2B", "OK"},    // dropped
        {"RB2BB", "BUSTED_CALL", "RB2B", "OK"},  // added
        {"BR2B", "BUSTED_CALL", "RB2B", "OK"},   // two neighbours swapped
        {"RX2C", "UNIQUE", "", "NIL"},           // two changes: nothing ties them
        {"RC3C", "NIL", "", "NIL"},              // a station that sent a log, without the QSO
    };
    for (const auto& c : cases) {
        const CrossCheck check = crossCheck({logOf("RA1A", {{c.copied, 30}}), logOf("RB2B", {{"RA1A", 31}}),
                                             logOf("RC3C", {{"RD4D", 50}})},
                                            {}, countries());
        const QsoVerdict& copier = logNamed(check, "RA1A.log").verdicts.at(0);
        EXPECT_STREQ(qsoStatusName(copier.status), c.copierStatus) << c.copied;
        EXPECT_EQ(copier.correctCall, c.correctCall) << c.copied;
        EXPECT_EQ(statusesOf(check, "RB2B.log"), std::vector<std::string>{c.otherStatus}) << c.copied;
    }
}

TEST(CrossCheck, ACallWithoutALogIsJudgedByWhatTheOthersCopied)
{
    // DL1ABC sends 77; three logs agree, one copied 78.
    std::vector<LogInput> logs;
    for (const std::string& call : {"RA1A", "RB2B", "RC3C"})
        logs.push_back(logOf(call, {{"DL1ABC", 10, "3510 CW", "77"}}));
    logs.push_back(logOf("RD4D", {{"DL1ABC", 12, "3510 CW", "78"}, {"F5XYZ", 20}}));
    const CrossCheck check = crossCheck(logs, {}, countries());
    EXPECT_EQ(statusesOf(check, "RA1A.log"), std::vector<std::string>{"NO_LOG"});
    EXPECT_EQ(statusesOf(check, "RD4D.log"), (std::vector<std::string>{"BUSTED_EXCH", "UNIQUE"}));
    EXPECT_EQ(logNamed(check, "RD4D.log").verdicts[0].correctExchange, "77");
}

TEST(CrossCheck, TheVerifiedScoreCountsUniquesAsToldAndTakesOffPenalties)
{
    // RA1A: two QSOs confirmed, one NIL, one unique call; every QSO 1 point.
    const std::vector<LogInput> logs = {
        logOf("RA1A", {{"RB2B", 10}, {"RC3C", 20}, {"RD4D", 30}, {"F5XYZ", 40}}),
        logOf("RB2B", {{"RA1A", 10}}), logOf("RC3C", {{"RA1A", 20}}), logOf("RD4D", {{"RE5E", 50}})};
    const struct {
        bool countUniques;
        int nilPenalty;
        int64_t score;
    } cases[] = {{true, 0, 3 * 3}, {false, 0, 2 * 2}, {true, 2, 1 * 3}, {false, 5, 0}};
    for (const auto& c : cases) {
        ContestConfig config;
        config.countUniques = c.countUniques;
        config.nilPenalty = c.nilPenalty;
        const CrossCheck check = crossCheck(logs, config, countries());
        EXPECT_EQ(logNamed(check, "RA1A.log").score.verifiedScore, c.score)
            << c.countUniques << " " << c.nilPenalty;
    }
}

TEST(CrossCheck, OfTwoLogsFromOneCallTheLaterFileIsChecked)
{
    const CrossCheck check = crossCheck(
        {logOf("RB2B", {{"RA1A", 10}}, "first.log"), logOf("RA1A", {{"RB2B", 10}}),
         logOf("RB2B", {{"RA1A", 10}, {"RC3C", 20}}, "second.log")},
        {}, countries());
    EXPECT_EQ(logNamed(check, "first.log").log.state, LogState::Superseded);
    EXPECT_NE(logNamed(check, "first.log").log.stateReason.find("second.log"), std::string::npos);
    EXPECT_EQ(statusesOf(check, "second.log"), (std::vector<std::string>{"OK", "UNIQUE"}));
}

TEST(CrossCheck, OutOfPeriodComesAfterTheClockIsCorrected)
{
    ContestConfig config = readContestConfig("start = 2025-12-20 20:00\nend = 2025-12-20 22:00\n", "c.ini");
    // RC3C's clock is an hour late: its last QSO, logged 22:06, was 21:06.
    std::vector<LogInput> logs = roundRobin("RC3C", 60);
    logs.push_back(logOf("RF6F", {{"RA1A", 120}, {"RB2B", -1}}));
    const CrossCheck check = crossCheck(logs, config, countries());
    EXPECT_EQ(logNamed(check, "RC3C.log").score.statusCounts[static_cast<std::size_t>(QsoStatus::OutOfPeriod)], 0);
    EXPECT_EQ(statusesOf(check, "RF6F.log"), (std::vector<std::string>{"OUT_OF_PERIOD", "OUT_OF_PERIOD"}));
}

// Whatever a file holds, the check runs, and every QSO line of every log it
// checks gets exactly one status.
TEST(CrossCheck, DamagedFilesNeverStopTheCheck)
{
    std::vector<LogInput> good = roundRobin("RC3C", 60);
    std::mt19937 random(20251220);
    for (int round = 0; round < 200; ++round) {
        std::vector<LogInput> logs = good;
        for (LogInput& log : logs) {
            const int damage = std::uniform_int_distribution<int>(0, 8)(random);
            for (int i = 0; i < damage && !log.bytes.empty(); ++i) {
                const std::size_t at = std::uniform_int_distribution<std::size_t>(0, log.bytes.size() - 1)(random);
                const auto byte = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
                if (i % 3 == 0)
                    log.bytes.erase(at, std::uniform_int_distribution<std::size_t>(1, 40)(random));
                else
                    log.bytes[at] = byte;
            }
        }
        logs.push_back({"empty.log", ""});
        logs.push_back({"binary.bin", std::string("\0\1\2\3\xff\xfe", 6)});
        const CrossCheck check = crossCheck(logs, {}, countries());
        for (const CheckedLog& log : check.logs)
            if (log.log.state == LogState::Checked)
                ASSERT_EQ(log.verdicts.size(), log.log.qsos.size()) << "round " << round;
        ASSERT_FALSE(qsosCsv(check).empty());
        ASSERT_FALSE(resultsHtml(check).empty());
    }
}

TEST(Precheck, GivesTheResultsTextAndErrTxtOfTheSampleLog)
{
    const LogCheck log =
        precheckLog(fileText(REPLAY_SAMPLE_DIR "/zemrix-sample.log"), "zemrix-sample.log", countries());
    EXPECT_EQ(log.state, LogState::Checked);
    EXPECT_EQ(log.resultsText, fileText(REPLAY_SAMPLE_DIR "/expected-results.txt"));
    EXPECT_EQ(log.errorLogText, fileText(REPLAY_SAMPLE_DIR "/expected-err.txt"));
}

TEST(Precheck, SaysWhatIsWrongWithTheHeader)
{
    const struct {
        const char* header;
        LogState state;
        const char* problem;
    } cases[] = {
        {"CONTEST: ZEMRIX\nCALLSIGN: RA1A\nCATEGORY-POWER: HUGE\n", LogState::Checked,
         "unknown CATEGORY-POWER \"HUGE\""},
        {"CONTEST: ZEMRIX\nCALLSIGN: RA1A\nCLAIMED-SCORE: lots\n", LogState::Checked,
         "CLAIMED-SCORE \"lots\" is not a whole number"},
        {"CONTEST: ZEMRIX\n", LogState::NoCallsign, "no CALLSIGN: line"},
        {"CONTEST: CQ-WW-CW\nCALLSIGN: RA1A\n", LogState::OtherContest, ""},
    };
    for (const auto& c : cases) {
        const LogCheck log = precheckLog(std::string("START-OF-LOG: 3.0\n") + c.header + qsoLine("RA1A", {"RB2B", 1}),
                                         "a.log", countries());
        EXPECT_EQ(log.state, c.state) << c.header;
        if (*c.problem)
            EXPECT_EQ(log.headerProblems, std::vector<std::string>{c.problem}) << c.header;
    }
}

}  // namespace
