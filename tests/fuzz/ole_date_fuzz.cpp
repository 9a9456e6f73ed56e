// The date conversion on any date value and pattern: a breakdown is a real
// calendar time within half a second of the value, it survives the way back
// unchanged, hour() and format() agree with it, and no pattern writes more
// than 255 bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>

#include "contest/ole_date.h"

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

bool isCalendarTime(const CivilTime& t)
{
    return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 &&
           t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

// Days on a line that runs forwards: before the epoch the fraction of an OLE
// date counts forwards from a day that counts backwards.
double linearDays(double oleDate)
{
    const double whole = oleDate < 0 ? std::ceil(oleDate) : std::floor(oleDate);
    return whole + std::fabs(oleDate - whole);
}

bool sameTime(const CivilTime& a, const CivilTime& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const double date = input.ConsumeFloatingPoint<double>();
    const int32_t status = input.ConsumeIntegral<int32_t>();
    const std::string pattern = input.ConsumeRemainingBytesAsString();
    const OleDateTime value{date, status};

    check(value.format(pattern.c_str()).size() <= 255);
    const auto time = civilTimeFromOleDate(date);
    if (status != OleDateTime::Valid || !time) {
        check(value.hour() == -1);
        return 0;
    }
    check(isCalendarTime(*time));
    check(value.hour() == time->hour);
    check(value.format("%Y-%m-%d %H:%M:%S") == formatCivilTime(*time, "%Y-%m-%d %H:%M:%S"));

    const double back = oleDateFromCivilTime(*time);
    // Half a second of rounding, and the value's own precision.
    const double slackDays = 0.5 / 86400 + std::fabs(date) * 4e-16 + 1e-12;
    check(std::fabs(linearDays(back) - linearDays(date)) <= slackDays);
    if (const auto again = civilTimeFromOleDate(back))
        check(sameTime(*again, *time));
    return 0;
}
