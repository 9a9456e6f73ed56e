#include "logplay/log_plan.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "contest/ole_date.h"
#include "score/scoring.h"

namespace {

bool earlier(const CivilTime& a, const CivilTime& b)
{
    const auto fields = [](const CivilTime& t) { return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second); };
    return fields(a) < fields(b);
}

}  // namespace

ReplayPlan planReplay(ContestLog log, const LogPlanOptions& options, const CountryPrefixes& countries)
{
    ReplayPlan plan;
    plan.ownCallsign = options.ownCallsign.empty() ? log.ownCallsign : options.ownCallsign;
    if (plan.ownCallsign.empty())
        throw LogPlanError("the log names no own callsign");
    plan.ownCountryPrefix =
        options.ownCountryPrefix.empty() ? countries.countryOf(plan.ownCallsign) : options.ownCountryPrefix;
    plan.contestStart = options.contestStart;
    plan.contestEnd = options.contestEnd;
    std::set<std::string> reported;
    plan.qsos.reserve(log.qsos.size());
    plan.countryPrefixes.reserve(log.qsos.size());
    for (LoggedQso& qso : log.qsos) {
        if (!options.ownCallsign.empty() || qso.ownCallsign.empty())
            qso.ownCallsign = plan.ownCallsign;
        if (!options.period.contains(qso.time)) {
            plan.outsideContest.push_back(std::move(qso));
            continue;
        }
        if (!options.contestStart && (!plan.contestStart || earlier(qso.time, *plan.contestStart)))
            plan.contestStart = midnightOf(qso.time);
        if (!options.contestEnd && (!plan.contestEnd || earlier(*plan.contestEnd, midnightOf(qso.time))))
            plan.contestEnd = midnightOf(qso.time);
        std::string country = countries.countryOf(qso.workedCallsign);
        // The contest's own stations are in no country file, and need none.
        if (country.empty() && !isContestStation(qso.workedCallsign) && reported.insert(qso.workedCallsign).second)
            plan.callsWithoutCountry.push_back(qso.workedCallsign);
        plan.countryPrefixes.push_back(std::move(country));
        plan.qsos.push_back(std::move(qso));
    }
    const auto [first, last] = std::minmax_element(
        plan.qsos.begin(), plan.qsos.end(), [](const LoggedQso& a, const LoggedQso& b) { return earlier(a.time, b.time); });
    if (first != plan.qsos.end())
        plan.logSpanDays = oleDateFromCivilTime(last->time) - oleDateFromCivilTime(first->time);
    return plan;
}
