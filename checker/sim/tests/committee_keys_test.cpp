// The committee's contest.ini keys on a simulated contest: each test fails
// when its key has no effect.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "base/whole_file.h"
#include "checker/cross_check.h"
#include "checker/known_busts.h"
#include "checker/reports.h"
#include "checker/sim/contest_sim.h"
#include "checker/standings.h"

namespace {

const CountryPrefixes& countries()
{
    static const CountryPrefixes prefixes = CountryPrefixes::load(SYSTEM_CTY_DAT);
    return prefixes;
}

const SimContest& contest()
{
    static const SimContest simulated = [] {
        SimSettings settings;
        settings.stations = 120;
        settings.seed = 7;
        return simulateContest(settings);
    }();
    return simulated;
}

std::vector<LogInput> logsOf(const SimContest& contest)
{
    std::vector<LogInput> logs;
    for (const SimStation& station : contest.stations)
        if (station.sendsLog)
            logs.push_back({station.callsign + ".log", cabrilloLog(contest, station)});
    return logs;
}

// The files a config names lie in the scratch folder.
CrossCheck checked(const std::string& extraKeys, bool reversed = false)
{
    std::vector<LogInput> logs = logsOf(contest());
    if (reversed)
        std::reverse(logs.begin(), logs.end());
    ContestConfig config = readContestConfig(contestIni(contest()) + extraKeys, "contest.ini");
    loadKnownBusts(config, SIM_SCRATCH_DIR);
    return crossCheck(std::move(logs), config, countries());
}

// Each ranked call's place, all categories taken as one table.
std::map<std::string, int> placeOfEachCall(const CrossCheck& check)
{
    std::vector<std::size_t> ranked;
    for (std::size_t i = 0; i < check.logs.size(); ++i)
        if (isRanked(check, check.logs[i]))
            ranked.push_back(i);
    ranked = inRankOrder(check, ranked);
    const std::vector<int> places = placesOf(check, ranked);
    std::map<std::string, int> placeOf;
    for (std::size_t k = 0; k < ranked.size(); ++k)
        placeOf[check.logs[ranked[k]].log.callsign] = places[k];
    return placeOf;
}

const CheckedLog& logOf(const CrossCheck& check, const std::string& callsign)
{
    return *std::find_if(check.logs.begin(), check.logs.end(),
                         [&](const CheckedLog& log) { return log.log.callsign == callsign; });
}

std::size_t lost(const CheckedLog& log) { return log.log.qsos.size() - log.score.countedQsos; }

}  // namespace

TEST(CommitteeKeys, EqualScoresShareAPlaceWhateverTheOrderOfTheFiles)
{
    const CrossCheck check = checked("");
    const std::map<std::string, int> places = placeOfEachCall(check);
    EXPECT_EQ(places, placeOfEachCall(checked("", true)));
    std::size_t ties = 0;
    for (const auto& [call, place] : places)
        for (const auto& [other, otherPlace] : places) {
            const bool tied = logOf(check, call).score.verifiedScore == logOf(check, other).score.verifiedScore;
            EXPECT_EQ(tied, place == otherPlace) << call << " " << other;
            ties += tied && call < other;
        }
    ASSERT_GT(ties, 0u) << "the simulated contest has no tie to test";
    // The place after a tie of two is two further on.
    std::vector<int> sorted;
    for (const auto& entry : places)
        sorted.push_back(entry.second);
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t k = 0; k < sorted.size(); ++k)
        EXPECT_TRUE(sorted[k] == static_cast<int>(k) + 1 || (k > 0 && sorted[k] == sorted[k - 1])) << k;
}

TEST(CommitteeKeys, TieBreakPutsTheLogThatLostFewerFirst)
{
    const CrossCheck check = checked("tie_break = fewer_lost\n");
    const std::map<std::string, int> places = placeOfEachCall(check);
    EXPECT_EQ(places, placeOfEachCall(checked("tie_break = fewer_lost\n", true)));
    std::size_t decided = 0;
    for (const auto& [call, place] : places)
        for (const auto& [other, otherPlace] : places) {
            const CheckedLog &a = logOf(check, call), &b = logOf(check, other);
            if (a.score.verifiedScore != b.score.verifiedScore || call == other)
                continue;
            EXPECT_EQ(lost(a) < lost(b), place < otherPlace) << call << " " << other;
            EXPECT_EQ(lost(a) == lost(b), place == otherPlace) << call << " " << other;
            decided += lost(a) < lost(b);
        }
    ASSERT_GT(decided, 0u) << "no tie in the simulated contest differs in lines lost";
}

TEST(CommitteeKeys, ChecklogsCheckOthersButAreNotRanked)
{
    const CrossCheck plain = checked("");
    const std::map<std::string, int> places = placeOfEachCall(plain);
    const std::string winner = std::min_element(places.begin(), places.end(), [](const auto& a, const auto& b) {
                                   return a.second < b.second;
                               })->first;
    const CrossCheck check = checked("checklogs = " + winner + ", NOSUCHCALL\n");
    EXPECT_EQ(placeOfEachCall(check).count(winner), 0u);
    EXPECT_EQ(placeOfEachCall(check).size(), places.size() - 1);
    // Its log still confirms the QSOs of the others: every verdict as before.
    for (std::size_t i = 0; i < check.logs.size(); ++i) {
        ASSERT_EQ(check.logs[i].verdicts.size(), plain.logs[i].verdicts.size());
        for (std::size_t q = 0; q < check.logs[i].verdicts.size(); ++q)
            EXPECT_EQ(check.logs[i].verdicts[q].status, plain.logs[i].verdicts[q].status);
    }
    const std::string page = resultsHtml(check);
    EXPECT_EQ(page.find(">" + winner + "</a>"), std::string::npos);
    EXPECT_NE(page.find("Checklogs: " + winner + "</p>"), std::string::npos);
    EXPECT_NE(resultsHtml(plain).find(">" + winner + "</a>"), std::string::npos);
}

TEST(CommitteeKeys, CallsWithoutALogNeedAsManyLogsAsTheOrganiserAsks)
{
    const CrossCheck plain = checked("");
    const CrossCheck strict = checked("min_logs_for_no_log_call = 3\ncount_uniques = no\n");
    // The logs that worked each call that sent no log.
    std::map<std::string, std::set<std::size_t>> workedBy;
    for (std::size_t i = 0; i < plain.logs.size(); ++i)
        for (std::size_t q = 0; q < plain.logs[i].verdicts.size(); ++q)
            if (plain.logs[i].verdicts[q].status == QsoStatus::NoLog)
                workedBy[std::string(plain.logs[i].log.qsos[q].qso.workedCallsign())].insert(i);
    std::size_t demoted = 0;
    for (std::size_t i = 0; i < plain.logs.size(); ++i)
        for (std::size_t q = 0; q < plain.logs[i].verdicts.size(); ++q) {
            const QsoStatus before = plain.logs[i].verdicts[q].status, after = strict.logs[i].verdicts[q].status;
            const bool fewLogs =
                before == QsoStatus::NoLog && workedBy[std::string(plain.logs[i].log.qsos[q].qso.workedCallsign())].size() < 3;
            EXPECT_EQ(after, fewLogs ? QsoStatus::Unique : before) << plain.logs[i].log.callsign << " " << q;
            demoted += fewLogs;
        }
    ASSERT_GT(demoted, 0u) << "no call without a log was worked by exactly two logs";
    const auto counted = [](const CrossCheck& check) {
        int64_t qsos = 0;
        for (const CheckedLog& log : check.logs)
            qsos += log.score.countedQsos;
        return qsos;
    };
    EXPECT_LT(counted(strict), counted(checked("count_uniques = no\n")));
}

// The committee may find that a call without a log that a few logs hold
// was a station that sent one, miscopied alike: it decides by hand what
// the logs alone cannot.  Each such call, once listed, makes every line
// that logged it BUSTED_CALL with the committee's correction.
TEST(CommitteeKeys, KnownBustsDecideWhatTheLogsCannot)
{
    const CrossCheck plain = checked("");
    std::vector<std::string> senders;
    for (const CheckedLog& log : plain.logs)
        if (log.log.state == LogState::Checked)
            senders.push_back(log.log.callsign);
    std::map<std::string, std::string> busts;
    for (const CheckedLog& log : plain.logs)
        for (std::size_t q = 0; q < log.verdicts.size() && busts.size() < 3; ++q)
            if (log.verdicts[q].status == QsoStatus::NoLog)
                busts.try_emplace(std::string(log.log.qsos[q].qso.workedCallsign()), senders[busts.size()]);
    ASSERT_EQ(busts.size(), 3u) << "the simulated contest has too few calls without a log";
    std::string list = "; the committee's decisions\n";
    for (const auto& [logged, correct] : busts)
        list += logged + " -> " + correct + "\n";
    std::filesystem::create_directories(SIM_SCRATCH_DIR);
    writeWholeFile(std::filesystem::path(SIM_SCRATCH_DIR) / "busts.txt", list);
    const CrossCheck check = checked("busted_calls = busts.txt\n");
    std::filesystem::remove_all(SIM_SCRATCH_DIR);

    std::size_t decided = 0;
    for (std::size_t i = 0; i < check.logs.size(); ++i)
        for (std::size_t q = 0; q < check.logs[i].verdicts.size(); ++q) {
            const QsoVerdict &before = plain.logs[i].verdicts[q], &after = check.logs[i].verdicts[q];
            const auto bust = busts.find(std::string(check.logs[i].log.qsos[q].qso.workedCallsign()));
            if (bust == busts.end() || before.status == QsoStatus::Rejected || before.status == QsoStatus::Dupe ||
                before.status == QsoStatus::OutOfPeriod)
                continue;
            EXPECT_EQ(after.status, QsoStatus::BustedCall) << check.logs[i].log.callsign << " " << q;
            EXPECT_EQ(after.correctCall(), bust->second) << check.logs[i].log.callsign << " " << q;
            ++decided;
        }
    EXPECT_GE(decided, busts.size() * 2);
    // The true station's own line of such a QSO is no longer NIL.
    const auto nils = [](const CrossCheck& result) {
        int64_t count = 0;
        for (const CheckedLog& log : result.logs)
            count += log.score.statusCounts[static_cast<std::size_t>(QsoStatus::Nil)];
        return count;
    };
    EXPECT_LE(nils(check), nils(plain));
}
