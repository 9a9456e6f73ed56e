// zemrix-sim: writes a simulated contest with known truth, for the
// checker's accuracy test and its benchmark, or for trying the checker out.
//
//   zemrix-sim [--stations N] [--seed S] [--qsos Q] [--hours H] --out DIR
//
// DIR/logs/<CALL>.log are the logs sent, DIR/truth.csv the status each QSO
// line should get, DIR/contest.ini the period and tolerance to check with.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <iostream>
#include <string>

#include "checker/sim/contest_sim.h"

namespace {

int usage(const std::string& problem)
{
    std::cerr << "zemrix-sim: " << problem << "\n"
              << "usage: zemrix-sim [--stations N] [--seed S] [--qsos Q] [--hours H] --out DIR\n";
    return 2;
}

// A whole number from min to max; false for anything else.
bool readNumber(const std::string& text, long min, long max, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= min && value <= max;
}

}  // namespace

int main(int argc, char** argv)
{
    SimSettings settings;
    struct NumberOption {
        const char* name;
        long min, max;
        std::function<void(long)> set;
    };
    const NumberOption numbers[] = {
        // Far fewer stations than the simulator has callsigns for.
        {"--stations", 2, 100000, [&](long n) { settings.stations = static_cast<int>(n); }},
        {"--seed", 0, 4294967295L, [&](long n) { settings.seed = static_cast<uint32_t>(n); }},
        {"--qsos", 1, 10000, [&](long n) { settings.qsosPerLog = static_cast<int>(n); }},
        {"--hours", 1, 240, [&](long n) { settings.periodMinutes = static_cast<int>(n) * 60; }},
    };
    std::string out;
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 == argc)
            return usage(option + " needs a value");
        const std::string value = argv[i + 1];
        const auto number = std::find_if(std::begin(numbers), std::end(numbers),
                                         [&](const NumberOption& known) { return option == known.name; });
        long n = 0;
        if (option == "--out")
            out = value;
        else if (number == std::end(numbers))
            return usage("unknown option " + option);
        else if (!readNumber(value, number->min, number->max, n))
            return usage(option + " takes a whole number from " + std::to_string(number->min) + " to " +
                         std::to_string(number->max) + ", not \"" + value + "\"");
        else
            number->set(n);
    }
    if (out.empty())
        return usage("--out DIR is needed");
    try {
        const SimContest contest = simulateContest(settings);
        writeContest(contest, out);
        std::size_t logs = 0, undecidable = 0;
        for (const SimStation& station : contest.stations)
            logs += station.sendsLog;
        for (const TruthRow& row : contest.truth)
            undecidable += !row.decidable;
        std::cerr << "zemrix-sim: seed " << settings.seed << ", " << contest.stations.size() << " stations, "
                  << logs << " logs, " << contest.truth.size() << " QSO lines (" << undecidable
                  << " undecidable) in " << out << "\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "zemrix-sim: " << error.what() << "\n";
        return 1;
    }
}
