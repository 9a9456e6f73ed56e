// A host that calls the plug-in from four threads at once: QSOs added and
// removed, call checks, results, and the panel shown and hidden, for a few
// seconds, while the host object lives on the main thread.  The log must
// come out as a single-threaded replay of the same calls gives it, every
// results text whole, never more than one panel, and nothing of the DLL may
// be left running after the unload.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "ui_helpers.h"

namespace {

constexpr int kHostThreads = 4;
constexpr DWORD kRunMs = 3000;

OleDateTime utc(int day, int hour, int minute)
{
    return {oleDateFromCivilTime({2015, 6, day, hour, minute, 0}), OleDateTime::Valid};
}

void resetContest(const StatsDll& dll)
{
    PrivateProfileSettings().write("Start", "1");  // the reset leaves the panel alone
    dll.reset(0, "OWN", utc(14, 0, 0), utc(15, 0, 0), "DL");
}

// Whole, and adding up: the header, band rows, the totals and a score that
// is the product of the totals' points and multipliers.
::testing::AssertionResult wellFormed(const std::string& results)
{
    static const std::regex layout(
        "\tZEMRIX CONTEST 14\\.06-15\\.06\\.2015\r\n\t\tContestant: OWN \r\n\tQSOs\tPoints\tMult\tCW\tSSB\r\n"
        "([0-9]+m\t [0-9]+\t [0-9]+\t\t [0-9]+\t [0-9]+\r\n)*"
        "Total\t [0-9]+\t ([0-9]+)\t ([0-9]+)\t [0-9]+\t [0-9]+\r\n\r\n"
        "Score: ([0-9]+)\\*([0-9]+) = ([0-9]+)\r\n");
    std::smatch parts;
    if (!std::regex_match(results, parts, layout))
        return ::testing::AssertionFailure() << "malformed: " << results;
    const long long points = std::stoll(parts[4]), multipliers = std::stoll(parts[5]);
    if (parts[2] != parts[4] || parts[3] != parts[5] || points * multipliers != std::stoll(parts[6]))
        return ::testing::AssertionFailure() << "does not add up: " << results;
    return ::testing::AssertionSuccess();
}

// The QSO calls one host thread made, in its order.  Each thread works
// stations of its own, so the log they leave does not depend on how the
// threads' calls interleave.
struct LogCalls {
    std::vector<std::pair<bool, QsoCall>> calls;  // true: added, false: removed
};

class HostThread {
public:
    HostThread(const StatsDll& dll, int number) : dll_(dll), number_(number), random_(number * 7919u + 1) {}

    // Calls the plug-in until `stop`, pumping its own messages between
    // calls as a host's thread does.
    void run(const std::atomic<bool>& stop)
    {
        while (!stop) {
            callOnce();
            MSG message;
            while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageA(&message);
        }
    }

    const LogCalls& log() const { return log_; }
    const std::vector<std::string>& malformedResults() const { return malformed_; }

private:
    unsigned next(unsigned below)
    {
        random_ = random_ * 1103515245u + 12345u;
        return (random_ >> 16) % below;
    }

    // A few stations, so that some QSOs are duplicates.
    QsoCall newQso()
    {
        QsoCall q;
        q.worked = "T" + std::to_string(number_) + "S" + std::to_string(next(6));
        q.band = next(2) ? "80m" : "40m";
        q.mode = next(2) ? "CW" : "SSB";
        q.frequencyHz = q.band == "80m" ? 3512000 : 7012000;
        q.time = utc(14, 12, static_cast<int>(log_.calls.size() % 60));
        return q;
    }

    // Mostly the log and its results; the panel now and then, as each
    // command waits for a window thread to end or to start.
    void callOnce()
    {
        const unsigned pick = next(20);
        if (pick < 8)
            add();
        else if (pick < 10)
            removeOne();
        else if (pick < 13)
            check();
        else if (pick < 18)
            takeResults();
        else
            dll_.RunCommand0(0, pick == 18 ? "SHOWINFO" : "HIDEINFO");
    }

    void add()
    {
        const QsoCall q = newQso();
        dll_.addData(q);
        log_.calls.push_back({true, q});
    }

    void removeOne()
    {
        if (log_.calls.empty())
            return;
        const QsoCall q = log_.calls[next(static_cast<unsigned>(log_.calls.size()))].second;
        dll_.removeData(q);
        log_.calls.push_back({false, q});
    }

    void check()
    {
        char message[100] = {};
        dll_.checkCall(("T" + std::to_string(number_) + "S1").c_str(), "CW", "80m", message);
    }

    void takeResults()
    {
        const std::string results = dll_.result();
        if (!wellFormed(results))
            malformed_.push_back(results);
    }

    const StatsDll& dll_;
    int number_;
    unsigned random_;
    LogCalls log_;
    std::vector<std::string> malformed_;
};

class FourHostThreads : public ::testing::Test {
protected:
    Watchdog watchdog{120000};
    ScratchDir dir;
    PrivateProfileSettings settings;
};

TEST_F(FourHostThreads, LeaveTheLogOfAReplayOnePanelAtMostAndNothingRunningAfterTheUnload)
{
    settings.write("DXCC", "1");
    FakeHost host(FakeHost::CallingThread);
    host.setEntryField("T0S1");
    auto dll = std::make_unique<StatsDll>();
    const CodeRange code(dll->module());
    resetContest(*dll);

    std::vector<HostThread> hostThreads;
    for (int i = 0; i < kHostThreads; ++i)
        hostThreads.emplace_back(*dll, i);
    std::atomic<bool> stop{false};
    std::atomic<int> finished{0};
    std::vector<std::thread> running;
    for (HostThread& thread : hostThreads) {
        running.emplace_back([&] {
            thread.run(stop);
            ++finished;
        });
    }
    std::size_t mostPanels = 0;
    const DWORD start = ::GetTickCount();
    pumpUntil(
        [&] {
            mostPanels = std::max(mostPanels, ownWindows("MODE").size());
            return ::GetTickCount() - start >= kRunMs;
        },
        kRunMs + 1000);
    stop = true;
    // The threads' last calls may still reach the host object on this thread.
    EXPECT_TRUE(pumpUntil([&] { return finished == kHostThreads; }, 30000));
    for (std::thread& thread : running)
        thread.join();
    EXPECT_LE(mostPanels, 1u);
    for (const HostThread& thread : hostThreads) {
        EXPECT_FALSE(thread.log().calls.empty());
        EXPECT_TRUE(thread.malformedResults().empty()) << thread.malformedResults().front();
    }

    const std::string results = dll->result();
    EXPECT_TRUE(wellFormed(results));
    dll.reset();
    pumpFor(500);
    EXPECT_TRUE(windowsRunning(code).empty());
    EXPECT_TRUE(ownWindows("MODE").empty());

    StatsDll replay;
    resetContest(replay);
    for (const HostThread& thread : hostThreads) {
        for (const auto& [added, q] : thread.log().calls)
            added ? replay.addData(q) : replay.removeData(q);
    }
    EXPECT_EQ(replay.result(), results);
}

}  // namespace
