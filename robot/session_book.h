// The organiser's sessions, kept in robot.db so that a restart of the robot
// logs nobody out.  Tokens are kept as hashes only.
#pragma once

#include <ctime>
#include <string>

#include "robot/database.h"

class SessionBook {
public:
    // Opens robot.db at `path`; throws StoreError.
    explicit SessionBook(const std::string& path) : db_(path) {}

    // Keeps `token` until `expiresAt`, and forgets sessions that have ended.
    void keep(const std::string& token, std::time_t expiresAt);
    // True for a kept token strictly before its expiry: at the expiry
    // instant it has ended.
    bool isLive(const std::string& token, std::time_t now);
    void drop(const std::string& token);

private:
    Connection db_;
};
