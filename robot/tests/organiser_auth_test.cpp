// The organiser's login on a clock of the test's own: how long a guesser
// waits, and that sessions end, to the second.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "robot/organiser_auth.h"
#include "robot_fixture.h"

namespace {

using Clock = OrganiserAuth::Clock;
using std::chrono::hours;
using std::chrono::seconds;

TEST(OrganiserLogin, WrongPasswordsWaitLongerAndLongerAndTheRightOneResets)
{
    ScratchFolder scratch;
    SessionBook sessions((scratch.path() / "robot.db").string());
    OrganiserAuth auth(hashPassword("right"), sessions);
    const Clock::time_point start{};
    std::string session;
    for (int attempt = 0; attempt < 5; ++attempt)
        EXPECT_EQ(auth.logIn("a", "guess", session, start), OrganiserAuth::Login::Wrong) << attempt;
    // Each row: after this long, this answer; a wrong one doubles the wait.
    const struct {
        seconds after;
        const char* password;
        OrganiserAuth::Login answer;
        long long wait;  // what secondsToWait then says
    } steps[] = {
        {seconds(29), "right", OrganiserAuth::Login::Throttled, 1},
        {seconds(30), "guess", OrganiserAuth::Login::Wrong, 60},
        {seconds(89), "right", OrganiserAuth::Login::Throttled, 1},
        {seconds(90), "guess", OrganiserAuth::Login::Wrong, 120},
        {seconds(210), "right", OrganiserAuth::Login::Ok, 0},
        {seconds(211), "guess", OrganiserAuth::Login::Wrong, 0},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(auth.logIn("a", step.password, session, start + step.after), step.answer) << step.after.count();
        EXPECT_EQ(auth.secondsToWait("a", start + step.after), step.wait) << step.after.count();
    }
    EXPECT_EQ(auth.logIn("b", "right", session, start), OrganiserAuth::Login::Ok) << "another address never waited";
}

// How many of `count` wrong passwords, sent at once at `when`, were checked.
long parallelGuessesChecked(OrganiserAuth& auth, int count, Clock::time_point when)
{
    std::vector<OrganiserAuth::Login> answers(count);
    std::vector<std::thread> guesses;
    for (int i = 0; i < count; ++i)
        guesses.emplace_back([&, i] {
            std::string session;
            answers[i] = auth.logIn("a", "guess", session, when);
        });
    for (auto& guess : guesses)
        guess.join();
    EXPECT_EQ(std::count(answers.begin(), answers.end(), OrganiserAuth::Login::Ok), 0);
    return std::count(answers.begin(), answers.end(), OrganiserAuth::Login::Wrong);
}

TEST(OrganiserLogin, GuessesAtOnceGetNoMoreChecksThanGuessesOneAfterAnother)
{
    ScratchFolder scratch;
    SessionBook sessions((scratch.path() / "robot.db").string());
    OrganiserAuth auth(hashPassword("right"), sessions);
    const Clock::time_point start{};
    EXPECT_EQ(parallelGuessesChecked(auth, 12, start), 5);
    EXPECT_EQ(parallelGuessesChecked(auth, 4, start + seconds(29)), 0);
    EXPECT_EQ(parallelGuessesChecked(auth, 4, start + seconds(30)), 1) << "after the wait, one at a time";
    EXPECT_EQ(auth.secondsToWait("a", start + seconds(30)), 60);
}

TEST(OrganiserLogin, SessionsAreRandomAndEndAtTheirExpiryInstant)
{
    ScratchFolder scratch;
    SessionBook sessions((scratch.path() / "robot.db").string());
    const std::string hash = hashPassword("right");
    OrganiserAuth auth(hash, sessions);
    // Tokens made now, so that keeping one forgets none of them as ended.
    const Clock::time_point start = std::chrono::time_point_cast<seconds>(Clock::now());
    std::string first, second;
    ASSERT_EQ(auth.logIn("a", "right", first, start), OrganiserAuth::Login::Ok);
    ASSERT_EQ(auth.logIn("a", "right", second, start), OrganiserAuth::Login::Ok);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size(), 64u);
    const struct {
        Clock::duration after;
        bool live;
    } checks[] = {
        {hours(11), true},
        {hours(12) - seconds(1), true},
        {hours(12), false},  // the expiry instant belongs to the end
        {hours(12) + seconds(1), false},
    };
    for (const auto& check : checks)
        EXPECT_EQ(auth.isSession(first, start + check.after), check.live)
            << std::chrono::duration_cast<seconds>(check.after).count();
    // A second robot on the same file, as after a restart, knows the
    // session, unless the config has a new password.
    SessionBook reopened((scratch.path() / "robot.db").string());
    EXPECT_TRUE(OrganiserAuth(hash, reopened).isSession(first, start));
    EXPECT_FALSE(OrganiserAuth(hashPassword("new"), reopened).isSession(first, start));
    auth.logOut(second);
    EXPECT_FALSE(auth.isSession(second, start));
    EXPECT_FALSE(auth.isSession("", start));
    EXPECT_FALSE(auth.isSession(std::string(64, '0'), start));
    EXPECT_FALSE(OrganiserAuth("", sessions).logIn("a", "", first, start) == OrganiserAuth::Login::Ok)
        << "no hash in the config: nobody gets in";
}

}  // namespace
