#include "rules/call_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/fake_platform.h"
#include "support/qso_builder.h"
#include "support/scratch_dir.h"

namespace {

// Seconds since 1970 for a UTC time, through the same calendar as the log.
std::time_t epochSeconds(int year, int month, int day, int hour, int minute)
{
    const double days = utc(year, month, day, hour, minute).date - utc(1970, 1, 1, 0, 0).date;
    return static_cast<std::time_t>(days * 86400.0 + 0.5);
}

class CallCheckTest : public ::testing::Test {
protected:
    void log(const std::string& call, const std::string& band, const std::string& mode, OleDateTime time,
             const std::string& prefix = "DL")
    {
        QsoFields qso = contestQso(call, band, mode, time);
        qso.countryPrefix = prefix;
        addQso(state, errors, qso);
    }
    CallCheck check(const std::string& call, const std::string& band = "40m", const std::string& mode = "CW")
    {
        return checkCall(state, platform, call, mode, band);
    }

    ScratchDir dir;
    ContestState state;
    ErrorLog errors{portableFileSystem()};
    FakePlatform platform;
};

TEST_F(CallCheckTest, AStationMayNotBeWorkedAgainInTheSameClockHour)
{
    log("K1ABC", "40m", "CW", utc(2015, 6, 14, 9, 30));
    platform.now = epochSeconds(2015, 6, 14, 9, 59);
    EXPECT_FALSE(check("K1ABC").mayWork);
    EXPECT_TRUE(check("K1ABC", "40m", "SSB").mayWork);
    EXPECT_TRUE(check("K1ABC", "80m", "CW").mayWork);
    EXPECT_TRUE(check("k1abc").mayWork);
    EXPECT_TRUE(check("").mayWork);
    // Only the hour of the day counts, not the date.
    platform.now = epochSeconds(2016, 1, 2, 9, 0);
    EXPECT_FALSE(check("K1ABC").mayWork);
    platform.now = epochSeconds(2015, 6, 14, 10, 0);
    EXPECT_TRUE(check("K1ABC").mayWork);
}

TEST_F(CallCheckTest, RecordsWithoutAValidTimeNeverConflict)
{
    log("K1ABC", "40m", "CW", OleDateTime::null());
    log("K1ABC", "40m", "CW", OleDateTime{0.0, OleDateTime::Invalid});
    platform.now = epochSeconds(1970, 1, 1, 0, 0);
    EXPECT_TRUE(check("K1ABC").mayWork);
}

TEST_F(CallCheckTest, WarningLanguageFollowsTheCountryPrefixes)
{
    platform.now = epochSeconds(2015, 6, 14, 9, 45);
    log("K1ABC", "40m", "CW", utc(2015, 6, 14, 9, 30), "K");
    EXPECT_EQ(check("K1ABC").warning, "QSO WITH K1ABC WHILE IT IS IMPOSSIBLE !!!");

    state.ownCountryPrefix = "UA";
    const char russian[] = "\x51\x53\x4F\x20\xD1\x20K1ABC\x20\xC1\xD3\xC4\xC5\xD2\x20\xCF\xCE\xC2\xD2\xCE\xD0\xCD\xDB"
                           "\xCC\x20\x21\x21\x21";
    EXPECT_EQ(check("K1ABC").warning, russian);

    state.ownCountryPrefix = "UA9";
    EXPECT_EQ(check("K1ABC").warning, "QSO WITH K1ABC WHILE IT IS IMPOSSIBLE !!!");
    log("UA9ABC", "80m", "CW", utc(2015, 6, 14, 9, 40), "UA9");
    EXPECT_EQ(check("K1ABC").warning, russian);
}

TEST_F(CallCheckTest, EveryCheckPostponesTheMultiplierRefresh)
{
    for (int i = 0; i < 5; ++i)
        check("K1A");
    EXPECT_EQ(platform.refreshPostponements, 5);
}

// Around the buffer's size: a warning that fits with its terminator stays
// whole, one byte more is cut, and the byte after the buffer is never touched.
TEST_F(CallCheckTest, AWarningIsCutToFitTheHostsBuffer)
{
    constexpr char kGuard = '#';
    for (std::size_t length : {5u, 98u, 99u, 100u, 101u, 300u}) {
        char buffer[kWarningBufferSize + 1];
        std::memset(buffer, kGuard, sizeof buffer);
        const std::string warning(length, 'W');
        copyWarning(warning, buffer, kWarningBufferSize);
        const std::size_t kept = std::min(length, kWarningBufferSize - 1);
        EXPECT_EQ(std::string(buffer), warning.substr(0, kept)) << length;
        EXPECT_EQ(buffer[kWarningBufferSize], kGuard) << length;
    }
    copyWarning("ignored", nullptr, kWarningBufferSize);
}

}  // namespace
