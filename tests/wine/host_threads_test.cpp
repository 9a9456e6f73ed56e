// A host that calls the plug-in from four threads at once: QSOs added and
// removed, call checks, results, and the panel shown and hidden, for a few
// seconds, while the host object lives on the main thread.  The log must
// come out as a single-threaded replay of the same calls gives it, every
// results text whole, never more than one panel, and nothing of the DLL may
// be left running after the unload.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
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
    EXPECT_TRUE(windowsGoneAfterUnload("MODE"));

    StatsDll replay;
    resetContest(replay);
    for (const HostThread& thread : hostThreads) {
        for (const auto& [added, q] : thread.log().calls)
            added ? replay.addData(q) : replay.removeData(q);
    }
    EXPECT_EQ(replay.result(), results);
}

// Many host threads, each holding the results text it was given while all
// the others ask for theirs: the text stays whole until its own thread asks
// again.  A thread may hand its text on and end: the text stays whole until
// the next request, which frees it.

// Lets a group of threads go on only when all of them have arrived.
class Barrier {
public:
    explicit Barrier(int count) : count_(count) {}

    void arriveAndWait()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        const int round = round_;
        if (++arrived_ == count_) {
            arrived_ = 0;
            ++round_;
            allArrived_.notify_all();
        } else {
            allArrived_.wait(lock, [&] { return round_ != round; });
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable allArrived_;
    const int count_;
    int arrived_ = 0;
    int round_ = 0;
};

// Bytes in use on every heap of the process, whichever the DLL's C library
// allocates from.
std::size_t heapBytesInUse()
{
    std::vector<HANDLE> heaps(64);
    heaps.resize(std::min<std::size_t>(::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()), heaps.size()));
    std::size_t total = 0;
    for (HANDLE heap : heaps) {
        if (!::HeapLock(heap))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        ::HeapUnlock(heap);
    }
    return total;
}

// Each thread logs on a band of its own, so every text is new and long.
template <typename Body>
void onThreads(int count, Body body)
{
    std::vector<std::thread> threads;
    for (int number = 0; number < count; ++number)
        threads.emplace_back(body, number);
    for (std::thread& thread : threads)
        thread.join();
}

class ManyHostThreads : public ::testing::TestWithParam<int> {
protected:
    Watchdog watchdog{120000};
    ScratchDir dir;
    StatsDll dll;
};

TEST_P(ManyHostThreads, KeepEachResultsTextUntilItsThreadAsksAgainOrAfterItsEndUntilTheNextRequest)
{
    const int threads = GetParam();
    constexpr int kRounds = 4;
    resetContest(dll);
    Barrier barrier(threads);
    std::atomic<int> replaced{0};
    onThreads(threads, [&](int number) {
        for (int round = 0; round < kRounds; ++round) {
            QsoCall q;
            q.worked = "M" + std::to_string(number) + "R" + std::to_string(round);
            q.band = std::to_string(1000 + number) + "m";
            q.time = utc(14, 12, round);
            dll.addData(q);
            int out = 0;
            const char* text = dll.GetResult0(&out);
            const std::string copy = text;
            barrier.arriveAndWait();  // every thread has asked since
            if (copy != text || !wellFormed(copy))
                ++replaced;
            barrier.arriveAndWait();  // every thread has looked
        }
    });
    EXPECT_EQ(replaced, 0) << "of " << threads * kRounds << " texts";

    // Thread ids come back as threads end and start, so later batches meet
    // the ids of earlier ones.
    constexpr int kBatches = 6;
    const std::size_t textSize = dll.result().size();
    std::size_t afterFirstBatch = 0;
    std::vector<std::pair<const char*, std::string>> handedOn(threads);
    for (int batch = 0; batch < kBatches; ++batch) {
        onThreads(threads, [&](int number) {
            int out = 0;
            const char* text = dll.GetResult0(&out);
            handedOn[number] = {text, text};
            barrier.arriveAndWait();  // no request after any of them has ended
        });
        for (const auto& [text, copy] : handedOn)
            if (copy != text)
                ++replaced;
        dll.result();
        if (batch == 0)
            afterFirstBatch = heapBytesInUse();
    }
    EXPECT_EQ(replaced, 0) << "of " << threads * kBatches << " texts read after their threads ended";
    const std::size_t after = heapBytesInUse();
    EXPECT_LT(after, afterFirstBatch + textSize * threads)
        << "each " << textSize << " bytes of text, from " << afterFirstBatch;
}

INSTANTIATE_TEST_SUITE_P(Threads, ManyHostThreads, ::testing::Values(17, 24, 64));

}  // namespace
