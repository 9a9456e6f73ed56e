// The plan of calls made from a log: defaults taken from the log, options
// over them, and the QSOs outside the contest's days left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "logplay/log_plan.h"

namespace {

std::string dateText(const std::optional<CivilTime>& time)
{
    return time ? formatCivilTime(*time, "%Y-%m-%d %H%M") : "none";
}

CountryPrefixes countries()
{
    std::istringstream in(
        "European Russia: 16: 29: EU: 53.65: -41.37: -4.0: UA:\n    R,U;\n"
        "Fed. Rep. of Germany: 14: 28: EU: 51.00: -10.00: -1.0: DL:\n    DA,DL;\n");
    return CountryPrefixes::read(in, "fixture.dat");
}

LoggedQso qso(const char* own, const char* worked, CivilTime time)
{
    LoggedQso q;
    q.ownCallsign = own;
    q.workedCallsign = worked;
    q.time = time;
    return q;
}

TEST(ReplayPlan, TakesDefaultsFromTheLog)
{
    ContestLog log;
    log.ownCallsign = "RA3XYZ";
    log.qsos = {qso("RA3XYZ", "DL1ABC", {2025, 12, 21, 0, 5, 0}), qso("", "QZ3ZBB", {2025, 12, 20, 21, 0, 0}),
                qso("RA3XYZ", "QZ3ZBB", {2025, 12, 20, 23, 59, 0}), qso("RA3XYZ", "UA3RAB", {2025, 12, 22, 0, 0, 0})};
    const ReplayPlan plan = planReplay(log, LogPlanOptions{}, countries());
    EXPECT_EQ(plan.ownCallsign, "RA3XYZ");
    EXPECT_EQ(plan.ownCountryPrefix, "UA");
    EXPECT_EQ(dateText(plan.contestStart), "2025-12-20 0000");
    EXPECT_EQ(dateText(plan.contestEnd), "2025-12-22 0000");
    const std::vector<std::string> prefixes = {"DL", "", "", "UA"};
    EXPECT_EQ(plan.countryPrefixes, prefixes);
    EXPECT_TRUE(plan.callsWithoutCountry.empty());  // the contest's own station needs no country
    EXPECT_EQ(plan.qsos[1].ownCallsign, "RA3XYZ");  // a QSO without its own call gets the log's
}

TEST(ReplayPlan, OptionsOverrideTheLog)
{
    ContestLog log;
    log.ownCallsign = "RA3XYZ";
    log.qsos = {qso("RA3XYZ", "DL1ABC", {2025, 12, 21, 0, 5, 0})};
    LogPlanOptions options;
    options.ownCallsign = "DL9ZZ";
    options.ownCountryPrefix = "XX";
    options.contestStart = CivilTime{2025, 12, 1, 0, 0, 0};
    const ReplayPlan plan = planReplay(log, options, countries());
    EXPECT_EQ(plan.ownCallsign, "DL9ZZ");
    EXPECT_EQ(plan.ownCountryPrefix, "XX");
    EXPECT_EQ(plan.qsos[0].ownCallsign, "DL9ZZ");
    EXPECT_EQ(dateText(plan.contestStart), "2025-12-01 0000");
    EXPECT_EQ(dateText(plan.contestEnd), "2025-12-21 0000");
    EXPECT_THROW(planReplay(ContestLog{}, LogPlanOptions{}, countries()), LogPlanError);
}

// The contest's days, both included, as the replay tool takes them; QSOs outside them
// are left out, and the span of what is replayed is measured.
TEST(ReplayPlan, LeavesOutQsosOutsideTheContest)
{
    ContestLog log;
    log.ownCallsign = "RA3XYZ";
    log.qsos = {qso("", "DL1ABC", {2025, 12, 19, 23, 59, 59}), qso("", "XX9XX", {2025, 12, 20, 0, 0, 0}),
                qso("", "XX9XX", {2025, 12, 21, 23, 59, 59}), qso("", "UA3RAB", {2025, 12, 22, 0, 0, 0})};
    using Day = std::optional<CivilTime>;
    struct Case {
        Day start, end;
        std::vector<std::string> replayed, outside;
        double span;
    };
    const Case cases[] = {
        {{}, {}, {"DL1ABC", "XX9XX", "XX9XX", "UA3RAB"}, {}, 2.0 + 1.0 / 86400},
        {CivilTime{2025, 12, 20, 0, 0, 0}, CivilTime{2025, 12, 21, 0, 0, 0}, {"XX9XX", "XX9XX"}, {"DL1ABC", "UA3RAB"},
         2.0 - 1.0 / 86400},
        {CivilTime{2025, 12, 21, 0, 0, 0}, {}, {"XX9XX", "UA3RAB"}, {"DL1ABC", "XX9XX"}, 1.0 / 86400},
        {{}, CivilTime{2025, 12, 19, 0, 0, 0}, {"DL1ABC"}, {"XX9XX", "XX9XX", "UA3RAB"}, 0},
    };
    const auto calls = [](const std::vector<LoggedQso>& qsos) {
        std::vector<std::string> worked;
        for (const LoggedQso& q : qsos)
            worked.push_back(q.workedCallsign);
        return worked;
    };
    for (const Case& c : cases) {
        LogPlanOptions options;
        options.period = ContestPeriod::ofDays(c.start, c.end);
        const ReplayPlan plan = planReplay(log, options, countries());
        EXPECT_EQ(calls(plan.qsos), c.replayed);
        EXPECT_EQ(calls(plan.outsideContest), c.outside);
        EXPECT_EQ(plan.countryPrefixes.size(), plan.qsos.size());
        EXPECT_NEAR(plan.logSpanDays, c.span, 1e-7);
        const bool unknownReplayed = std::count(c.replayed.begin(), c.replayed.end(), "XX9XX") > 0;
        EXPECT_EQ(plan.callsWithoutCountry, std::vector<std::string>(unknownReplayed ? 1 : 0, "XX9XX"));
    }
}

// The period by the minute, as the checker gives it: the start's minute
// inside, the end's outside, the seconds of a minute with it, and a day
// after the end (where the days above reach) outside.
TEST(ContestPeriod, StartsInsideAndEndsOutsideToTheMinute)
{
    const CivilTime start{2025, 12, 20, 20, 0, 0}, end{2025, 12, 21, 20, 0, 0};
    struct Case {
        CivilTime time;
        bool inside;
    };
    const Case cases[] = {
        {{2025, 12, 20, 19, 59, 59}, false}, {{2025, 12, 20, 20, 0, 0}, true},
        {{2025, 12, 21, 19, 59, 0}, true},   {{2025, 12, 21, 19, 59, 59}, true},
        {{2025, 12, 21, 20, 0, 0}, false},   {{2025, 12, 21, 23, 59, 0}, false},
        {{2025, 12, 22, 0, 0, 0}, false},    {{2024, 2, 29, 12, 0, 0}, false},
    };
    ContestLog log;
    log.ownCallsign = "RA3XYZ";
    for (const Case& c : cases)
        log.qsos.push_back(qso("", formatCivilTime(c.time, "%d%H%M%S").c_str(), c.time));
    LogPlanOptions options;
    options.period = {start, end};
    const ReplayPlan plan = planReplay(log, options, countries());
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        EXPECT_EQ(options.period.contains(c.time), c.inside) << formatCivilTime(c.time, "%Y-%m-%d %H:%M:%S");
        if (c.inside)
            expected.push_back(formatCivilTime(c.time, "%d%H%M%S"));
    }
    std::vector<std::string> replayed;
    for (const LoggedQso& q : plan.qsos)
        replayed.push_back(q.workedCallsign);
    EXPECT_EQ(replayed, expected);

    const ContestPeriod days = ContestPeriod::ofDays(start, end);
    EXPECT_TRUE(days.contains({2025, 12, 20, 0, 0, 0}));
    EXPECT_TRUE(days.contains({2025, 12, 21, 23, 59, 59}));
    EXPECT_FALSE(days.contains({2025, 12, 22, 0, 0, 0}));
    EXPECT_TRUE(ContestPeriod{}.contains({1900, 1, 1, 0, 0, 0}));
}

}  // namespace
