#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "checker/sim/contest_sim.h"
#include "logfile/log_file.h"
#include "rules/acceptance.h"

namespace {

SimSettings contestOf(int stations, uint32_t seed)
{
    SimSettings settings;
    settings.stations = stations;
    settings.seed = seed;
    return settings;
}

std::string everyFile(const SimContest& contest)
{
    std::string bytes = truthCsv(contest) + contestIni(contest);
    for (const SimStation& station : contest.stations)
        if (station.sendsLog)
            bytes += cabrilloLog(contest, station);
    return bytes;
}

TEST(ContestSimulator, TheSeedAloneDecidesTheContest)
{
    const std::string first = everyFile(simulateContest(contestOf(60, 5)));
    EXPECT_EQ(first, everyFile(simulateContest(contestOf(60, 5))));
    EXPECT_NE(first, everyFile(simulateContest(contestOf(60, 6))));
}

// The truth's REJECTED and DUPE lines against the plug-in's own rules: every
// log read back as the checker reads it and played through the acceptance
// rules.  Also proves every QSO line has exactly one truth row.
TEST(ContestSimulator, TruthAgreesWithThePluginsRules)
{
    const SimContest contest = simulateContest(contestOf(300, 1));
    std::map<std::pair<std::string, int>, const TruthRow*> truth;
    for (const TruthRow& row : contest.truth)
        ASSERT_TRUE(truth.emplace(std::make_pair(row.log, row.line), &row).second) << row.log << ":" << row.line;
    const std::string errors = (std::filesystem::path(SIM_SCRATCH_DIR) / "rules-err.txt").string();
    std::filesystem::create_directories(SIM_SCRATCH_DIR);
    std::size_t lines = 0;
    for (const SimStation& station : contest.stations) {
        if (!station.sendsLog)
            continue;
        const ContestLog log = readContestLog(cabrilloLog(contest, station), station.callsign);
        ASSERT_TRUE(log.skipped.empty()) << log.skipped.front().describe();
        ContestState state;
        // The plug-in also calls a QSO a duplicate of one outside the
        // period; the check does not.
        std::set<std::string> workedOutOfPeriod;
        for (const LoggedQso& qso : log.qsos) {
            const auto row = truth.find({station.callsign, qso.line});
            ASSERT_NE(row, truth.end()) << station.callsign << ":" << qso.line;
            QsoFields fields{qso.ownCallsign, qso.workedCallsign, {oleDateFromCivilTime(qso.time), OleDateTime::Valid},
                             qso.frequencyHz, qso.mode, qso.rstSent, qso.rstReceived, qso.exchangeSent,
                             qso.exchangeReceived, "", qso.band};
            const std::size_t stored = state.log.size();
            const bool accepted = addQso(state, ErrorLog(portableFileSystem(), errors), fields) == 1;
            const bool duplicate = accepted && state.log[stored].isDuplicate;
            EXPECT_EQ(!accepted, row->second->status == "REJECTED") << station.callsign << ":" << qso.line;
            const std::string slot = qso.workedCallsign + " " + qso.band + " " + qso.mode;
            EXPECT_EQ(duplicate, row->second->status == "DUPE" || workedOutOfPeriod.count(slot))
                << station.callsign << ":" << qso.line;
            if (row->second->status == "OUT_OF_PERIOD")
                workedOutOfPeriod.insert(slot);
        }
        lines += log.qsos.size();
    }
    EXPECT_EQ(lines, contest.truth.size());
    std::filesystem::remove_all(SIM_SCRATCH_DIR);
}

TEST(ContestSimulator, EveryStatusOccursAndFewLinesAreUndecidable)
{
    const SimContest contest = simulateContest(contestOf(300, 2));
    std::map<std::string, int> decidable;
    int undecidable = 0;
    for (const TruthRow& row : contest.truth)
        row.decidable ? ++decidable[row.status] : ++undecidable;
    for (const char* status :
         {"OK", "NIL", "BUSTED_CALL", "BUSTED_EXCH", "UNIQUE", "NO_LOG", "DUPE", "OUT_OF_PERIOD", "REJECTED"})
        EXPECT_GT(decidable[status], 0) << status;
    EXPECT_LT(undecidable * 50, static_cast<int>(contest.truth.size()));
}

// Each shape of file and mistake the checker must get right turns up in a
// contest of 300 stations.
TEST(ContestSimulator, EveryHiddenCaseOccurs)
{
    const SimContest contest = simulateContest(contestOf(300, 3));
    std::map<std::string, int> cases;
    for (const SimStation& station : contest.stations) {
        if (!station.sendsLog)
            continue;
        cases["CR line ends"] += station.lineEnds == SimLineEnds::Cr;
        cases["mixed line ends"] += station.lineEnds == SimLineEnds::Mixed;
        cases["wrong header call"] += !station.headerCall.empty() && station.headerCall != station.callsign;
        cases["older log"] += station.sendsOlderLog;
        cases["small log, hours off"] +=
            station.lines.size() <= 2 && station.clockOffsetMinutes != 0 && station.clockOffsetMinutes % 60 == 0;
    }
    for (const SimQso& qso : contest.qsos)
        cases["test QSO before the start"] += qso.kind == SimQsoKind::OutOfPeriod && qso.minute < 0 && qso.minute >= -15;
    for (const TruthRow& row : contest.truth)
        cases["miscopied call of a station without a log, decided"] +=
            row.status == "BUSTED_CALL" && row.decidable &&
            !std::any_of(contest.stations.begin(), contest.stations.end(),
                         [&](const SimStation& s) { return s.sendsLog && s.callsign == row.correctCall; });
    for (const auto& [name, count] : cases)
        EXPECT_GT(count, 0) << name << ": " << ::testing::PrintToString(cases);
    EXPECT_EQ(cases.size(), 7u);
}

// The edits that turn `from` into `to`, when there is at most one.
int singleEditDistance(const std::string& from, const std::string& to)
{
    if (from == to)
        return 0;
    const std::string& shorter = from.size() <= to.size() ? from : to;
    const std::string& longer = from.size() <= to.size() ? to : from;
    std::size_t head = 0;
    while (head < shorter.size() && shorter[head] == longer[head])
        ++head;
    const std::size_t skip = longer.size() - shorter.size();
    if (skip > 1)
        return 2;
    return shorter.compare(head + (1 - skip), std::string::npos, longer, head + 1) == 0 ? 1 : 2;
}

TEST(MiscopiedCall, IsOneCharacterChangedDroppedOrAdded)
{
    std::mt19937 random(11);
    for (const std::string call : {"UA3ABC", "K1AB", "R2RA", "9A2XYZ"}) {
        std::set<int> lengthChanges;
        for (int draw = 0; draw < 500; ++draw) {
            const std::string copy = miscopiedCall(call, random);
            ASSERT_EQ(singleEditDistance(call, copy), 1) << call << " -> " << copy;
            ASSERT_GE(copy.size(), 3u) << call << " -> " << copy;
            lengthChanges.insert(static_cast<int>(copy.size()) - static_cast<int>(call.size()));
        }
        EXPECT_EQ(lengthChanges, (std::set<int>{-1, 0, 1})) << call;
    }
}

}  // namespace
