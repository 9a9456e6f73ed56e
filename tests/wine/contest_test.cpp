// A contest run through the real DLL: reset, QSOs, the call check against
// the real clock, and the results text with its settings write.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "scratch_host.h"
#include "support/scratch_dir.h"
#include "support/worked_example.h"

namespace {

OleDateTime utc(int year, int month, int day, int hour, int minute)
{
    return {oleDateFromCivilTime({year, month, day, hour, minute, 0}), OleDateTime::Valid};
}

QsoCall qso(const char* worked, const char* band, const char* mode, const char* prefix)
{
    QsoCall q;
    q.worked = worked;
    q.band = band;
    q.mode = mode;
    q.countryPrefix = prefix;
    q.time = utc(2015, 6, 14, 13, 5);
    return q;
}

class Contest : public DllTest {
protected:
    // "Start" set: the reset then leaves the mode panel closed.
    void reset(const char* ownPrefix = "UA")
    {
        writeFileBytes(kSettingsPath, "[Settings]\r\nStart=1\r\n");
        dll->reset(0, "UA3XYZ", utc(2015, 6, 14, 12, 0), utc(2015, 6, 15, 12, 0), ownPrefix);
    }
};

TEST_F(Contest, ResultsForTheWorkedFiguresAndClaimedInTheSettings)
{
    reset();
    for (const WorkedQso& q : kWorkedQsos)
        dll->addData(qso(q.callsign, q.band, q.mode, q.countryPrefix));
    const std::string expected = kWorkedResults;
    int out = 0;
    const char* text = dll->GetResult0(&out);
    EXPECT_EQ(out, -1);
    EXPECT_EQ(text, expected);
    EXPECT_NE(fileBytes(kSettingsPath).find("Claimed=39\r\n"), std::string::npos);
    // The host may read the text until its next call.
    dll->addData(qso("K2XYZ", "80m", "CW", "K"));
    EXPECT_EQ(text, expected);
    EXPECT_EQ(dll->result(), dll->result());
}

TEST_F(Contest, BandRowsStandInRowOrderWhateverTheOrderOfLogging)
{
    reset();
    for (const char* band : {"40m", "2m", "70cm", "80m"})
        dll->addData(qso("K1ABC", band, "CW", "K"));
    const std::string text = dll->result();
    const std::size_t rows[] = {text.find("70cm\t"), text.find("80m\t"), text.find("40m\t"), text.find("2m\t")};
    for (std::size_t i = 1; i < std::size(rows); ++i)
        EXPECT_LT(rows[i - 1], rows[i]) << i;
    EXPECT_NE(text.find("70cm\t 1\t 1\t\t 1\t 0\r\n80m\t 1\t 1\t\t 1\t 0\r\n"), std::string::npos);
}

TEST_F(Contest, ResetStartsTheErrorLogAndForgetsTheLog)
{
    writeFileBytes("err.txt", "earlier run\r\n");
    dll->addData(qso("K1ABC", "80m", "CW", "K"));
    reset();
    EXPECT_EQ(fileBytes("err.txt"), "ZEMRIX TEST UBN file \r\n");
    EXPECT_NE(dll->result().find("Total\t 0\t 0\t 0\t 0\t 0\r\n"), std::string::npos);
    EXPECT_NE(fileBytes(kSettingsPath).find("Start=0\r\n"), std::string::npos);
}

// The check compares with the hour of the UTC clock; the test runs with the
// machine's zone far from UTC, so local time would fail it.
TEST_F(Contest, CallCheckWarnsWithinTheCurrentUtcHour)
{
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    if (now.wMinute == 59 && now.wSecond > 50)
        ::Sleep(11000);
    ::GetSystemTime(&now);
    reset("UA");
    QsoCall same = qso("K1ABC", "40m", "CW", "K");
    same.time = utc(2014, 1, 1, now.wHour, 0);
    dll->addData(same);
    QsoCall otherHour = qso("K2ABC", "40m", "CW", "K");
    otherHour.time = utc(2014, 1, 1, (now.wHour + 1) % 24, 0);
    dll->addData(otherHour);

    char message[100];
    std::memset(message, 0, sizeof message);
    EXPECT_EQ(dll->checkCall("K1ABC", "CW", "40m", message), 0);
    EXPECT_STREQ(message, "QSO \xD1 K1ABC \xC1\xD3\xC4\xC5\xD2 \xCF\xCE\xC2\xD2\xCE\xD0\xCD\xDB\xCC !!!");
    std::strcpy(message, "kept");
    EXPECT_EQ(dll->checkCall("K2ABC", "CW", "40m", message), 1);
    EXPECT_EQ(dll->checkCall("K1ABC", "SSB", "40m", message), 1);
    EXPECT_STREQ(message, "kept");

    reset("DL");
    dll->addData(same);
    EXPECT_EQ(dll->checkCall("K1ABC", "CW", "40m", message), 0);
    EXPECT_STREQ(message, "QSO WITH K1ABC WHILE IT IS IMPOSSIBLE !!!");
}

}  // namespace
