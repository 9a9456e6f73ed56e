// The contest period, the one place that says whether a QSO time lies in it.
// The one-log check, the cross-check and the replay tool all ask it, so a
// QSO in the period for one is in it for all.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include "contest/ole_date.h"

// The midnight that begins the time's day.
CivilTime midnightOf(CivilTime time);

// Whole minutes since the OLE epoch: the unit in which the checker compares
// times, corrects clocks and bounds the period.
int64_t minuteOf(const CivilTime& time);

// The period in whole minutes, worked out once for the many lines that
// are held against it.
struct PeriodMinutes {
    int64_t first = std::numeric_limits<int64_t>::min();  // inside
    int64_t end = std::numeric_limits<int64_t>::max();    // outside

    bool contains(int64_t minute) const { return minute >= first && minute < end; }
};

// UTC, the start's minute inside, the end's minute outside.  Either side may
// be open, and then no QSO falls outside that side.
struct ContestPeriod {
    std::optional<CivilTime> start, end;

    // The period from the first day's midnight to the midnight after the
    // last day: "the contest's days, both included".
    static ContestPeriod ofDays(const std::optional<CivilTime>& firstDay, const std::optional<CivilTime>& lastDay);

    bool contains(const CivilTime& time) const { return containsMinute(minuteOf(time)); }
    bool containsMinute(int64_t minute) const { return minutes().contains(minute); }
    PeriodMinutes minutes() const;
};
