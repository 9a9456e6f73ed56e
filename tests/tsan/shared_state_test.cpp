// The contest state as both threads use it: the host's thread adds, removes,
// resets and builds results through the DLL's entry points while the window thread refreshes the band table
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

#include "plugin/entry_points.h"
#include "support/fake_platform.h"
#include "support/scratch_dir.h"
#include "ui/multiplier_table.h"

namespace {

const char* const kCalls[] = {"K1ABC", "UA3RAB", "QZ3ZAA", "DL1ABC", "R5RAA", "9A1A"};
const char* const kBands[] = {"80m", "40m", "160m", "20m", "6m"};
const char* const kModes[] = {"CW", "SSB", "RTTY"};
const HostDateTime kHours[] = {{42169.25, 0}, {42169.5, 0}, {42169.75, 0}, {0.0, 2}};
const HostDateTime kContestDay{42169.0, 0};

enum class HostCall { Add, Remove, Reset, Results };

struct HostStep {
    HostCall call;
    HostQso qso;
};

// A fixed run of host calls through the entry points, as the DLL makes them:
// mostly adds, removals of the same kind of QSO, now and then a reset or a
// results request.
std::vector<HostStep> hostRun(unsigned seed, int length)
{
    std::mt19937 random(seed);
    auto pick = [&](const auto& list) { return &list[random() % std::size(list)]; };
    std::vector<HostStep> steps;
    for (int i = 0; i < length; ++i) {
        const unsigned roll = random() % 100;
        const HostCall call = roll < 70 ? HostCall::Add : roll < 88 ? HostCall::Remove : roll < 90 ? HostCall::Reset
                                                                                                    : HostCall::Results;
        HostQso qso;
        qso.ownCallsign = "UA3XYZ";
        qso.workedCallsign = *pick(kCalls);
        qso.band = *pick(kBands);
        qso.mode = *pick(kModes);
        qso.time = pick(kHours);
        qso.frequencyHz = 3512000;
        qso.rstSent = qso.rstReceived = "599";
        qso.exchangeSent = qso.exchangeReceived = "16";
        qso.countryPrefix = "UA";
        steps.push_back({call, qso});
    }
    return steps;
}

class Host {
public:
    // The results text of the last request, and of one after the run.
    std::string play(const std::vector<HostStep>& steps)
    {
        std::string results;
        for (const HostStep& step : steps) {
            switch (step.call) {
            case HostCall::Add: entries.addData(step.qso); break;
            case HostCall::Remove: entries.removeData(step.qso); break;
            case HostCall::Reset: entries.resetStats(0, "UA3XYZ", &kContestDay, &kContestDay, "UA"); break;
            case HostCall::Results: results = entries.getResult(nullptr, 1); break;
            }
        }
        return results + entries.getResult(nullptr, 1);
    }

    FakePlatform platform;
    EntryPoints entries{platform};
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
    std::thread window([&] { broken = paintWhile(host.entries.state(), hostBusy); });
    const std::string results = host.play(steps);
    hostBusy = false;
    window.join();

    EXPECT_EQ(results, expected);
    EXPECT_EQ(host.entries.state().log.size(), alone.entries.state().log.size());
    EXPECT_EQ(broken, 0);
}

}  // namespace
