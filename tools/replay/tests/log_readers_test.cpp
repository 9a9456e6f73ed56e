// The Cabrillo and ADIF readers: what a QSO turns into, and how every line
// that cannot be replayed is reported with its file and line.
#include <gtest/gtest.h>

#include <sstream>

#include "adif_reader.h"
#include "cabrillo_reader.h"
#include "replay_options.h"

namespace {

ContestLog cabrillo(const std::string& text)
{
    std::istringstream in(text);
    return readCabrilloLog(in, "test.log");
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
        "X-QSO: 3512 CW 2025-12-20 2105 RA3XYZ 599 16 DL1ABC 579 07\n"
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
        "test.log:9: X-QSO: excluded from scoring by the log itself",
        "test.log:10: not a Cabrillo line (no \"TAG:\")",
        "test.log:12: after END-OF-LOG:",
    };
    std::vector<std::string> described;
    for (const SkippedLine& line : log.skipped)
        described.push_back(line.describe());
    EXPECT_EQ(described, expected);
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
    expectQso(log.qsos[1], {"UA3AA", "R3RA", "40m", "SSB", "2025-12-21 00:02:00", "", "5", "", "031", 0});
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
        "<CALL:6>DL1ABC <BAND:3>80m <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105\n"
        "<CALL:6>DL1ABC <BAND:3>80m <MODE:2>CW <QSO_DATE:8>20251220 <TIME_ON:4>2105 <COMMENT:99>x");
    EXPECT_EQ(log.qsos.size(), 1u);
    const std::vector<std::string> expected = {
        "test.adi:3: record has no CALL",
        "test.adi:4: record has neither BAND nor FREQ",
        "test.adi:5: FREQ 9.01 MHz lies in no amateur band",
        "test.adi:6: QSO_DATE \"20251320\" is not a calendar date YYYYMMDD",
        "test.adi:7: data specifier <CALL:x> has no valid length",
        "test.adi:8: record not closed by <EOR>",
        "test.adi:9: field <COMMENT:99> runs past the end of the file",
    };
    std::vector<std::string> described;
    for (const SkippedLine& line : log.skipped)
        described.push_back(line.describe());
    EXPECT_EQ(described, expected);
}

TEST(AdifReader, ReportsARecordLeftOpenAtTheEnd)
{
    const ContestLog log = adif("<EOH>\n<CALL:6>DL1ABC <BAND:3>80m <MODE:2>CW\n");
    ASSERT_EQ(log.skipped.size(), 1u);
    EXPECT_EQ(log.skipped[0].describe(), "test.adi:2: record not closed by <EOR>");
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

TEST(LogFiles, AMissingFileIsAnError)
{
    EXPECT_THROW(readContestLogFile(REPLAY_SAMPLE_DIR "/no-such.log"), LogFileError);
}

}  // namespace
