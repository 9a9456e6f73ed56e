#include "plugin/entry_points.h"

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>

#include "rules/call_check.h"
#include "support/fake_platform.h"
#include "support/scratch_dir.h"

namespace {

const HostDateTime kQsoTime{42169.55, 0};  // 14 June 2015, 13:12 UTC

struct HostTexts {
    std::string callsign, band = "80m", mode = "CW", sent = "001", received = "12";
};

HostQso hostQso(const HostTexts& texts)
{
    HostQso qso;
    qso.ownCallsign = "OWN";
    qso.workedCallsign = texts.callsign.c_str();
    qso.time = &kQsoTime;
    qso.frequencyHz = 3512000;
    qso.mode = texts.mode.c_str();
    qso.rstSent = "599";
    qso.rstReceived = "579";
    qso.exchangeSent = texts.sent.c_str();
    qso.exchangeReceived = texts.received.c_str();
    qso.countryPrefix = "DL";
    qso.band = texts.band.c_str();
    return qso;
}

// The shape of every results text: three header lines, rows, totals, score.
bool isWellFormedResults(const std::string& text)
{
    static const std::regex shape("\tZEMRIX CONTEST [^\r\n]*\r\n\t\tContestant: [^\r\n]* \r\n"
                                  "\tQSOs\tPoints\tMult\tCW\tSSB\r\n"
                                  "([^\t\r\n]+\t [0-9]+\t [0-9]+\t\t [0-9]+\t [0-9]+\r\n)*"
                                  "Total\t [0-9]+\t [0-9]+\t [0-9]+\t [0-9]+\t [0-9]+\r\n"
                                  "\r\nScore: [0-9]+\\*[0-9]+ = [0-9]+\r\n");
    return std::regex_match(text, shape);
}

class Entries : public ::testing::Test {
protected:
    int add(const HostTexts& texts) { return entries.addData(hostQso(texts)); }
    std::string results(CallerId caller = 1) { return entries.getResult(nullptr, caller); }
    int reset(int exportFlag) { return entries.resetStats(exportFlag, "UA3XYZ", &kQsoTime, &kQsoTime, "UA"); }

    ScratchDir dir;
    FakePlatform platform;
    EntryPoints entries{platform};
};

// A host may pass null for any text or date; each call still answers as
// for empty texts and null dates, and writes nothing through a null pointer.
TEST_F(Entries, NullArgumentsReadAsEmpty)
{
    EXPECT_EQ(entries.resetStats(0, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(entries.addData(HostQso{}), 0);  // no mode: not a contest mode
    EXPECT_EQ(entries.removeData(HostQso{}), 0);
    EXPECT_EQ(entries.checkCall(nullptr, nullptr, nullptr, nullptr), 1);
    // Eight empty fields, each behind its two blanks.
    EXPECT_EQ(fileBytes("err.txt"),
              "ZEMRIX TEST UBN file \r\nQSO:  0" + std::string(16, ' ') + "   NO TEST MODE !!!\r\n");
    EXPECT_TRUE(isWellFormedResults(entries.getResult(nullptr, 1)));
    entries.runCommand(nullptr);
    EXPECT_EQ(platform.panelsShown, 1);  // by the reset only
}

TEST_F(Entries, AWarningGoesIntoTheHostsBuffer)
{
    platform.now = 1434287520;  // 14 June 2015, 13:12 UTC: the QSO's hour
    reset(0);
    add({"K1ABC"});
    char buffer[kWarningBufferSize];
    EXPECT_EQ(entries.checkCall("K1ABC", "CW", "80m", buffer), 0);
    EXPECT_STREQ(buffer, "QSO \xD1 K1ABC \xC1\xD3\xC4\xC5\xD2 \xCF\xCE\xC2\xD2\xCE\xD0\xCD\xDB\xCC !!!");
    EXPECT_EQ(entries.checkCall("K1ABC", "CW", "80m", nullptr), 0);
}

// The host's message loop calls in while the "Output" box is open: the calls
// are served, not deadlocked, and the text returned is the newest one.
TEST_F(Entries, CallsFromTheOutputBoxLoopAreServed)
{
    platform.answerHeaderDialog = [](CabrilloHeader&) { return true; };
    reset(1);
    add({"K1ABC"});
    std::string nested;
    platform.whileOutputShows = [&] {
        platform.whileOutputShows = nullptr;
        EXPECT_EQ(add({"K2ABC"}), 1);
        EXPECT_EQ(entries.checkCall("K2ABC", "CW", "80m", nullptr), 1);
        nested = results();
    };
    int out = 0;
    const std::string outer = entries.getResult(&out, 1);
    EXPECT_EQ(out, -1);
    EXPECT_EQ(outer, nested);
    EXPECT_NE(outer.find("Score: 2*2 = 4"), std::string::npos);
    EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(Entries, CallsFromTheHeaderDialogLoopLandInTheNewRun)
{
    add({"OLD"});
    platform.answerHeaderDialog = [&](CabrilloHeader&) {
        EXPECT_EQ(add({"K1ABC"}), 1);
        return true;
    };
    reset(1);
    ASSERT_EQ(entries.state().log.size(), 1u);
    EXPECT_EQ(entries.state().log[0].workedCallsign, "K1ABC");
}

// The text a caller got stays as it was while any number of other callers
// rebuild theirs, until it asks again.
TEST_F(Entries, AResultsTextLastsUntilItsCallerAsksAgain)
{
    for (const CallerId callers : {17u, 24u, 64u}) {
        reset(0);
        std::vector<const char*> given;
        std::vector<std::string> copies;
        for (CallerId caller = 0; caller < callers; ++caller) {
            add({"K" + std::to_string(caller)});
            given.push_back(entries.getResult(nullptr, caller));
            copies.push_back(given.back());
        }
        for (CallerId caller = 0; caller < callers; ++caller)
            ASSERT_EQ(std::string(given[caller]), copies[caller]) << caller << " of " << callers;
        EXPECT_EQ(entries.keptResultsTexts(), callers);

        add({"K1ABC"});
        EXPECT_NE(std::string(entries.getResult(nullptr, 0)), copies[0]);
        for (CallerId caller = 1; caller < callers; ++caller)
            ASSERT_EQ(std::string(given[caller]), copies[caller]) << caller << " of " << callers;
        for (CallerId caller = 0; caller < callers; ++caller)
            entries.releaseResultsText(caller);
        entries.getResult(nullptr, callers);
        EXPECT_EQ(entries.keptResultsTexts(), 1u);
    }
}

// A host thread may hand its text to another and end: the text lasts until
// the next request from any caller after the end, also when a new thread is
// given the ended one's id meanwhile.  Every text a case still holds is read
// (a freed one would be caught by the address sanitizer), and the count of
// kept texts shows that the others are gone.
TEST_F(Entries, AnEndedCallersTextLastsUntilTheNextRequest)
{
    struct Step {
        enum { Ask, End } what;
        CallerId caller;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::vector<std::size_t> stillValid;  // the texts given, by the order asked
    };
    const Case cases[] = {
        {"ended, no request since", {{Step::Ask, 1}, {Step::End, 1}}, {0}},
        {"ended, then another asks", {{Step::Ask, 1}, {Step::End, 1}, {Step::Ask, 2}}, {1}},
        {"ended, then the same id asks", {{Step::Ask, 1}, {Step::End, 1}, {Step::Ask, 1}}, {1}},
        {"two ended, one request frees both",
         {{Step::Ask, 1}, {Step::Ask, 2}, {Step::End, 1}, {Step::End, 2}, {Step::Ask, 3}},
         {2}},
        {"one ended, the other callers keep theirs",
         {{Step::Ask, 1}, {Step::Ask, 2}, {Step::End, 1}, {Step::Ask, 3}},
         {1, 2}},
        {"a reused id's new text outlives another's request",
         {{Step::Ask, 1}, {Step::End, 1}, {Step::Ask, 1}, {Step::Ask, 2}},
         {1, 2}},
        {"ended without asking", {{Step::Ask, 1}, {Step::End, 2}}, {0}},
    };
    for (const Case& c : cases) {
        EntryPoints fresh{platform};
        std::vector<std::pair<const char*, std::string>> given;
        for (const Step& step : c.steps) {
            if (step.what == Step::End) {
                fresh.releaseResultsText(step.caller);
                continue;
            }
            fresh.addData(hostQso({"K" + std::to_string(given.size())}));  // a text unlike those before
            const char* text = fresh.getResult(nullptr, step.caller);
            given.emplace_back(text, text);
        }
        for (std::size_t valid : c.stillValid)
            EXPECT_EQ(given[valid].first, given[valid].second) << c.what << ", text " << valid;
        EXPECT_EQ(fresh.keptResultsTexts(), c.stillValid.size()) << c.what;
    }
}

// Whatever fails inside a call, the host gets the contest's "no": a call
// check lets the station be worked and leaves the host's buffer alone.
TEST_F(Entries, AFailureInsideACallAnswersAsTheContestsNo)
{
    reset(0);
    add({"K1ABC"});
    platform.failing = true;
    char buffer[kWarningBufferSize] = "untouched";
    EXPECT_EQ(entries.checkCall("K1ABC", "CW", "80m", buffer), 1);
    EXPECT_STREQ(buffer, "untouched");
    int out = 0;
    EXPECT_STREQ(entries.getResult(&out, 1), "");
    EXPECT_EQ(out, -1);
    EXPECT_EQ(entries.resetStats(0, "UA3XYZ", &kQsoTime, &kQsoTime, "UA"), 1);
}

// Four host threads at once, each with stations of its own: every text is
// well formed, and the end is the same as one thread logging everything.
TEST_F(Entries, CallsFromSeveralThreadsNeverCorruptTheContest)
{
    reset(0);
    constexpr int kThreads = 4, kQsosEach = 150;
    std::atomic<bool> malformed{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kQsosEach; ++i) {
                const HostTexts qso{"T" + std::to_string(t) + "S" + std::to_string(i % 40),
                                    i % 3 ? "80m" : "40m"};
                add(qso);
                if (i % 7 == 0)
                    entries.removeData(hostQso(qso));
                entries.checkCall(qso.callsign.c_str(), "CW", "80m", nullptr);
                if (!isWellFormedResults(entries.getResult(nullptr, static_cast<CallerId>(t))))
                    malformed = true;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_FALSE(malformed);

    ScratchDir alone;
    FakePlatform samePlatform;
    EntryPoints single{samePlatform};
    single.resetStats(0, "UA3XYZ", &kQsoTime, &kQsoTime, "UA");
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kQsosEach; ++i) {
            const HostTexts qso{"T" + std::to_string(t) + "S" + std::to_string(i % 40), i % 3 ? "80m" : "40m"};
            single.addData(hostQso(qso));
            if (i % 7 == 0)
                single.removeData(hostQso(qso));
        }
    EXPECT_EQ(results(), std::string(single.getResult(nullptr, 1)));
}

}  // namespace
