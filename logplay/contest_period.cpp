#include "logplay/contest_period.h"

#include <cmath>

namespace {

std::optional<CivilTime> dayAfter(const std::optional<CivilTime>& day)
{
    if (!day)
        return std::nullopt;
    return civilTimeFromOleDate(oleDateFromCivilTime(midnightOf(*day)) + 1.0);
}

}  // namespace

CivilTime midnightOf(CivilTime time)
{
    time.hour = time.minute = time.second = 0;
    return time;
}

// From the whole day and the clock's fields rather than from the OLE date's
// fraction, which holds 20:00 only to within a rounding error: 19:59:59 is
// still minute 19:59, inside a period that ends at 20:00.
int64_t minuteOf(const CivilTime& time)
{
    const int64_t day = std::llround(oleDateFromCivilTime(midnightOf(time)));
    return day * 24 * 60 + time.hour * 60 + time.minute;
}

ContestPeriod ContestPeriod::ofDays(const std::optional<CivilTime>& firstDay, const std::optional<CivilTime>& lastDay)
{
    ContestPeriod period;
    if (firstDay)
        period.start = midnightOf(*firstDay);
    period.end = dayAfter(lastDay);
    return period;
}

PeriodMinutes ContestPeriod::minutes() const
{
    PeriodMinutes minutes;
    if (start)
        minutes.first = minuteOf(*start);
    if (end)
        minutes.end = minuteOf(*end);
    return minutes;
}
