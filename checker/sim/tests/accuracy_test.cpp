// The checker against contests whose truth is known: zemrix-check itself, run
// on simulated contests of 300 stations with every shape of file and mistake
// the simulator knows, must give at least 99.8% of all the lines their true
// status (and, for a busted line, the right correction), the lines the logs
// cannot decide included, and every log its clock offset.  The confusion
// table is printed on every run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <random>

#include "checker/sim/contest_sim.h"

namespace {

namespace fs = std::filesystem;

// One CSV record; fields may be quoted, with "" for a quote inside.
std::vector<std::string> csvFields(const std::string& record)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < record.size(); ++i) {
        const char c = record[i];
        if (quoted && c == '"' && i + 1 < record.size() && record[i + 1] == '"')
            fields.back() += record[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else if (c != '\r' || quoted)
            fields.back() += c;
    }
    return fields;
}

// Every row of a CSV file with a header row, by column name.
std::vector<std::map<std::string, std::string>> csvRows(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string record;
    std::getline(in, record);
    const auto names = csvFields(record);
    std::vector<std::map<std::string, std::string>> rows;
    while (std::getline(in, record)) {
        const auto fields = csvFields(record);
        auto& row = rows.emplace_back();
        for (std::size_t i = 0; i < names.size() && i < fields.size(); ++i)
            row[names[i]] = fields[i];
    }
    return rows;
}

struct Verdict {
    std::string status, correctCall, correctExchange;
};
using Verdicts = std::map<std::pair<std::string, int>, Verdict>;

Verdicts readQsosCsv(const fs::path& path)
{
    Verdicts verdicts;
    for (auto& row : csvRows(path))
        verdicts[{row["log"], std::stoi(row["line"])}] = {row["status"], row["correct_call"], row["correct_exch"]};
    return verdicts;
}

bool rightVerdict(const TruthRow& truth, const Verdict& verdict)
{
    return truth.status == verdict.status && truth.correctCall == verdict.correctCall &&
           truth.correctExchange == verdict.correctExchange;
}

const char* const kStatuses[] = {"OK",     "NIL",  "BUSTED_CALL",   "BUSTED_EXCH", "UNIQUE",
                                 "NO_LOG", "DUPE", "OUT_OF_PERIOD", "REJECTED"};

// Rows: the truth of decidable lines, then the undecidable ones by their
// real status; columns: what the checker said ("-" for no row at all).
void printConfusion(std::ostream& out, uint32_t seed, const std::vector<TruthRow>& truth, const Verdicts& verdicts)
{
    std::map<std::string, std::map<std::string, int>> table;
    for (const TruthRow& row : truth) {
        const auto verdict = verdicts.find({row.log, row.line});
        table[(row.decidable ? "" : "?") + row.status][verdict == verdicts.end() ? "-" : verdict->second.status]++;
    }
    std::vector<std::string> columns(std::begin(kStatuses), std::end(kStatuses));
    columns.push_back("-");
    out << "seed " << seed << ": truth (rows; ? undecidable) x zemrix-check (columns)\n" << std::setw(15) << "";
    for (const std::string& column : columns)
        out << std::setw(8) << column.substr(0, 7);
    out << "\n";
    for (const std::string prefix : {"", "?"})
        for (const char* status : kStatuses) {
            const auto row = table.find(prefix + status);
            if (row == table.end())
                continue;
            out << std::setw(15) << row->first;
            for (const std::string& column : columns)
                out << std::setw(8) << row->second[column];
            out << "\n";
        }
}

// The logs whose clock offset in results.csv is not the one the simulator
// set, as "CALL: found, true" lines.
std::string wrongClockOffsets(const SimContest& contest, const fs::path& resultsCsv)
{
    std::map<std::string, std::string> found;
    for (auto& row : csvRows(resultsCsv))
        if (row["file_status"] == "CHECKED")
            found[row["callsign"]] = row["clock_offset_minutes"];
    std::string wrong;
    for (const SimStation& station : contest.stations)
        if (station.sendsLog && found[station.callsign] != std::to_string(station.clockOffsetMinutes))
            wrong += station.callsign + ": " + found[station.callsign] + ", " +
                     std::to_string(station.clockOffsetMinutes) + "\n";
    return wrong;
}

uint32_t randomSeed()
{
    static const uint32_t seed = std::random_device{}() % 1000000;
    return seed;
}

class CheckerAccuracy : public testing::TestWithParam<uint32_t> {};

TEST_P(CheckerAccuracy, AllLinesGetTheirTrueStatus)
{
    const uint32_t seed = GetParam();
    SimSettings settings;
    settings.stations = 300;
    settings.seed = seed;
    const SimContest contest = simulateContest(settings);
    const fs::path dir = fs::path(SIM_SCRATCH_DIR) / ("accuracy-" + std::to_string(seed));
    fs::remove_all(dir);
    writeContest(contest, dir);
    const std::string command = std::string("'") + ZEMRIX_CHECK + "' --config '" + (dir / "contest.ini").string() +
                                "' --out '" + (dir / "check").string() + "' '" + (dir / "logs").string() + "' 2>'" +
                                (dir / "stderr.txt").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << "seed " << seed << ": " << command;
    const Verdicts verdicts = readQsosCsv(dir / "check" / "qsos.csv");
    printConfusion(std::cout, seed, contest.truth, verdicts);

    std::size_t decidable = 0, right = 0, rightDecidable = 0;
    for (const TruthRow& row : contest.truth) {
        const auto verdict = verdicts.find({row.log, row.line});
        const bool isRight = verdict != verdicts.end() && rightVerdict(row, verdict->second);
        right += isRight;
        decidable += row.decidable;
        rightDecidable += row.decidable && isRight;
    }
    const std::size_t lines = contest.truth.size();
    std::cout << "seed " << seed << ": " << right << " of " << lines << " lines right (" << std::fixed
              << std::setprecision(2) << 100.0 * right / lines << "%); " << rightDecidable << " of " << decidable
              << " decidable (" << 100.0 * rightDecidable / decidable << "%)\n";
    EXPECT_GE(right * 1000, lines * 998) << "seed " << seed;
    EXPECT_EQ(verdicts.size(), contest.truth.size()) << "seed " << seed;
    EXPECT_EQ(wrongClockOffsets(contest, dir / "check" / "results.csv"), "") << "seed " << seed;
    fs::remove_all(dir);
}

// Two fixed contests, and one new every run (its seed is printed).
INSTANTIATE_TEST_SUITE_P(Seeds, CheckerAccuracy, testing::Values(1u, 2u, randomSeed()),
                         [](const testing::TestParamInfo<uint32_t>& seed) {
                             return seed.index < 2 ? "Seed" + std::to_string(seed.param) : std::string("RandomSeed");
                         });

}  // namespace
