// The organiser's login: the password checked against its hash, sessions
// with random tokens kept in the session book, and failed attempts slowed
// down per address.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "robot/session_book.h"

// A fresh random token: 2 * bytes hex digits from libsodium's generator.
std::string randomToken(std::size_t bytes = 32);

// True when `a` and `b` are equal, in time that does not depend on where
// they differ.
bool sameToken(const std::string& a, const std::string& b);

// The string to put into the config for `password` (Argon2id); throws
// std::runtime_error when the machine lacks the memory.
std::string hashPassword(const std::string& password);

class OrganiserAuth {
public:
    // The wall clock: a session's expiry outlives the process.
    using Clock = std::chrono::system_clock;

    OrganiserAuth(std::string passwordHash, SessionBook& sessions)
        : passwordHash_(std::move(passwordHash)), sessions_(sessions)
    {
    }

    enum class Login { Ok, Wrong, Throttled };

    // Checks the password of an attempt from `address`.  After five wrong
    // attempts in a row an address must wait half a minute, twice as long
    // after each further one (up to a quarter of an hour), and meanwhile is
    // refused without the password being looked at.  An attempt counts from
    // the moment it is taken, so attempts in parallel get no more checks
    // than attempts one after another.  A few passwords are hashed at a
    // time, however many attempts arrive; the rest wait their turn.  On Ok,
    // `session` is a new token.
    Login logIn(const std::string& address, const std::string& password, std::string& session,
                Clock::time_point now = Clock::now());

    // How long `address` must still wait, in seconds (0: it may try).
    long long secondsToWait(const std::string& address, Clock::time_point now = Clock::now());

    // True for a session opened with this password that has not ended.
    bool isSession(const std::string& token, Clock::time_point now = Clock::now());
    void logOut(const std::string& token);

private:
    struct Failures {
        int count = 0;
        int beingChecked = 0;
        Clock::time_point lockedUntil{};
    };

    bool takeAttempt(const std::string& address, Clock::time_point now);
    bool passwordIsRight(const std::string& password);
    std::string bookedAs(const std::string& token) const;

    std::string passwordHash_;
    std::mutex mutex_;
    SessionBook& sessions_;
    std::map<std::string, Failures> failures_;
    std::mutex hashingMutex_;
    std::condition_variable hashingDone_;
    int hashing_ = 0;
};
