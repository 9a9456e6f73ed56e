#include "contest/ole_date.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::string civil(double date)
{
    return OleDateTime{date, OleDateTime::Valid}.format("%Y-%m-%d %H:%M:%S");
}

// Values whose breakdown was read off VariantTimeToSystemTime: negative
// dates, half-second rounding, carries into the next day, the range ends.
TEST(OleDate, BreaksDownAsThePlatformDoes)
{
    const struct {
        double date;
        const char* expected;
    } cases[] = {
        {0.0, "1899-12-30 00:00:00"},
        {-1.25, "1899-12-29 06:00:00"},
        {-0.5, "1899-12-30 12:00:00"},
        {42169.5451388, "2015-06-14 13:05:00"},
        {36526.99999421, "2000-01-01 23:59:59"},
        {0.5 / 86400, "1899-12-30 00:00:01"},
        {0.49999 / 86400, "1899-12-30 00:00:00"},
        {-0.999999, "1899-12-31 00:00:00"},
        {-1.999999999, "1899-12-30 00:00:00"},
        {0.99999999999, "1899-12-31 00:00:00"},
        {12345.00000578, "1933-10-18 00:00:00"},
        {-657434.5, "100-01-01 12:00:00"},
        {2958465.99999, "9999-12-31 23:59:59"},
        {2958465.999999, "10000-01-01 00:00:00"},
        // Exactly half a second left over after the whole seconds (these
        // dates are rare: the fraction must come out as 0.5 to the bit).
        // It stays down.
        {0x1.6a9264b60edc9p-10, "1899-12-30 00:01:59"},
        {0x1.02fffffff5014p+0, "1899-12-31 00:16:52"},
        {-0x1.52fffffff5014p+0, "1899-12-29 07:46:52"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(civil(c.date), c.expected) << c.date;
}

TEST(OleDate, OutOfRangeOrNotValidFormatsAsInvalidAndHasNoHour)
{
    for (double date : {-657435.0, 2958466.0, 1e300, std::nan("")}) {
        EXPECT_EQ(civil(date), "Invalid DateTime") << date;
        EXPECT_EQ((OleDateTime{date, OleDateTime::Valid}.hour()), -1) << date;
    }
    EXPECT_EQ((OleDateTime{1.0, OleDateTime::Invalid}.format("%H")), "Invalid DateTime");
    EXPECT_EQ((OleDateTime{1.0, OleDateTime::Invalid}.hour()), -1);
    EXPECT_EQ(OleDateTime::null().format("%H"), "");
    EXPECT_EQ(OleDateTime::null().hour(), -1);
}

TEST(OleDate, FormatsThePatternsTheRulesUse)
{
    const OleDateTime time{oleDateFromCivilTime({2015, 6, 14, 13, 5, 0}), OleDateTime::Valid};
    EXPECT_EQ(time.format("%Y-%m-%d %H%M"), "2015-06-14 1305");
    EXPECT_EQ(time.format("%H:%M"), "13:05");
    EXPECT_EQ(time.format("%d.%m"), "14.06");
    EXPECT_EQ(time.format("%d.%m.%Y"), "14.06.2015");
    EXPECT_EQ(time.format("100%% %q"), "100% %q");
    EXPECT_EQ(time.hour(), 13);
    EXPECT_EQ(time.format(std::string(300, 'x').c_str()).size(), 255u);
}

TEST(OleDate, FormatsLongPatternsAndOddValuesWhole)
{
    std::string longPattern, longText;
    for (int i = 0; i < 40; ++i) {
        longPattern += "%Y-%m-%d %H:%M:%S|";
        longText += "2015-06-14 13:05:09|";
    }
    const struct {
        CivilTime time;
        std::string pattern, expected;
    } cases[] = {
        {{2015, 6, 14, 13, 5, 9}, longPattern, longText},
        {{2015, 6, 14, 13, 5, 9}, "%", "%"},
        {{2015, 6, 14, 13, 5, 9}, "%y %q %%", "15 %q %"},
        {{-5, -1, 0, 0, 0, 0}, "%Y|%y|%m|%d", "-5|-5|-1|00"},
        {{-2147483647 - 1, 1, 1, 0, 0, 0}, "%Y", "-2147483648"},
        {{123456789, 1, 1, 0, 0, 0}, "%Y %y", "123456789 89"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatCivilTime(c.time, c.pattern.c_str()), c.expected);
        std::string appended = "before ";
        appendCivilTime(appended, c.time, c.pattern.c_str());
        EXPECT_EQ(appended, "before " + c.expected);
    }
}

TEST(OleDate, CivilTimeRoundTripsBeforeAndAfterTheEpoch)
{
    for (CivilTime t : {CivilTime{1899, 12, 29, 6, 0, 0}, CivilTime{1850, 3, 1, 23, 59, 59},
                        CivilTime{2024, 2, 29, 0, 0, 1}, CivilTime{1900, 2, 28, 12, 30, 0}}) {
        const auto back = civilTimeFromOleDate(oleDateFromCivilTime(t));
        ASSERT_TRUE(back);
        EXPECT_EQ(formatCivilTime(*back, "%Y-%m-%d %H:%M:%S"), formatCivilTime(t, "%Y-%m-%d %H:%M:%S"));
    }
}

TEST(OleDate, EqualityFollowsTheStatus)
{
    const OleDateTime valid{100.25, OleDateTime::Valid};
    EXPECT_EQ(valid, (OleDateTime{100.25, OleDateTime::Valid}));
    EXPECT_NE(valid, (OleDateTime{100.25 + 1e-9, OleDateTime::Valid}));
    EXPECT_EQ(OleDateTime::null(), (OleDateTime{5.0, OleDateTime::Null}));
    EXPECT_NE((OleDateTime{1.0, OleDateTime::Invalid}), (OleDateTime{1.0, OleDateTime::Invalid}));
    EXPECT_NE(valid, OleDateTime::null());
}

}  // namespace
