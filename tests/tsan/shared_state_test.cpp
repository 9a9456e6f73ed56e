// The contest state as both threads use it: the host's thread adds, removes,
// resets and builds results while the window thread refreshes the band table
// for a callsign and reads and sorts the multiplier list as the grid painter
// does.  Built under ThreadSanitizer, which fails the run on any data race;
// the test itself checks that the window thread changed nothing the host's
// thread owns: the results equal those of the same calls on one thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "rules/acceptance.h"
#include "rules/reset.h"
#include "score/results.h"
#include "support/fake_platform.h"
#include "support/qso_builder.h"
#include "support/scratch_dir.h"
#include "ui/multiplier_table.h"

namespace {

const char* const kCalls[] = {"K1ABC", "UA3RAB", "QZ3ZAA", "DL1ABC", "R5RAA", "9A1A"};
const char* const kBands[] = {"80m", "40m", "160m", "20m", "6m"};
const char* const kModes[] = {"CW", "SSB", "RTTY"};

enum class HostCall { Add, Remove, Reset, Results };

struct HostStep {
    HostCall call;
    QsoFields qso;
};

// A fixed run of host calls: mostly adds, some removals of what was added,
// now and then a reset or a results request.
std::vector<HostStep> hostRun(unsigned seed, int length)
{
    std::mt19937 random(seed);
    auto pick = [&](auto& list) { return list[random() % std::size(list)]; };
    std::vector<HostStep> steps;
    for (int i = 0; i < length; ++i) {
        const unsigned roll = random() % 100;
        const HostCall call = roll < 70 ? HostCall::Add : roll < 88 ? HostCall::Remove : roll < 90 ? HostCall::Reset
                                                                                                    : HostCall::Results;
        steps.push_back({call, contestQso(pick(kCalls), pick(kBands), pick(kModes),
                                          utc(2015, 6, 14, static_cast<int>(random() % 24), 5))});
    }
    return steps;
}

class Host {
public:
    // Returns the results text of the last results request.
    std::string play(const std::vector<HostStep>& steps)
    {
        std::string results;
        for (const HostStep& step : steps) {
            switch (step.call) {
            case HostCall::Add: addQso(state, errors, step.qso); break;
            case HostCall::Remove: removeQso(state, step.qso); break;
            case HostCall::Reset: resetContest(state, errors, cabrillo, platform, resetArgs()); break;
            case HostCall::Results: results = buildResults(state, cabrillo, platform); break;
            }
        }
        return results + buildResults(state, cabrillo, platform);
    }

    ContestState state;

private:
    static ResetArgs resetArgs()
    {
        ResetArgs args;
        args.ownCallsign = "UA3XYZ";
        args.contestStart = utc(2015, 6, 14, 0, 0);
        args.contestEnd = utc(2015, 6, 15, 0, 0);
        args.ownCountryPrefix = "UA";
        return args;
    }

    ErrorLog errors{portableFileSystem()};
    CCabrilloLog cabrillo;
    FakePlatform platform;
};

// What the window thread does on every refresh timer and every paint.
// Counts the pictures that break what the grid relies on.
int paintWhile(ContestState& state, const std::atomic<bool>& hostBusy)
{
    const char* const entered[] = {"K1ABC", "", "UA3RAB", "DL", "", "9A1A"};
    const double frequencies[] = {3512000, 7012000, 14012000, 1830000};
    int broken = 0;
    for (std::size_t i = 0; hostBusy || i < 200; ++i) {
        refreshMultiplierView(state, entered[i % std::size(entered)], frequencies[i % std::size(frequencies)]);
        const GridPicture picture = takeGridPicture(state);
        if (!std::is_sorted(picture.multipliers.begin(), picture.multipliers.end()))
            ++broken;
        for (std::size_t row = 0; row < picture.table.size() && !picture.callsign.empty(); ++row)
            broken += picture.table[row][0] != kTableBandNames[row];
    }
    return broken;
}

TEST(SharedState, TheWindowThreadNeverDisturbsTheHostsCalls)
{
    ScratchDir dir;
    const std::vector<HostStep> steps = hostRun(20150614, 3000);

    Host alone;
    const std::string expected = alone.play(steps);

    Host host;
    std::atomic<bool> hostBusy{true};
    int broken = 0;
    std::thread window([&] { broken = paintWhile(host.state, hostBusy); });
    const std::string results = host.play(steps);
    hostBusy = false;
    window.join();

    EXPECT_EQ(results, expected);
    EXPECT_EQ(host.state.log.size(), alone.state.log.size());
    EXPECT_EQ(broken, 0);
}

}  // namespace
