// The cross-check on small contests written here, one behaviour per test:
// clocks, the tolerance, miscopied calls, the score, files that are no log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

#include "checker/cross_check.h"
#include "checker/participant_report.h"
#include "checker/reports.h"
#include "logplay/contest_period.h"
#include "logplay/log_player.h"
#include "memory_platform.h"
#include "plugin/entry_points.h"

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
        const char* copied;      // what RA1A logged for RB2B
        const char* copiedBack;  // what RB2B logged for RA1A
        const char* copierStatus;
        const char* correctCall;
        const char* otherStatus;
        const char* otherCorrectCall;
    } cases[] = {
        {"RB2C", "RA1A", "BUSTED_CALL", "RB2B", "OK", ""},   // a character changed
        {"RB2", "RA1A", "BUSTED_CALL", "RB2B", "OK", ""},    // dropped
        {"RB2BB", "RA1A", "BUSTED_CALL", "RB2B", "OK", ""},  // added
        {"BR2B", "RA1A", "BUSTED_CALL", "RB2B", "OK", ""},   // two neighbours swapped
        {"RX2C", "RA1A", "UNIQUE", "", "NIL", ""},           // two changes: nothing ties them
        {"RC3C", "RA1A", "NIL", "", "NIL", ""},              // a station that sent a log, without the QSO
        // Both sides miscopied, each one edit off: both busted, each named.
        {"RB2C", "RA1B", "BUSTED_CALL", "RB2B", "BUSTED_CALL", "RA1A"},
        {"RB2", "RAA1A", "BUSTED_CALL", "RB2B", "BUSTED_CALL", "RA1A"},
        // ... but not when a miscopied call is a call that sent a log.
        {"RC3C", "RA1B", "NIL", "", "UNIQUE", ""},
        {"RB2C", "RC3C", "UNIQUE", "", "NIL", ""},
    };
    for (const auto& c : cases) {
        const CrossCheck check = crossCheck({logOf("RA1A", {{c.copied, 30}}), logOf("RB2B", {{c.copiedBack, 31}}),
                                             logOf("RC3C", {{"RD4D", 50}})},
                                            {}, countries());
        const QsoVerdict& copier = logNamed(check, "RA1A.log").verdicts.at(0);
        const QsoVerdict& other = logNamed(check, "RB2B.log").verdicts.at(0);
        EXPECT_STREQ(qsoStatusName(copier.status), c.copierStatus) << c.copied << " " << c.copiedBack;
        EXPECT_EQ(copier.correctCall(), c.correctCall) << c.copied << " " << c.copiedBack;
        EXPECT_STREQ(qsoStatusName(other.status), c.otherStatus) << c.copied << " " << c.copiedBack;
        EXPECT_EQ(other.correctCall(), c.otherCorrectCall) << c.copied << " " << c.copiedBack;
    }
}

// RA1A miscopied RB2B in their first QSO and so worked it again; RB2B's
// second line is its duplicate, and still the QSO RA1A's second line claims.
TEST(CrossCheck, ALineTheOtherLogHoldsOnlyAsADuplicateIsConfirmedByIt)
{
    const struct {
        int otherSideMinute;
        const char* received;
        const char* status;
        const char* correctExchange;
    } cases[] = {
        {50, "", "OK", ""}, {54, "22", "OK", ""}, {51, "23", "BUSTED_EXCH", "22"}, {57, "", "NIL", ""}};
    for (const auto& c : cases) {
        const CrossCheck check =
            crossCheck({logOf("RA1A", {{"RB2C", 10}, {"RB2B", 50, "3510 CW", c.received}}),
                        logOf("RB2B", {{"RA1A", 10}, {"RA1A", c.otherSideMinute}})},
                       {}, countries());
        EXPECT_EQ(statusesOf(check, "RA1A.log"), (std::vector<std::string>{"BUSTED_CALL", c.status}))
            << c.otherSideMinute << " " << c.received;
        EXPECT_EQ(statusesOf(check, "RB2B.log"), (std::vector<std::string>{"OK", "DUPE"}));
        const QsoVerdict& second = logNamed(check, "RA1A.log").verdicts.at(1);
        EXPECT_EQ(second.correctExchange(), c.correctExchange) << c.received;
        EXPECT_EQ(second.matchedLine, std::string(c.status) == "NIL" ? 0 : 5) << c.otherSideMinute;
    }
}

// Three logs copied DL1ABC's exchange alike, RD4D copied it its own way;
// numbers compare by value, and the correct one is named as the others
// wrote it.
TEST(CrossCheck, ACallWithoutALogIsJudgedByWhatTheOthersCopied)
{
    const struct {
        const char* othersCopied;
        const char* rd4dCopied;
        const char* status;
        const char* correctExchange;
    } cases[] = {
        {"77", "78", "BUSTED_EXCH", "77"},
        {"09", "06", "BUSTED_EXCH", "09"},
        {"06", "9", "BUSTED_EXCH", "06"},
        {"07", "7", "NO_LOG", ""},
        {"7", "007", "NO_LOG", ""},
    };
    for (const auto& c : cases) {
        std::vector<LogInput> logs;
        for (const std::string& call : {"RA1A", "RB2B", "RC3C"})
            logs.push_back(logOf(call, {{"DL1ABC", 10, "3510 CW", c.othersCopied}}));
        logs.push_back(logOf("RD4D", {{"DL1ABC", 12, "3510 CW", c.rd4dCopied}, {"F5XYZ", 20}}));
        const CrossCheck check = crossCheck(logs, {}, countries());
        EXPECT_EQ(statusesOf(check, "RA1A.log"), std::vector<std::string>{"NO_LOG"}) << c.othersCopied;
        EXPECT_EQ(statusesOf(check, "RD4D.log"), (std::vector<std::string>{c.status, "UNIQUE"})) << c.rd4dCopied;
        EXPECT_EQ(logNamed(check, "RD4D.log").verdicts[0].correctExchange(), c.correctExchange) << c.rd4dCopied;
    }
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

// Of several logs from one call the one with the most QSO lines is checked
// (the later file on a tie), unless the organiser chose another; the
// summary names every file and the choice first.
TEST(CrossCheck, OfSeveralLogsFromOneCallTheFullestIsCheckedOrTheOneChosen)
{
    const std::vector<Qso> qsos = {{"RA1A", 10}, {"RC3C", 20}, {"RD4D", 30}};
    const struct {
        std::vector<int> lines;  // of each log from RB2B, a.log, b.log, ...
        std::vector<std::string> chosen;
        const char* checked;
    } cases[] = {
        {{1, 2}, {}, "b.log"}, {{2, 1}, {}, "a.log"},         {{2, 2}, {}, "b.log"},
        {{1, 3, 2}, {}, "b.log"}, {{3, 1, 3}, {}, "c.log"}, {{3, 1}, {"b.log"}, "b.log"},
        {{1, 2, 3}, {"a.log"}, "a.log"},
    };
    for (const auto& c : cases) {
        std::vector<LogInput> logs = {logOf("RA1A", {{"RB2B", 10}})};
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            logs.push_back(logOf("RB2B", std::vector<Qso>(qsos.begin(), qsos.begin() + c.lines[i]),
                                 std::string(1, static_cast<char>('a' + i)) + ".log"));
        ContestConfig config;
        config.chosenLogs = c.chosen;
        const CrossCheck check = crossCheck(logs, config, countries());
        const std::string seen = ::testing::PrintToString(c.lines) + ::testing::PrintToString(c.chosen);
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            const std::string file = std::string(1, static_cast<char>('a' + i)) + ".log";
            EXPECT_EQ(logNamed(check, file).log.state, file == c.checked ? LogState::Checked : LogState::Superseded)
                << seen << " " << file;
            ASSERT_FALSE(check.summary.empty());
            EXPECT_NE(check.summary.front().find(file), std::string::npos) << seen << check.summary.front();
        }
        EXPECT_EQ(statusesOf(check, "RA1A.log"), std::vector<std::string>{"OK"}) << seen;
    }
}

// A header that names a call most QSO lines were not sent by: the partners
// logged the call of the lines, and the check takes it and says so.
TEST(CrossCheck, AHeaderCallMostQsoLinesDisagreeWithGivesWayToTheirs)
{
    const struct {
        const char* headerCall;
        int linesSentAsHeader;  // of RB2B's four QSO lines
        const char* checkedAs;
    } cases[] = {{"RB2X", 0, "RB2B"}, {"RB2X", 1, "RB2B"}, {"RB2X", 2, "RB2X"},  // half is no majority
                 {"RB2X", 4, "RB2X"}, {"RB2B", 0, "RB2B"}};
    for (const auto& c : cases) {
        std::string rb2b = "START-OF-LOG: 3.0\nCONTEST: ZEMRIX\nCALLSIGN: " + std::string(c.headerCall) + "\n";
        const std::vector<Qso> qsos = {{"RA1A", 10}, {"RC3C", 20}, {"RD4D", 30}, {"RE5E", 40}};
        for (int i = 0; i < 4; ++i)
            rb2b += qsoLine(i < c.linesSentAsHeader ? c.headerCall : "RB2B", qsos[i]);
        const CrossCheck check = crossCheck({logOf("RA1A", {{"RB2B", 10}}), logOf("RC3C", {{"RB2B", 20}}),
                                             logOf("RD4D", {{"RB2B", 30}}), logOf("RE5E", {{"RB2B", 40}}),
                                             {"rb2b.log", rb2b + "END-OF-LOG:\n"}},
                                            {}, countries());
        const CheckedLog& log = logNamed(check, "rb2b.log");
        EXPECT_EQ(log.log.callsign, c.checkedAs) << c.headerCall << " " << c.linesSentAsHeader;
        const bool corrected = std::string(c.checkedAs) != c.headerCall;
        for (const std::string partner : {"RA1A.log", "RC3C.log", "RD4D.log", "RE5E.log"})
            EXPECT_EQ(statusesOf(check, partner)[0], corrected || c.linesSentAsHeader == 0 ? "OK" : "BUSTED_CALL")
                << partner << " " << c.linesSentAsHeader;
        const std::string said = "CALLSIGN: RB2X in the header, but the QSO lines were sent by RB2B";
        const std::size_t rb2bIndex = 4;
        EXPECT_EQ(check.summary.front().find(said) != std::string::npos, corrected) << check.summary.front();
        EXPECT_EQ(participantReport(check, CrossReferences(check), rb2bIndex).find(said) != std::string::npos, corrected);
        EXPECT_EQ(resultsHtml(check).find(said) != std::string::npos, corrected);
    }
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

// RFC 4180 fields of one row: commas inside quotes, doubled quotes.
std::vector<std::string> csvFields(const std::string& row)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (quoted && c == '"' && i + 1 < row.size() && row[i + 1] == '"')
            fields.back() += row[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

bool isUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3
                                                  : (byte >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2)
                return false;
        i += length;
    }
    return true;
}

// Whatever bytes a log holds, the spreadsheet gets twelve columns per row
// and every report is UTF-8.
TEST(Reports, StayInTheirColumnsAndInUtf8)
{
    const struct {
        const char* received;
        const char* inTheTable;
    } cases[] = {{"1,2", "1,2"},
                 {"\"7\"", "\"7\""},
                 {"\xd0\x9f", "\xd0\x9f"},
                 {"\xe2\x84\x96", "\xe2\x84\x96"},          // three bytes
                 {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},  // four
                 {"\xe2\x84" "7", "??7"},                  // cut short
                 {"7\x80", "7?"},
                 {"9\xff", "9?"},
                 {"5\x01", "5?"}};
    for (const auto& c : cases) {
        const CrossCheck check = crossCheck(
            {logOf("RA1A", {{"RB2B", 10, "3510 CW", c.received}}), logOf("RB2B", {{"RA1A\xfe", 10}})}, {},
            countries());
        const std::string csv = qsosCsv(check);
        std::vector<std::vector<std::string>> rows;
        for (std::size_t start = 0, end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2)
            rows.push_back(csvFields(csv.substr(start, end - start)));
        ASSERT_EQ(rows.size(), 3u) << c.received;
        for (const auto& row : rows)
            EXPECT_EQ(row.size(), 12u) << c.received;
        EXPECT_EQ(rows[1][6], c.inTheTable);
        for (const std::string& text : {csv, resultsCsv(check), resultsHtml(check), participantReport(check, CrossReferences(check), 0),
                                        participantReport(check, CrossReferences(check), 1)})
            EXPECT_TRUE(isUtf8(text)) << c.received;
    }
}

// Callsigns, file names and exchanges that a spreadsheet would run reach
// the organiser's tables as text: no cell of either table starts a formula,
// and each such cell still shows what the log said.
// A row whose call and exchange both need escaping, on both sides of the
// match: each cell shows its own text.
TEST(Reports, EachEscapedCellOfAPageRowShowsItsOwnText)
{
    const CrossCheck check = crossCheck(
        {logOf("RA1A", {{"R&B", 10, "3510 CW", "<7>"}}), logOf("R&B", {{"RA1A", 10, "3510 CW", "\"1\""}})}, {},
        countries());
    for (std::size_t log = 0; log < check.logs.size(); ++log) {
        std::string page;
        appendWholeLogPage(page, check, CrossReferences(check), log);
        const bool ra1a = check.logs[log].log.callsign == "RA1A";
        EXPECT_NE(page.find(ra1a ? "<td>R&amp;B</td><td>&lt;7&gt;</td>" : "<td>RA1A</td><td>&quot;1&quot;</td>"),
                  std::string::npos)
            << page;
        EXPECT_NE(page.find(ra1a ? "<td>R&amp;B</td><td class=\"n\">" : "<td>RA1A</td><td class=\"n\">"),
                  std::string::npos);
    }
}

TEST(Reports, NoCellOfTheTablesIsAFormula)
{
    const std::vector<LogInput> logs = {
        logOf("RA1A", {{"RB2B", 10, "3510 CW", "+7-1"}, {"@SUM(1+1)", 12}, {"RC3C", 14, "3510 CW", "-12"}}, "=1+2.log"),
        logOf("=HYPERLINK(X)", {{"RA1A", 10}}), logOf("RB2B", {{"RA1A", 10}}, "-x.log")};
    const CrossCheck check = crossCheck(logs, {}, countries());
    std::set<std::string> cells;
    for (const std::string& csv : {qsosCsv(check), resultsCsv(check)})
        for (std::size_t start = 0, end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2)
            for (const std::string& cell : csvFields(csv.substr(start, end - start))) {
                const bool negativeNumber =
                    cell.size() > 1 && cell[0] == '-' && cell.find_first_not_of("0123456789", 1) == std::string::npos;
                EXPECT_TRUE(cell.empty() || std::string("=+-@").find(cell[0]) == std::string::npos || negativeNumber)
                    << cell;
                cells.insert(cell);
            }
    for (const char* shown : {"'=1+2.log", "'+7-1", "'@SUM(1+1)", "'=HYPERLINK(X)", "'-x.log", "-12"})
        EXPECT_EQ(cells.count(shown), 1u) << shown;
}

// Every call has a report of its own, under a name that any file system
// keeps and a web server serves: no dot first, no character an address
// or a folder would read otherwise.
TEST(Reports, EachCallHasAReportNameOfItsOwn)
{
    const struct {
        const char* callsign;
        const char* name;
    } cases[] = {{"UA9ABC", "UA9ABC.txt"},       {"UA9ABC/P", "UA9ABC_P.txt"},   {"UA9ABC_P", "UA9ABC-5FP.txt"},
                 {"UA9ABC:P", "UA9ABC-3AP.txt"}, {"UA9ABC-P", "UA9ABC-2DP.txt"}, {"A#1", "A-231.txt"},
                 {"C%41", "C-2541.txt"},         {".HIDDEN", "-2EHIDDEN.txt"},   {"E F", "E-20F.txt"}};
    std::set<std::string> names;
    for (const auto& c : cases) {
        EXPECT_EQ(participantReportName(c.callsign), c.name);
        names.insert(participantReportName(c.callsign));
    }
    EXPECT_EQ(names.size(), std::size(cases));
}

// The text in UTF-16, for characters of up to three UTF-8 bytes.
std::string utf16(const std::string& utf8, bool bigEndian, bool byteOrderMark)
{
    std::string bytes;
    const auto unit = [&](unsigned code) {
        const char high = static_cast<char>(code >> 8), low = static_cast<char>(code & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    };
    if (byteOrderMark)
        unit(0xFEFF);
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : 3;
        unsigned code = length == 1 ? byte : length == 2 ? byte & 0x1F : byte & 0x0F;
        for (std::size_t k = 1; k < length; ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        unit(code);
        i += length;
    }
    return bytes;
}

// The report quotes a line not counted as the participant wrote it, in
// UTF-8, whatever the log's encoding.
TEST(Reports, QuoteTheLinesOfAnyEncodingAsUtf8)
{
    const std::string nil = "QSO: 3510 CW 2025-12-20 2030 RA1A 599 11 RC3C 599 33";
    const std::string offBand = "QSO: 14010 CW 2025-12-20 2040 RA1A 599 11 F5XYZ 599 \xd0\x96\xc3\xa9\xe2\x84\x96";
    const std::string text = "START-OF-LOG: 3.0\r\nCONTEST: ZEMRIX\r\nCALLSIGN: RA1A\r\n"
                             "SOAPBOX: \xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82\r\n" +
                             nil + "\r\n" + offBand + "\r\nEND-OF-LOG:\r\n";
    const struct {
        const char* encoding;
        std::string bytes;
    } cases[] = {{"UTF-8", text},
                 {"UTF-8 with a mark", "\xEF\xBB\xBF" + text},
                 {"UTF-16LE with a mark", utf16(text, false, true)},
                 {"UTF-16LE", utf16(text, false, false)},
                 {"UTF-16BE with a mark", utf16(text, true, true)}};
    for (const auto& c : cases) {
        const CrossCheck check =
            crossCheck({{"RA1A.log", c.bytes}, logOf("RC3C", {{"RD4D", 50}})}, {}, countries());
        ASSERT_EQ(logNamed(check, "RA1A.log").log.state, LogState::Checked) << c.encoding;
        EXPECT_EQ(statusesOf(check, "RA1A.log"), (std::vector<std::string>{"NIL", "REJECTED"})) << c.encoding;
        const std::string report = participantReport(check, CrossReferences(check), 0);
        EXPECT_NE(report.find("\r\n5: " + nil + "\r\n"), std::string::npos) << c.encoding << "\n" << report;
        EXPECT_NE(report.find("\r\n6: " + offBand + "\r\n"), std::string::npos) << c.encoding << "\n" << report;
    }
}

// The stations that cost others the most: twenty at most, each with its
// The logs that cost others the most: each log's QSO lines its partners
// lost (NIL or busted in their logs) as a share of its own lines, the
// highest share first, twenty at most, and only logs of at least
// cost_ranking_min_qsos lines.
TEST(Reports, TheCostliestLogsAreRankedByTheShareOfTheirOwnLines)
{
    const auto rowsOf = [](const std::string& html) {
        const std::size_t table = html.find("cost others the most");
        const std::size_t end = html.find("</table>", table);
        std::vector<std::string> rows;
        for (std::size_t at = html.find("<tr><td>", table); at < end; at = html.find("<tr><td>", at + 1))
            rows.push_back(html.substr(at, html.find("</tr>", at) - at));
        return rows;
    };
    const auto checkedWith = [](const std::vector<LogInput>& logs, int minQsos) {
        ContestConfig config;
        config.costRankingMinQsos = minQsos;
        return crossCheck(logs, config, countries());
    };
    // RA1A's partners sent logs without its QSOs: RB2B lost both of its 2
    // lines' worth, RC3C one of 3, RD4D its only one.
    const std::vector<LogInput> logs = {
        logOf("RA1A", {{"RB2B", 10}, {"RB2B", 20, "7010 CW"}, {"RC3C", 30}, {"RD4D", 40}}),
        logOf("RB2B", {{"F5XYZ", 50}, {"F6XYZ", 51}}), logOf("RC3C", {{"F5XYZ", 60}, {"F6XYZ", 61}, {"F8XYZ", 62}}),
        logOf("RD4D", {{"F5XYZ", 70}})};
    const struct {
        int minQsos;
        std::vector<std::string> rows;  // the start of each row, in order
    } cases[] = {
        {1, {"<tr><td>RB2B</td><td class=\"n\">2</td><td class=\"n\">2</td><td class=\"n\">100.0%",
             "<tr><td>RD4D</td><td class=\"n\">1</td><td class=\"n\">1</td><td class=\"n\">100.0%",
             "<tr><td>RC3C</td><td class=\"n\">3</td><td class=\"n\">1</td><td class=\"n\">33.3%"}},
        {2, {"<tr><td>RB2B", "<tr><td>RC3C"}},  // exactly the limit is ranked
        {3, {"<tr><td>RC3C"}},                  // one line short is not
        {4, {}},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> rows = rowsOf(resultsHtml(checkedWith(logs, c.minQsos)));
        ASSERT_EQ(rows.size(), c.rows.size()) << c.minQsos;
        for (std::size_t k = 0; k < rows.size(); ++k)
            EXPECT_EQ(rows[k].rfind(c.rows[k], 0), 0u) << c.minQsos << ": " << rows[k];
    }
    // Twenty at most: RA1A logged 21 stations that sent logs without it.
    std::vector<LogInput> many;
    std::vector<Qso> worked;
    for (int i = 0; i < 21; ++i) {
        const std::string call = "R" + std::string(1, static_cast<char>('A' + i)) + "7A";
        worked.push_back({call, i});
        many.push_back(logOf(call, {{"F5XYZ", 100 + i}}));
    }
    many.push_back(logOf("RA1A", worked));
    EXPECT_EQ(rowsOf(resultsHtml(checkedWith(many, 1))).size(), 20u);
}

// The categories in a fixed order whatever the order of the files:
// single-op before multi-op, then high power before low before QRP; a
// value the contest does not know comes last.  An overall table heads
// them all.
TEST(Reports, CategoriesComeSingleOpFirstThenByPower)
{
    const struct {
        const char* call;
        const char* categories;
    } entries[] = {
        {"RA1A", "CATEGORY-OPERATOR: MULTI-OP\nCATEGORY-POWER: LOW\n"},
        {"RB2B", "CATEGORY-OPERATOR: SINGLE-OP\nCATEGORY-POWER: QRP\n"},
        {"RC3C", "CATEGORY-OPERATOR: SINGLE-OP\nCATEGORY-POWER: HUGE\n"},
        {"RD4D", "CATEGORY-OPERATOR: MULTI-OP\nCATEGORY-POWER: HIGH\n"},
        {"RE5E", "CATEGORY-OPERATOR: SINGLE-OP\nCATEGORY-POWER: LOW\n"},
        {"RF6F", "CATEGORY-OPERATOR: SINGLE-OP\nCATEGORY-POWER: HIGH\n"},
    };
    std::vector<LogInput> logs;
    for (const auto& entry : entries) {
        LogInput log = logOf(entry.call, {{"RA1A", 10}});
        log.bytes.insert(log.bytes.find("CALLSIGN:"), entry.categories);
        logs.push_back(log);
    }
    const auto headingsOf = [](const std::string& page) {
        std::vector<std::string> headings;
        for (std::size_t at = page.find("<h3>"); at != std::string::npos; at = page.find("<h3>", at + 1))
            headings.push_back(page.substr(at + 4, page.find("</h3>", at) - at - 4));
        return headings;
    };
    const std::vector<std::string> expected = {"Все участники / All participants", "SINGLE-OP HIGH", "SINGLE-OP LOW",
                                               "SINGLE-OP QRP", "SINGLE-OP HUGE", "MULTI-OP HIGH", "MULTI-OP LOW"};
    EXPECT_EQ(headingsOf(resultsHtml(crossCheck(logs, {}, countries()))), expected);
    std::reverse(logs.begin(), logs.end());
    EXPECT_EQ(headingsOf(resultsHtml(crossCheck(logs, {}, countries()))), expected);
}

TEST(Reports, TheReductionIsWhatTheCheckTookFromTheClaim)
{
    const struct {
        std::optional<int64_t> claimed;
        int64_t verified;
        const char* said;  // nullptr: no such line
    } cases[] = {
        {30, 16, "Сокращение / Reduction: 46.7%\r\n"},  {3, 2, "Сокращение / Reduction: 33.3%\r\n"},
        {16, 16, "Сокращение / Reduction: 0.0%\r\n"},  {10, 0, "Сокращение / Reduction: 100.0%\r\n"},
        {10, 12, "Сокращение / Reduction: 0.0%\r\n"},  {0, 0, nullptr},
        {std::nullopt, 5, nullptr},
    };
    for (const auto& c : cases) {
        CrossCheck check;
        check.logs.resize(1);
        check.logs[0].log.callsign = "RA1A";
        check.logs[0].log.claimedScore = c.claimed;
        check.logs[0].score.verifiedScore = c.verified;
        const std::string report = participantReport(check, CrossReferences(check), 0);
        EXPECT_EQ(report.find("Reduction") != std::string::npos, c.said != nullptr) << c.verified;
        if (c.said)
            EXPECT_NE(report.find(c.said), std::string::npos) << c.said;
    }
}

// A report that cannot be written stops the check, naming the file.
TEST(Reports, AFileThatCannotBeWrittenIsNamed)
{
    const CrossCheck check = crossCheck({logOf("RA1A", {{"RB2B", 10}}), logOf("RB2B", {{"RA1A", 10}})}, {}, countries());
    for (const std::string blocked : {"qsos.csv", "results.csv", "results.html", "ubn/RB2B.txt", "ubn"}) {
        const std::filesystem::path folder = std::filesystem::path(CHECKER_SCRATCH_DIR) / "blocked";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / blocked / "inside");  // a folder where the file goes
        if (blocked == "ubn")
            std::filesystem::remove_all(folder / "ubn"), std::ofstream(folder / "ubn") << "a file";
        try {
            writeReports(check, folder.string());
            ADD_FAILURE() << blocked << " written";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(blocked), std::string::npos) << error.what();
        }
    }
    std::filesystem::remove_all(CHECKER_SCRATCH_DIR);
}

// err.txt as the one-log check makes it, whole, for comparing.
std::string errorLogText(const LogCheck& log)
{
    std::string text;
    forEachErrorLogLine(log, [&](const std::string& line, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            text += line + "\r\n";
    });
    return text;
}

// The log played through the DLL's own entry points, as replay.exe plays
// it: the results text and err.txt the host gets.
std::pair<std::string, std::string> playedThroughTheEntryPoints(const LogCheck& check)
{
    MemoryPlatform platform;
    EntryPoints plugin(platform);
    std::vector<std::pair<int, std::string>> byLine;
    const auto hostTime = [](const CivilTime& time) { return HostDateTime{oleDateFromCivilTime(time), 0}; };
    HostDateTime start{}, end{};
    bool first = true;
    for (const JudgedQso& judged : check.qsos) {
        if (!judged.readable)
            continue;
        CivilTime day = judged.qso.time();
        day.hour = day.minute = day.second = 0;
        if (first)
            start = hostTime(day);
        end = hostTime(day);
        first = false;
    }
    plugin.resetStats(0, check.callsign.c_str(), &start, &end, countries().countryOf(check.callsign).c_str());
    for (const JudgedQso& judged : check.qsos) {
        if (!judged.readable)
            continue;
        const LoggedQso qso = judged.qso.logged();
        const std::string countryPrefix(judged.qso.countryPrefix());
        const HostDateTime time = hostTime(qso.time);
        const HostQso host{qso.ownCallsign.c_str(), qso.workedCallsign.c_str(), &time,
                           qso.frequencyHz,         qso.mode.c_str(),           qso.rstSent.c_str(),
                           qso.rstReceived.c_str(), qso.exchangeSent.c_str(),   qso.exchangeReceived.c_str(),
                           countryPrefix.c_str(),   qso.band.c_str()};
        plugin.addData(host);
    }
    int unused = 0;
    const std::string results = plugin.getResult(&unused, 1);
    return {results, platform.memoryFiles().read(kErrorLogFile).value_or("")};
}

TEST(Precheck, GivesTheResultsTextAndErrTxtOfTheSampleLog)
{
    const LogCheck log =
        precheckLog(fileText(REPLAY_SAMPLE_DIR "/zemrix-sample.log"), "zemrix-sample.log", countries());
    EXPECT_EQ(log.state, LogState::Checked);
    EXPECT_EQ(log.resultsText, fileText(REPLAY_SAMPLE_DIR "/expected-results.txt"));
    EXPECT_EQ(errorLogText(log), fileText(REPLAY_SAMPLE_DIR "/expected-err.txt"));
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
        {"CONTEST: ZEMRIX\nCALLSIGN: RA1A\nCLAIMED-SCORE: 999999999999\n", LogState::Checked, ""},
        {"CONTEST: ZEMRIX\nCALLSIGN: RA1A\nCLAIMED-SCORE: 1000000000000\n", LogState::Checked,
         "CLAIMED-SCORE \"1000000000000\" is not a whole number"},
        {"CONTEST: ZEMRIX\n", LogState::NoCallsign, "no CALLSIGN: line"},
        {"CONTEST: CQ-WW-CW\nCALLSIGN: RA1A\n", LogState::OtherContest, ""},
    };
    for (const auto& c : cases) {
        const LogCheck log = precheckLog(std::string("START-OF-LOG: 3.0\n") + c.header + qsoLine("RA1A", {"RB2B", 1}),
                                         "a.log", countries());
        EXPECT_EQ(log.state, c.state) << c.header;
        std::vector<std::string> problems;
        for (const Message& problem : log.headerProblems)
            problems.push_back(problem.english());
        EXPECT_EQ(problems, *c.problem ? std::vector<std::string>{c.problem} : std::vector<std::string>{}) << c.header;
    }
}

// The file's edges: nothing but NULs or blanks is empty, and the last line
// is quoted whole whether a line end closes it or not.
TEST(Precheck, TheFilesEdgesAreReadWhole)
{
    for (const std::string bytes : {std::string(64, '\0'), std::string(" \r\n\t\n"), std::string()})
        EXPECT_EQ(precheckLog(bytes, "e.log", countries()).state, LogState::Empty) << bytes.size();
    const std::string nil = "QSO: 3510 CW 2025-12-20 2030 RA1A 599 11 RC3C 599 33";
    for (const std::string end : {"", "\n", "\r\n", "\r"}) {
        const LogCheck log =
            precheckLog("START-OF-LOG: 3.0\nCONTEST: ZEMRIX\nCALLSIGN: RA1A\n" + nil + end, "q.log", countries());
        ASSERT_EQ(log.qsos.size(), 1u);
        EXPECT_EQ(log.qsos[0].qso.text(), nil) << ::testing::PrintToString(end);
    }
}

// The one-log check plays QSOs through the rules directly; the DLL's
// exports write err.txt from the same outcomes.  Random logs full of
// repeats, rejections and stations worked again on other bands and modes
// give the same results text and err.txt both ways, byte for byte.
TEST(Precheck, GivesWhatTheEntryPointsGiveOnRandomLogs)
{
    const char* const calls[] = {"RB2B", "RC3C", "QZ3ZBB", "UA3RZ", "DL1ABC", "K1ABC"};
    const char* const bands[] = {"3510 CW", "7010 CW", "3700 PH", "7100 PH", "14010 CW", "3510 RY", "50100 CW"};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        std::vector<Qso> qsos;
        for (int i = 0; i < 60; ++i) {
            Qso qso{calls[random() % std::size(calls)], static_cast<int>(random() % 600), bands[random() % std::size(bands)]};
            if (random() % 10 == 0)
                qso.received = "-";
            qsos.push_back(qso);
        }
        std::string text = logOf("RA1A", qsos).bytes;
        // "-" stands for an exchange the operator did not copy.
        for (std::size_t at; (at = text.find(" -\n")) != std::string::npos;)
            text.replace(at, 3, "\n");
        const LogCheck check = precheckLog(text, "random.log", countries());
        const auto [results, errors] = playedThroughTheEntryPoints(check);
        EXPECT_EQ(check.resultsText, results) << "seed " << seed;
        EXPECT_EQ(errorLogText(check), errors) << "seed " << seed;
    }
}

// Played again without the QSOs outside a period, a log gives each QSO the
// outcome that playing every QSO inside again through fresh rules gives:
// random logs of few stations on few bands, so that repeats abound, cut
// by random periods.
TEST(Precheck, PlayingTheQsosInThePeriodAgainGivesWhatAFreshPlayGives)
{
    const char* const calls[] = {"RB2B", "RC3C", "QZ3ZBB"};
    const char* const bands[] = {"3510 CW", "3700 PH", "7010 CW", "14010 CW"};
    for (unsigned seed = 1; seed <= 50; ++seed) {
        std::mt19937 random(seed);
        std::vector<Qso> qsos;
        for (int i = 0; i < 30; ++i)
            qsos.push_back({calls[random() % std::size(calls)], static_cast<int>(random() % 300),
                            bands[random() % std::size(bands)]});
        LogCheck replayed = precheckLog(logOf("RA1A", qsos).bytes, "random.log", countries());
        const int64_t first = minuteOf(replayed.qsos.front().qso.time()) + static_cast<int64_t>(random() % 200);
        const int64_t last = first + static_cast<int64_t>(random() % 200);
        const auto inPeriod = [&](const QsoRecord& qso) {
            return minuteOf(qso.time()) >= first && minuteOf(qso.time()) <= last;
        };
        LogCheck fresh = replayed;
        LogPlayer player;
        for (JudgedQso& judged : fresh.qsos)
            if (judged.played && inPeriod(judged.qso))
                judged.outcome = player.play(judged.qso.logged(), std::string(judged.qso.countryPrefix()));
        replayInPeriod(replayed, inPeriod);
        for (std::size_t q = 0; q < fresh.qsos.size(); ++q) {
            EXPECT_EQ(replayed.qsos[q].outcome.rejection, fresh.qsos[q].outcome.rejection) << seed << " " << q;
            EXPECT_EQ(replayed.qsos[q].outcome.earlierMatches, fresh.qsos[q].outcome.earlierMatches) << seed << " " << q;
        }
    }
}

// The end of the period is the end's minute for the participant's one-log
// check as for the organiser's cross-check: a QSO one minute before counts,
// one at the end or on the rest of the end's day does not.
TEST(Period, TheOneLogCheckAndTheCrossCheckEndAtTheSameMinute)
{
    const ContestConfig config = readContestConfig("start = 2025-12-20 20:00\nend = 2025-12-21 20:00\n", "c.ini");
    const int end = 24 * 60;
    const std::vector<Qso> qsos = {{"RB2B", end - 1}, {"RC3C", end}, {"RD4D", end + 180}};
    std::vector<LogInput> logs = {logOf("RA1A", qsos)};
    for (const Qso& qso : qsos)
        logs.push_back(logOf(qso.worked, {{"RA1A", qso.minute}}));

    PrecheckOptions options;
    options.period = config.period();
    const LogCheck alone = precheckLog(logs[0].bytes, "RA1A.log", countries(), options);
    std::vector<std::string> played;
    for (const JudgedQso& judged : alone.qsos)
        if (judged.played)
            played.emplace_back(judged.qso.workedCallsign());
    EXPECT_EQ(played, std::vector<std::string>{"RB2B"});
    EXPECT_EQ(alone.computedScore, 1);

    const CrossCheck check = crossCheck(logs, config, countries());
    EXPECT_EQ(statusesOf(check, "RA1A.log"), (std::vector<std::string>{"OK", "OUT_OF_PERIOD", "OUT_OF_PERIOD"}));
    EXPECT_EQ(logNamed(check, "RA1A.log").score.verifiedScore, 1);
}

// A QSO outside the period is out of period and nothing else: a test QSO
// before the start is not the earlier QSO of the real one, and a repeat
// after the end is not a duplicate.  The other side logged both alike.
TEST(CrossCheck, AQsoOutsideThePeriodIsNeverPartOfARepeat)
{
    const ContestConfig config = readContestConfig("start = 2025-12-20 20:00\nend = 2025-12-21 20:00\n", "c.ini");
    const struct {
        std::vector<int> minutes;
        std::vector<std::string> statuses;
    } cases[] = {
        {{-10, 30}, {"OUT_OF_PERIOD", "OK"}},
        {{-1, 0}, {"OUT_OF_PERIOD", "OK"}},
        {{30, 24 * 60 + 10}, {"OK", "OUT_OF_PERIOD"}},
        {{-10, 30, 40}, {"OUT_OF_PERIOD", "OK", "DUPE"}},
        {{30, 40}, {"OK", "DUPE"}},
        {{-10, 30, 24 * 60 + 10}, {"OUT_OF_PERIOD", "OK", "OUT_OF_PERIOD"}},
        {{0, 24 * 60 - 1, 24 * 60}, {"OK", "DUPE", "OUT_OF_PERIOD"}},
    };
    for (const auto& c : cases) {
        std::vector<Qso> ra1a, rb2b;
        for (int minute : c.minutes) {
            ra1a.push_back({"RB2B", minute});
            rb2b.push_back({"RA1A", minute});
        }
        const CrossCheck check = crossCheck({logOf("RA1A", ra1a), logOf("RB2B", rb2b)}, config, countries());
        EXPECT_EQ(statusesOf(check, "RA1A.log"), c.statuses) << c.minutes.front();
        EXPECT_EQ(statusesOf(check, "RB2B.log"), c.statuses) << c.minutes.front();
    }
}

}  // namespace
