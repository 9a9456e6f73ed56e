// The Cabrillo and ADIF readers: what a QSO turns into, and how every line
// that cannot be replayed is reported with its file and line.
#include <gtest/gtest.h>

#include <sstream>

#include "logfile/adif_reader.h"
#include "logfile/cabrillo_reader.h"
#include "logfile/log_file.h"
#include "logfile/reading_summary.h"

namespace {

ContestLog cabrillo(const std::string& text)
{
    return readCabrilloLog(text, "test.log");
}

ContestLog adif(const std::string& text)
{
    std::istringstream in(text);
    return readAdifLog(in, "test.adi");
}

std::string timeText(const CivilTime& t) { return formatCivilTime(t, "%Y-%m-%d %H:%M:%S"); }

struct ReadQso {
    std::string own, worked, band, mode, time, rstSent, exchangeSent, rstReceived, exchangeReceived;
    uint32_t frequencyHz;
};

std::vector<std::string> described(const std::vector<LineMessage>& messages)
{
    std::vector<std::string> texts;
    for (const LineMessage& message : messages)
        texts.push_back(message.describe());
    return texts;
}

void expectQso(const LoggedQso& qso, const ReadQso& expected)
{
    EXPECT_EQ(qso.ownCallsign, expected.own);
    EXPECT_EQ(qso.workedCallsign, expected.worked);
    EXPECT_EQ(qso.band, expected.band);
    EXPECT_EQ(qso.mode, expected.mode);
    EXPECT_EQ(timeText(qso.time), expected.time);
    EXPECT_EQ(qso.rstSent, expected.rstSent);
    EXPECT_EQ(qso.exchangeSent, expected.exchangeSent);
    EXPECT_EQ(qso.rstReceived, expected.rstReceived);
    EXPECT_EQ(qso.exchangeReceived, expected.exchangeReceived);
    EXPECT_EQ(qso.frequencyHz, expected.frequencyHz);
}

TEST(CabrilloReader, ReadsHeaderAndQsoLines)
{
    const ContestLog log = cabrillo(
        "START-OF-LOG: 3.0\r\n"
        "CONTEST: ZEMRIX\r\n"
        "callsign: RA3XYZ\r\n"
        "QSO:  3512 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\r\n"
        "QSO:  7099 PH 2025-12-21 0002 RA3XYZ 59  16 R3RA   57  31 0\r\n"
        "QSO: 14025 RY 2025-12-20 2200 RA3XYZ 599 16 OK1AB 599 05\r\n"
        "QSO: 144 FM 2025-12-20 2201 RA3XYZ 59 16 OK1AB 59 05\r\n"
        "QSO:  3550 CW 2025-12-20 2300 RA3XYZ 599 16 SP9X 599\r\n"
        "END-OF-LOG:\r\n");
    EXPECT_EQ(log.ownCallsign, "RA3XYZ");
    ASSERT_EQ(log.qsos.size(), 5u);
    EXPECT_TRUE(log.skipped.empty());
    expectQso(log.qsos[0], {"RA3XYZ", "DL1ABC", "80m", "CW", "2025-12-20 21:05:00", "599", "16", "579", "07", 3512000});
    expectQso(log.qsos[1], {"RA3XYZ", "R3RA", "40m", "SSB", "2025-12-21 00:02:00", "59", "16", "57", "31", 7099000});
    EXPECT_EQ(log.qsos[2].band, "20m");
    EXPECT_EQ(log.qsos[2].mode, "RTTY");
    EXPECT_EQ(log.qsos[3].band, "2m");
    EXPECT_EQ(log.qsos[3].frequencyHz, 144000000u);
    // One word short: the received exchange is missing, for Stats.dll to reject.
    EXPECT_EQ(log.qsos[4].exchangeReceived, "");
    EXPECT_EQ(log.qsos[4].line, 8);
}

TEST(CabrilloReader, OwnCallsignFallsBackToTheFirstSentCall)
{
    EXPECT_EQ(cabrillo("QSO: 3512 CW 2025-12-20 2105 UA3AA 599 16 DL1ABC 579 07\n").ownCallsign, "UA3AA");
}

TEST(CabrilloReader, SkipsUnreadableLinesNamingFileAndLine)
{
    const ContestLog log = cabrillo(
        "START-OF-LOG: 3.0\n"
        "QSO: 3512 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\n"
        "QSO: 3512 CW 2025-12-20 2105 RA3XYZ 599\n"
        "QSO: 3x12 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\n"
        "QSO: 9000 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\n"
        "QSO: 3512 AM 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\n"
        "QSO: 3512 CW 2025-02-30 2105 RA3XYZ 599 16 DL1ABC 579 07\n"
        "QSO: 3512 CW 2025-12-20 2460 RA3XYZ 599 16 DL1ABC 579 07\n"
        "QSO 3512 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\n"
        "END-OF-LOG:\n"
        "QSO: 3512 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\n");
    EXPECT_EQ(log.qsos.size(), 1u);
    const std::vector<std::string> expected = {
        "test.log:3: QSO line has 6 fields; expected: freq mode date time call rst exch call rst exch [transmitter]",
        "test.log:4: frequency \"3x12\" is not a whole number of kilohertz",
        "test.log:5: frequency 9000 kHz lies in no amateur band",
        "test.log:6: mode \"AM\" is not a Cabrillo mode (CW, PH, RY, DG, FM)",
        "test.log:7: date \"2025-02-30\" is not a calendar date YYYY-MM-DD",
        "test.log:8: time \"2460\" is not a clock time",
        "test.log:9: not a Cabrillo line (no \"TAG:\")",
        "test.log:11: after END-OF-LOG:",
    };
    EXPECT_EQ(described(log.skipped), expected);
}

// The edges of a QSO line: nine to eleven words, a frequency of up to
// seven digits, words parted by tabs as by blanks.
TEST(CabrilloReader, AQsoLineIsReadToTheEdgesOfItsShape)
{
    const std::string qso = "QSO: 3512 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579";
    const ContestLog log = cabrillo("START-OF-LOG: 3.0\n" + qso.substr(0, qso.rfind(' ')) + "\n" + qso + "\n" +
                                    qso + " 07\n" + qso + " 07 1\n" + qso + " 07 1 2\n" +
                                    "QSO:\t3512\tCW\t2025-12-20\t2105\tRA3XYZ\t599\t16\tDL1ABC\t579\t07\n" +
                                    "QSO: 3512000 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\n" +
                                    "QSO: 35120000 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\n");
    std::vector<int> read;
    for (const LoggedQso& q : log.qsos)
        read.push_back(q.line);
    EXPECT_EQ(read, (std::vector<int>{3, 4, 5, 7}));
    EXPECT_EQ(log.qsos.back().exchangeReceived, "07");
    const std::vector<std::string> expected = {
        "test.log:2: QSO line has 8 fields; expected: freq mode date time call rst exch call rst exch [transmitter]",
        "test.log:6: QSO line has 12 fields; expected: freq mode date time call rst exch call rst exch [transmitter]",
        "test.log:8: frequency 3512000 kHz lies in no amateur band",
        "test.log:9: frequency \"35120000\" is not a whole number of kilohertz",
    };
    EXPECT_EQ(described(log.skipped), expected);
}

// Blank lines of any kind before START-OF-LOG: leave the file Cabrillo.
TEST(LogFiles, BlankLinesBeforeTheHeaderLeaveALogCabrillo)
{
    const std::string log = "START-OF-LOG: 3.0\nQSO: 3512 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\n";
    for (const std::string before : {"", "\n", " \n", "\r\n\r\n", "\t \n\n", "\n\n\n\n"}) {
        EXPECT_TRUE(isCabrilloText(before + log)) << before.size();
        EXPECT_EQ(readContestLog(before + log, "b.log").qsos.size(), 1u) << before.size();
    }
    EXPECT_FALSE(isCabrilloText("X\n" + log));
}

// Every lower-case letter, and nothing else, is folded and noted.
TEST(CaseFolder, FoldsAndNotesEveryLowerCaseLetterAndNothingElse)
{
    for (int c = 1; c < 256; ++c) {
        CaseFolder fold;
        const std::string text(1, static_cast<char>(c));
        const bool lower = c >= 'a' && c <= 'z';
        EXPECT_EQ(fold(text), lower ? std::string(1, static_cast<char>(c - 'a' + 'A')) : text) << c;
        EXPECT_EQ(fold.folded(), lower) << c;
    }
}

TEST(AdifReader, ReadsRecordsAfterTheHeader)
{
    const ContestLog log = adif(
        "Exported by a logger <with angle brackets>\n"
        "<ADIF_VER:5>3.1.4 <CALL:4>NOPE <EOH>\n"
        "<STATION_CALLSIGN:6>RA3XYZ <CALL:6>DL1ABC <FREQ:5>3.512 <MODE:2>CW\n"
        "<QSO_DATE:8>20251220 <TIME_ON:6>210559 <RST_SENT:3>599 <RST_RCVD:3>579\n"
        "<STX_STRING:2>16 <SRX:2>07 <EOR>\n"
        "<operator:5>UA3AA <call:4:S>R3RA <band:3>40M <mode:3>LSB <qso_date:8>20251221\n"
        "<time_on:4>0002 <stx:1>5 <srx:2>31 <srx_string:3>031 <eor>\n");
    EXPECT_TRUE(log.skipped.empty());
    ASSERT_EQ(log.qsos.size(), 2u);
    EXPECT_EQ(log.ownCallsign, "RA3XYZ");
    expectQso(log.qsos[0], {"RA3XYZ", "DL1ABC", "80m", "CW", "2025-12-20 21:05:59", "599", "16", "579", "07", 3512000});
    expectQso(log.qsos[1], {"UA3AA", "R3RA", "40m", "SSB", "2025-12-21 00:02:00", "", "5", "", "031", 7000000});
    EXPECT_EQ(log.qsos[0].line, 3);
    EXPECT_EQ(log.qsos[1].line, 6);
}

TEST(AdifReader, SkipsUnreadableRecordsNamingFileAndLine)
{
    const ContestLog log = adif(
        "<EOH>\n"
        "<CALL:6>DL1ABC <BAND:3>80m <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105 <EOR>\n"
        "<BAND:3>80m <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105 <EOR>\n"
        "<CALL:6>DL1ABC <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105 <EOR>\n"
        "<CALL:6>DL1ABC <FREQ:4>9.01 <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105 <EOR>\n"
        "<CALL:6>DL1ABC <BAND:3>80m <MODE:2>CW <QSO_DATE:8>20251320 <TIME_ON:4>2105 <EOR>\n"
        "<CALL:x>DL1ABC <BAND:3>80m <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105 <EOR>\n"
        "<CALL:6>DL1ABC <BAND:3>11m <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105 <EOR>\n"
        "<CALL:6>DL1ABC <BAND:3>80m <FREQ:5>7.012 <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105 <EOR>\n"
        "<CALL:6>DL1ABC <FREQ:4>abcd <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105 <EOR>\n"
        "<CALL:6>DL1ABC <BAND:3>80m <QSO_DATE:8>20251220 <TIME_ON:4>2105 <EOR>\n"
        "<CALL:6>DL1ABC <BAND:3>80m <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105 <COMMENT:99>x");
    EXPECT_EQ(log.qsos.size(), 1u);
    const std::vector<std::string> expected = {
        "test.adi:3: record has no CALL",
        "test.adi:4: record has neither BAND nor FREQ",
        "test.adi:5: FREQ 9.01 lies in no amateur band, in MHz and in kHz",
        "test.adi:6: QSO_DATE \"20251320\" is not a calendar date YYYYMMDD",
        "test.adi:7: record has no CALL",  // <CALL:x> is no data specifier, so it is text
        "test.adi:8: BAND \"11m\" is not an amateur band",
        "test.adi:9: FREQ 7.012 lies outside BAND 80m, in MHz and in kHz",
        "test.adi:10: FREQ \"abcd\" is not a number",
        "test.adi:11: record has no MODE",
        "test.adi:12: field <COMMENT:99> runs past the end of the file",
    };
    EXPECT_EQ(described(log.skipped), expected);
}

TEST(AdifReader, ReportsARecordLeftOpenAtTheEnd)
{
    const ContestLog log = adif("<EOH>\n<CALL:6>DL1ABC <BAND:3>80m <MODE:2>CW\n");
    ASSERT_EQ(log.skipped.size(), 1u);
    EXPECT_EQ(log.skipped[0].describe(),
              "test.adi:2: record has no QSO_DATE (the last record, which has no <EOR>)");
}

TEST(LogFiles, TheSampleReadsTheSameAsCabrilloAndAsAdif)
{
    const ContestLog fromCabrillo = readContestLogFile(REPLAY_SAMPLE_DIR "/zemrix-sample.log");
    const ContestLog fromAdif = readContestLogFile(REPLAY_SAMPLE_DIR "/zemrix-sample.adi");
    EXPECT_TRUE(fromCabrillo.skipped.empty());
    EXPECT_TRUE(fromAdif.skipped.empty());
    EXPECT_EQ(fromCabrillo.ownCallsign, fromAdif.ownCallsign);
    ASSERT_EQ(fromCabrillo.qsos.size(), fromAdif.qsos.size());
    ASSERT_GT(fromCabrillo.qsos.size(), 200u);
    for (std::size_t i = 0; i < fromCabrillo.qsos.size(); ++i) {
        const LoggedQso& c = fromCabrillo.qsos[i];
        expectQso(fromAdif.qsos[i], {c.ownCallsign, c.workedCallsign, c.band, c.mode, timeText(c.time), c.rstSent,
                                     c.exchangeSent, c.rstReceived, c.exchangeReceived, c.frequencyHz});
    }
}

TEST(LogFiles, AMissingFileAndAFolderAreToldApart)
{
    const std::pair<std::string, std::string> cases[] = {
        {REPLAY_SAMPLE_DIR "/no-such.log", ": no such file"},
        {REPLAY_SAMPLE_DIR, ": a folder, not a log file"},
    };
    for (const auto& [path, message] : cases) {
        try {
            readContestLogFile(path);
            ADD_FAILURE() << path << " was read";
        } catch (const LogFileError& error) {
            EXPECT_EQ(error.what(), path + message);
        }
    }
}

// What Stats.dll judges a QSO by: all but the texts of the RSTs and
// exchanges, of which only the presence counts.
std::string judgedLine(const LoggedQso& q)
{
    return q.ownCallsign + " " + q.workedCallsign + " " + q.band + " " + q.mode + " " + std::to_string(q.frequencyHz) +
           " " + formatCivilTime(q.time, "%Y-%m-%d %H%M");
}

// One line per QSO with everything the replay hands to Stats.dll.
std::string qsoLine(const LoggedQso& q)
{
    return judgedLine(q) + " " + q.rstSent + "/" + q.exchangeSent + " " + q.rstReceived + "/" + q.exchangeReceived;
}

template <typename Line>
std::vector<std::string> qsoLines(const ContestLog& log, Line line)
{
    std::vector<std::string> lines;
    for (const LoggedQso& qso : log.qsos)
        lines.push_back(line(qso));
    return lines;
}

std::vector<std::string> qsoLines(const ContestLog& log) { return qsoLines(log, qsoLine); }

// The shapes in which loggers write logs, each read as the logger meant it.
TEST(LogShapes, ReadAsLoggersWriteThem)
{
    struct Shape {
        const char* what;
        const char* fileName;
        std::string text;
        std::vector<std::string> qsos;
        std::vector<std::string> skipped, warnings, notes;
        int excluded;
    };
    const std::string adifQso = "<QSO_DATE:8>20251220 <RST_SENT:3>599 <RST_RCVD:3>579 <STX:2>16 <SRX:2>07 ";
    const Shape shapes[] = {
        {"callsigns and ADIF enumerations in lower case", "a.adi",
         "<EOH><station_callsign:6>rk3dzb <call:6>qz3zbb <band:3>80M <freq:5>3.512 <mode:2>cw " + adifQso +
             "<time_on:4>2100 <eor>\n<operator:5>ra3Xy <call:5>r3rkt <band:3>40m <mode:3>lsb " + adifQso +
             "<time_on:4>2101 <eor>\n",
         {"RK3DZB QZ3ZBB 80m CW 3512000 2025-12-20 2100 599/16 579/07",
          "RA3XY R3RKT 40m SSB 7000000 2025-12-20 2101 599/16 579/07"},
         {}, {}, {"a.adi: callsigns and modes in lower case were read in upper case",
                  "a.adi: BAND without FREQ in 1 QSO: replayed on the band's designator frequency (3500 kHz for 80m)"}, 0},
        {"Cabrillo in lower case", "b.log",
         "start-of-log: 3.0\ncallsign: rk3dzb\nqso: 3512 cw 2025-12-20 2100 rk3dzb 599 16 qz3zbb 579 07\n"
         "QSO: 7100 Ph 2025-12-20 2101 RK3DZB 59 16 R3RKT 57 08\n",
         {"RK3DZB QZ3ZBB 80m CW 3512000 2025-12-20 2100 599/16 579/07",
          "RK3DZB R3RKT 40m SSB 7100000 2025-12-20 2101 59/16 57/08"},
         {}, {}, {"b.log: callsigns and modes in lower case were read in upper case"}, 0},
        {"a '<' outside data specifiers is text", "c.adi",
         "Notes <paper log> and < 30/h\n<EOH>\n# rate dropped < 30/h\n<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW " + adifQso +
             "<TIME_ON:4>2100 <EOR>\n<paper log> <x:y> <CALL:6>DL1ABC <FREQ:5>7.012 <MODE:2>CW " + adifQso +
             "<TIME_ON:4>2101 <EOR>\n",
         {" R5RA 80m CW 3512000 2025-12-20 2100 599/16 579/07", " DL1ABC 40m CW 7012000 2025-12-20 2101 599/16 579/07"},
         {}, {}, {}, 0},
        {"a field repeated in a record: the last one counts", "d.adi",
         "<EOH>\n<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW <COMMENT:1>a " + adifQso +
             "<TIME_ON:4>2100\n<COMMENT:1>b <SRX:2>09 <EOR>\n",
         {" R5RA 80m CW 3512000 2025-12-20 2100 599/16 579/09"},
         {}, {"d.adi:3: COMMENT appears twice in one record; the last one counts",
              "d.adi:3: SRX appears twice in one record; the last one counts"}, {}, 0},
        {"Cabrillo named .adi, its soapbox naming <EOR>", "e.adi",
         "\n  START-OF-LOG: 3.0\nSOAPBOX: our ADIF ends records in <EOR>\n"
         "QSO: 3512 CW 2025-12-20 2100 RK3DZB 599 16 R5RA 579 07\n",
         {"RK3DZB R5RA 80m CW 3512000 2025-12-20 2100 599/16 579/07"}, {}, {}, {}, 0},
        {"X-QSO lines are left out, not skipped; QSO is the tag in any case, and only it", "f.log",
         "START-OF-LOG: 3.0\nX-QSO: 3512 CW 2025-12-20 2100 RK3DZB 599 16 R5RA 579 07\n"
         "x-qso: 3512 CW 2025-12-20 2100 RK3DZB 599 16 R5RA 579 07\n"
         "QSO: 3513 CW 2025-12-20 2101 RK3DZB 599 16 R5RA 579 07\n"
         "QSOS: 3514 CW 2025-12-20 2102 RK3DZB 599 16 R5RA 579 07\n"
         "QS: 3514 CW 2025-12-20 2102 RK3DZB 599 16 R5RA 579 07\n"
         "qSo: 3515 CW 2025-12-20 2103 RK3DZB 599 16 R5RA 579 07\n",
         {"RK3DZB R5RA 80m CW 3513000 2025-12-20 2101 599/16 579/07",
          "RK3DZB R5RA 80m CW 3515000 2025-12-20 2103 599/16 579/07"},
         {}, {}, {}, 2},
        {"BAND without FREQ gets the band's designator", "g.adi",
         "<EOH><CALL:4>R5RA <BAND:3>40m <MODE:2>CW " + adifQso + "<TIME_ON:4>2100 <EOR>" +
             "<CALL:4>R5RA <BAND:2>6M <MODE:2>CW " + adifQso + "<TIME_ON:4>2101 <EOR>",
         {" R5RA 40m CW 7000000 2025-12-20 2100 599/16 579/07", " R5RA 6m CW 50000000 2025-12-20 2101 599/16 579/07"},
         {}, {}, {"g.adi: BAND without FREQ in 2 QSOs: replayed on the band's designator frequency (3500 kHz for 80m)"}, 0},
        {"FREQ plainly in kHz, by BAND or by a band; one rule for every QSO", "h.adi",
         "<EOH><CALL:4>R5RA <BAND:3>80m <FREQ:4>3527 <MODE:2>CW " + adifQso + "<TIME_ON:4>2100 <EOR>\n" +
             "<CALL:4>R5RA <FREQ:4>7012 <MODE:2>CW " + adifQso + "<TIME_ON:4>2101 <EOR>\n" +
             "<CALL:4>R5RA <FREQ:5>7.013 <MODE:2>CW " + adifQso + "<TIME_ON:4>2102 <EOR>\n" +
             "<CALL:4>R5RA <BAND:3>80m <FREQ:4>7012 <MODE:2>CW " + adifQso + "<TIME_ON:4>2103 <EOR>\n",
         {" R5RA 80m CW 3527000 2025-12-20 2100 599/16 579/07", " R5RA 40m CW 7012000 2025-12-20 2101 599/16 579/07",
          " R5RA 40m CW 7013000 2025-12-20 2102 599/16 579/07"},
         {"h.adi:4: FREQ 7012 lies outside BAND 80m, in MHz and in kHz"}, {},
         {"h.adi: FREQ plainly in kHz, not MHz, in 2 QSOs (the first on line 1): read as kHz"}, 0},
        {"out of time order: replayed in time order, equal times in file order", "i.log",
         "START-OF-LOG: 3.0\n"
         "QSO: 3512 CW 2025-12-21 0005 RK3DZB 599 16 R5RA 579 01\n"
         "QSO: 3512 CW 2025-12-20 2359 RK3DZB 599 16 R5RA 579 02\n"
         "QSO: 3512 CW 2025-12-21 0005 RK3DZB 599 16 R5RA 579 03\n"
         "QSO: 3512 CW 2025-12-20 2359 RK3DZB 599 16 R5RA 579 04\n",
         {"RK3DZB R5RA 80m CW 3512000 2025-12-20 2359 599/16 579/02",
          "RK3DZB R5RA 80m CW 3512000 2025-12-20 2359 599/16 579/04",
          "RK3DZB R5RA 80m CW 3512000 2025-12-21 0005 599/16 579/01",
          "RK3DZB R5RA 80m CW 3512000 2025-12-21 0005 599/16 579/03"},
         {}, {}, {"i.log: the QSOs were not in time order; they are replayed in time order"}, 0},
        {"FREQ with a decimal comma, as systems set to Russian write it", "k.adi",
         "<EOH>\n<CALL:4>R5RA <FREQ:5>3,527 <MODE:2>CW " + adifQso + "<TIME_ON:4>2100 <EOR>\n" +
             "<CALL:4>R5RA <FREQ:8>7,012.5 <MODE:2>CW " + adifQso + "<TIME_ON:4>2101 <EOR>\n" +
             "<CALL:4>R5RA <FREQ:6>7,0125 <MODE:2>CW " + adifQso + "<TIME_ON:4>2102 <EOR>\n",
         {" R5RA 80m CW 3527000 2025-12-20 2100 599/16 579/07", " R5RA 40m CW 7012500 2025-12-20 2102 599/16 579/07"},
         {"k.adi:3: FREQ \"7,012.5\" is not a number"}, {},
         {"k.adi: FREQ with a decimal comma in 2 QSOs (the first on line 2): read as a decimal point"}, 0},
        {"a transmitter number after the received exchange", "l.log",
         "START-OF-LOG: 3.0\n"
         "QSO: 3512 CW 2025-12-20 2100 RK3DZB 599 16 R5RA 579 07 1\n"
         "QSO: 3513 CW 2025-12-20 2101 RK3DZB 599 16 UA3AA 579 08\n"
         "QSO: 7012 CW 2025-12-20 2102 RK3DZB 599 16 R3RKT 579 09 0\n",
         {"RK3DZB R5RA 80m CW 3512000 2025-12-20 2100 599/16 579/07",
          "RK3DZB UA3AA 80m CW 3513000 2025-12-20 2101 599/16 579/08",
          "RK3DZB R3RKT 40m CW 7012000 2025-12-20 2102 599/16 579/09"},
         {}, {},
         {"l.log: a transmitter number after the received exchange in 2 QSO lines (the first on line 2): ignored, "
          "the contest has no use for it"}, 0},
        {"the last record without <EOR>, its last field ending the file", "m.adi",
         "<EOH>\n<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW " + adifQso + "<TIME_ON:4>2100 <EOR>\n" +
             "<CALL:6>DL1ABC <FREQ:5>3.513 <MODE:2>CW " + adifQso + "<TIME_ON:4>2101",
         {" R5RA 80m CW 3512000 2025-12-20 2100 599/16 579/07", " DL1ABC 80m CW 3513000 2025-12-20 2101 599/16 579/07"},
         {}, {"m.adi:3: the last record has no <EOR> before the end of the file; read as it is"}, {}, 0},
        {"TIME_ON of 3 digits is refused where its record begins", "n.adi",
         "<EOH>\n<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW\n" + adifQso + "\n<TIME_ON:3>005\n<EOR>\n"
             "<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW " + adifQso + "<TIME_ON:2>05 <EOR>\n"
             "<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW\n" + adifQso + "\n<EOR>\n",
         {},
         {"n.adi:2: TIME_ON \"005\" is ambiguous: 3 digits, where the time is HHMM or HHMMSS",
          "n.adi:6: TIME_ON \"05\" is not HHMM or HHMMSS", "n.adi:7: record has no TIME_ON"},
         {}, {}, 0},
        {"a field length running past its value names that field", "o.adi",
         "<EOH>\n<CALL:9>R5RAA <FREQ:5>3.512 <MODE:2>CW " + adifQso + "<TIME_ON:4>2100 <EOR>\n" +
             "<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW " + adifQso + "<TIME_ON:4>2101 <SRX:4>7<EOR>\n" +
             "<CALL:6>DL1ABC <FREQ:5>3.513 <MODE:2>CW " + adifQso + "<TIME_ON:4>2102 <COMMENT:5>a < b<EOR>\n",
         {" DL1ABC 80m CW 3513000 2025-12-20 2102 599/16 579/07"},
         {"o.adi:2: <CALL:9> runs past its value \"R5RAA\": its length is wrong",
          "o.adi:3: <SRX:4> runs past its value \"7\": its length is wrong"},
         {"o.adi:3: SRX appears twice in one record; the last one counts"}, {}, 0},
        {"out of order within a minute: sorted by the seconds", "p.adi",
         "<EOH>\n<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW " + adifQso + "<TIME_ON:6>210530 <EOR>\n" +
             "<CALL:5>UA3AA <FREQ:5>3.512 <MODE:2>CW " + adifQso + "<TIME_ON:6>210510 <EOR>\n",
         {" UA3AA 80m CW 3512000 2025-12-20 2105 599/16 579/07", " R5RA 80m CW 3512000 2025-12-20 2105 599/16 579/07"},
         {}, {}, {"p.adi: the QSOs were not in time order; they are replayed in time order"}, 0},
        {"texts that would shift the Cabrillo columns", "j.adi",
         "<EOH>\n<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2100 <STX:2>16 "
         "<SRX_STRING:7>599 021 <EOR>\n",
         {" R5RA 80m CW 3512000 2025-12-20 2100 /16 /599 021"},
         {}, {"j.adi:2: no RST sent, no RST received, exchange received \"599 021\" holds a blank: the QSO's line in "
              "the Cabrillo file will have its columns shifted"}, {}, 0},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.what);
        const ContestLog log = readContestLog(shape.text, shape.fileName);
        EXPECT_EQ(qsoLines(log), shape.qsos);
        EXPECT_EQ(described(log.skipped), shape.skipped);
        EXPECT_EQ(described(log.warnings), shape.warnings);
        EXPECT_EQ(log.notes, shape.notes);
        EXPECT_EQ(log.excludedQsos, shape.excluded);
    }
}

// Files that are no log get one line saying so.
TEST(LogShapes, AFileThatIsNoLogIsNamedSo)
{
    struct Case {
        std::string text;
        const char* why;
    };
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) % 256);
    const Case cases[] = {
        {"", "empty file"},
        {" \r\n\t\n", "empty file"},
        {binary, "binary data, not text"},
        {"call,band,mode,date\nR5RA,80m,CW,20251220\n", "no START-OF-LOG: line, no ADIF <EOH> or <EOR>"},
        {std::string(10 << 20, 'x'), "no START-OF-LOG: line, no ADIF <EOH> or <EOR>"},
    };
    for (const Case& c : cases) {
        try {
            readContestLog(c.text, "x.adi");
            ADD_FAILURE() << "read as a log: " << c.why;
        } catch (const LogFileError& error) {
            EXPECT_EQ(std::string(error.what()), std::string("x.adi: not a Cabrillo or ADIF log (") + c.why + ")");
        }
    }
    EXPECT_TRUE(readContestLog("<ADIF_VER:5>3.1.4 <EOH>\n", "h.adi").qsos.empty());
}

std::string utf16(const std::string& text, bool bigEndian, bool withMark)
{
    std::string bytes = withMark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (unsigned char c : text) {
        const std::string unit = c == 0xE9 ? std::string("\x04\x10", 2) : std::string(1, '\0') + static_cast<char>(c);
        bytes += bigEndian ? unit : std::string{unit[1], unit[0]};
    }
    return bytes;
}

// UTF-16 in either byte order, with or without a mark, reads as the same
// log written in 8 bits; a character beyond Latin-1 is one byte, so ADIF
// lengths still count right.
TEST(LogShapes, Utf16ReadsAsEightBitText)
{
    const std::string text = "<EOH><NAME:4>Jos\xE9 <CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW <QSO_DATE:8>20251220 "
                             "<TIME_ON:4>2100 <STX:2>16 <SRX:2>07 <EOR>\r\n";
    const std::vector<std::string> expected = qsoLines(readContestLog(text, "u.adi"));
    ASSERT_EQ(expected.size(), 1u);
    for (bool bigEndian : {false, true})
        for (bool withMark : {false, true}) {
            const ContestLog log = readContestLog(utf16(text, bigEndian, withMark), "u.adi");
            EXPECT_EQ(qsoLines(log), expected) << bigEndian << withMark;
            EXPECT_TRUE(log.skipped.empty());
            EXPECT_EQ(log.notes.front(), "u.adi: read as UTF-16 text");
        }
}

// A character beyond the 16-bit plane, a pair of UTF-16 units, is one
// character: ADIF lengths after it still count right, and the text quoted
// keeps it whole.
TEST(LogShapes, Utf16SurrogatePairsAreOneCharacter)
{
    // No blank after the name: a length counted wrong eats the next tag.
    const std::string before = "<EOH><NAME:4>Jos";
    const std::string after = "<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW "
                              "<QSO_DATE:8>20251220 <TIME_ON:4>2100 <STX:2>16 <SRX:2>07 <EOR>\r\n";
    const std::vector<std::string> expected = qsoLines(readContestLog(before + "?" + after, "e.adi"));
    ASSERT_EQ(expected.size(), 1u);
    for (bool bigEndian : {false, true}) {
        std::string bytes = utf16(before, bigEndian, true);
        for (const std::string unit : {std::string("\xD8\x3D", 2), std::string("\xDE\x00", 2)})
            bytes += bigEndian ? unit : std::string{unit[1], unit[0]};
        bytes += utf16(after, bigEndian, false);
        const ContestLog log = readContestLog(bytes, "e.adi");
        EXPECT_EQ(qsoLines(log), expected) << bigEndian;
        EXPECT_TRUE(log.skipped.empty()) << bigEndian;
        EXPECT_NE(logFileText(bytes).find("Jos\xF0\x9F\x98\x80<CALL:4>"), std::string::npos) << bigEndian;
    }
}

// Control bytes make a file binary from one in a hundred on.
TEST(LogShapes, ControlBytesMakeAFileBinaryFromOneInAHundred)
{
    for (int controls : {0, 1, 2, 3}) {
        std::string text = "START-OF-LOG: 3.0\nCALLSIGN: R5RA\nSOAPBOX: ";
        text += std::string(199 - text.size(), 'x') + "\n";
        ASSERT_EQ(text.size(), 200u);
        for (int i = 0; i < controls; ++i)
            text[60 + i] = '\x01';
        try {
            readContestLog(text, "c.log");
            EXPECT_LT(controls, 2);
        } catch (const LogFileError& error) {
            EXPECT_GE(controls, 2) << error.what();
            EXPECT_NE(std::string(error.what()).find("binary data"), std::string::npos);
        }
    }
}

// Of all 256 bytes, those below a space but the blanks (tab to CR) and
// the DOS end-of-file mark are control bytes; two in two hundred make the
// file binary, whatever else it holds.
TEST(LogShapes, EveryByteBelowASpaceButBlanksAndTheEndMarkIsAControlByte)
{
    const std::string notControls = "\t\n\v\f\r\x1A";
    for (int byte = 0; byte < 256; ++byte) {
        std::string text = "START-OF-LOG: 3.0\nCALLSIGN: R5RA\nSOAPBOX: ";
        text += std::string(199 - text.size(), 'x') + "\n";
        text[60] = text[61] = static_cast<char>(byte);
        const bool control = byte < 0x20 && notControls.find(static_cast<char>(byte)) == std::string::npos;
        bool binary = false;
        try {
            readContestLog(text, "c.log");
        } catch (const LogFileError& error) {
            binary = std::string(error.what()).find("binary data") != std::string::npos;
        }
        EXPECT_EQ(binary, control) << byte;
    }
}

// A log with every shape above reads as the same QSOs written cleanly.
TEST(LogShapes, EveryShapeReadsAsTheCleanLog)
{
    const ContestLog clean = readContestLogFile(REPLAY_TEST_LOGS "/every-shape-clean.log");
    ASSERT_EQ(clean.qsos.size(), 8u);
    for (const char* messy : {"/every-shape.adi", "/every-shape-cabrillo.adi"}) {
        const ContestLog log = readContestLogFile(std::string(REPLAY_TEST_LOGS) + messy);
        EXPECT_TRUE(log.skipped.empty()) << messy;
        EXPECT_EQ(qsoLines(log, judgedLine), qsoLines(clean, judgedLine)) << messy;
        for (const LoggedQso& qso : log.qsos)
            EXPECT_TRUE(!qso.exchangeSent.empty() && !qso.exchangeReceived.empty()) << messy << ":" << qso.line;
    }
}

// The text with each of its LF line ends written as `ends` says, in turn:
// "\n", "\r\n" or "\r".
std::string withLineEnds(const std::string& text, const std::vector<std::string>& ends)
{
    std::string out;
    std::size_t next = 0;
    for (char c : text)
        out += c == '\n' ? ends[next++ % ends.size()] : std::string(1, c);
    return out;
}

std::string numberedLine(const LoggedQso& q) { return std::to_string(q.line) + ": " + qsoLine(q); }

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.empty() || line.back() != '\r' ? line : line.substr(0, line.size() - 1));
    return lines;
}

// Files edited on different systems: CR LF, LF and CR alone, mixed in one
// file, all end a line; the header, the QSOs, the line numbers and the
// lines quoted are those of the file written with LF alone.
TEST(LogShapes, EveryKindOfLineEndEndsALine)
{
    const std::string adifQso = "<QSO_DATE:8>20251220 <STX:2>16 <SRX:2>07 ";
    const struct {
        const char* fileName;
        std::string text;
    } logs[] = {
        {"m.log", "START-OF-LOG: 3.0\nCALLSIGN: LZ8KD\nCATEGORY-OPERATOR: SINGLE-OP\n\n"
                  "QSO: 3512 CW 2025-12-20 2100 LZ8KD 599 16 R5RA 599 07\nQSO: 3512 XX 2025-12-20 2101 LZ8KD\n"
                  "QSO: 7012 CW 2025-12-20 2102 LZ8KD 599 16 UA3AA 599 08\nEND-OF-LOG:\n"},
        {"m.adi", "header\n<EOH>\n<CALL:4>R5RA <FREQ:5>3.512 <MODE:2>CW " + adifQso + "<TIME_ON:4>2100 <EOR>\n\n" +
                      "<CALL:5>UA3AA <FREQ:5>3.512 <MODE:2>CW " + adifQso + "<TIME_ON:3>210 <EOR>\n" +
                      "<CALL:5>UA3AB <FREQ:5>7.012 <MODE:2>CW " + adifQso + "<TIME_ON:4>2102 <EOR>\n"},
    };
    const std::vector<std::vector<std::string>> endings = {
        {"\r\n"}, {"\r"}, {"\r", "\n", "\r\n"}, {"\r\n", "\r"}, {"\n", "\r"}};
    for (const auto& log : logs) {
        const ContestLog plain = readContestLog(log.text, log.fileName);
        ASSERT_EQ(plain.qsos.size(), 2u) << log.fileName;
        ASSERT_EQ(plain.skipped.size(), 1u) << log.fileName;
        for (const auto& ends : endings) {
            const std::string bytes = withLineEnds(log.text, ends);
            const std::string seen = std::string(log.fileName) + " " + ::testing::PrintToString(ends);
            const ContestLog read = readContestLog(bytes, log.fileName);
            EXPECT_EQ(read.ownCallsign, plain.ownCallsign) << seen;
            EXPECT_EQ(read.header, plain.header) << seen;
            EXPECT_EQ(qsoLines(read, numberedLine), qsoLines(plain, numberedLine)) << seen;
            EXPECT_EQ(described(read.skipped), described(plain.skipped)) << seen;
            EXPECT_EQ(linesOf(logFileText(bytes)), linesOf(log.text)) << seen;
            EXPECT_EQ(qsoLines(readContestLog(utf16(bytes, false, true), log.fileName), numberedLine),
                      qsoLines(plain, numberedLine))
                << seen;
        }
    }
}

TEST(ReadingSummary, ListsTwentyLinesThenCountsTheRest)
{
    ContestLog log;
    for (int line = 1; line <= 23; ++line)
        log.skipped.push_back({"x.log", line, {MessageId::AfterEndOfLog}});
    log.warnings.push_back({"x.log", 30, {MessageId::RecordWithoutMode}});
    log.notes.push_back("x.log: a note");
    log.qsos.resize(5);
    log.excludedQsos = 1;
    std::ostringstream messages, summary;
    printLineMessages(log, messages);
    printReadingSummary(log, "x.log", summary);
    std::string expected;
    for (int line = 1; line <= 20; ++line)
        expected += "x.log:" + std::to_string(line) + ": after END-OF-LOG:\n";
    expected += "... and 3 more lines skipped\nx.log:30: record has no MODE\n";
    EXPECT_EQ(messages.str(), expected);
    EXPECT_EQ(summary.str(), "x.log: a note\nx.log: 5 QSOs read, 23 lines skipped, 1 X-QSO line left out as the log asks\n");
}

}  // namespace
