// Our date breakdown against the platform's VariantTimeToSystemTime, which
// the host's own date type uses: the same calendar time, to the second, for
// every value, or the same refusal.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "contest/ole_date.h"

namespace {

void expectSameBreakdown(double date)
{
    SYSTEMTIME platform{};
    const bool platformOk = ::VariantTimeToSystemTime(date, &platform) != 0;
    const auto ours = civilTimeFromOleDate(date);
    ASSERT_EQ(platformOk, ours.has_value()) << std::hexfloat << date;
    if (!ours)
        return;
    EXPECT_EQ(ours->year, platform.wYear) << std::hexfloat << date;
    EXPECT_EQ(ours->month, platform.wMonth) << std::hexfloat << date;
    EXPECT_EQ(ours->day, platform.wDay) << std::hexfloat << date;
    EXPECT_EQ(ours->hour, platform.wHour) << std::hexfloat << date;
    EXPECT_EQ(ours->minute, platform.wMinute) << std::hexfloat << date;
    EXPECT_EQ(ours->second, platform.wSecond) << std::hexfloat << date;
}

// Not a number is left out: the platform breaks it down into whatever its
// conversions yield, where we answer "Invalid DateTime".
TEST(DateCrossCheck, RangeEndsAndDayBoundaries)
{
    for (double date : {-657435.0, -657434.99999, -657434.5, -657434.0, -1.0, -0.5, 0.0, 1.0, 60.0, 61.0, 2958465.0,
                        2958465.99999, 2958465.999999, 2958466.0, 1e9, -1e9, HUGE_VAL})
        expectSameBreakdown(date);
}

// Half a second either side of every second boundary of some days, where
// rounding carries into the next second, minute, hour or day.
TEST(DateCrossCheck, FractionsAroundEverySecondBoundary)
{
    for (double day : {-36525.0, -2.0, 0.0, 42169.0, 2958464.0}) {
        for (int second = 0; second <= 86400; second += 7) {
            for (double offset : {-0.5000001, -0.5, -0.4999999, -1e-7, 0.0, 1e-7, 0.4999999, 0.5, 0.5000001}) {
                const double fraction = (second + offset) / 86400.0;
                expectSameBreakdown(day < 0 ? day - fraction : day + fraction);
                if (HasFailure())
                    return;
            }
        }
    }
}

// Dates whose fraction leaves exactly half a second over the whole seconds,
// to the bit; the offsets above never hit one.
TEST(DateCrossCheck, ExactlyHalfASecondOver)
{
    for (double date : {0x1.6a9264b60edc9p-10, 0x1.02fffffff5014p+0, -0x1.52fffffff5014p+0})
        expectSameBreakdown(date);
}

TEST(DateCrossCheck, RandomDatesAcrossTheWholeRange)
{
    std::mt19937_64 random(20150614);
    std::uniform_real_distribution<double> anyDate(-660000.0, 2960000.0);
    std::uniform_real_distribution<double> modernDate(-10000.0, 60000.0);
    for (int i = 0; i < 200000 && !HasFailure(); ++i)
        expectSameBreakdown(i % 2 ? anyDate(random) : modernDate(random));
}

}  // namespace
