// The record of the cross-check runs in robot.db: each run's folder under
// DATA/runs, whether it is running, done or failed, and when.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "robot/database.h"

enum class RunState { Running, Done, Failed };

struct RunRecord {
    long long id = 0;
    std::string folder;  // a finished run's name under DATA/runs; never another run's
    RunState state = RunState::Running;
    std::time_t startedAt = 0;
    std::time_t finishedAt = 0;  // 0 while running
    std::string failure;         // what went wrong, for a failed run
};

class RunBook {
public:
    // Opens robot.db at `path`; throws StoreError.
    explicit RunBook(const std::string& path) : db_(path) {}

    // A new run, running, with no folder yet; its number.
    long long begin(std::time_t at);
    // The run is done, its outputs whole in `folder`.
    void finish(long long run, std::time_t at, const std::string& folder);
    void fail(long long run, std::time_t at, const std::string& failure);

    std::optional<RunRecord> find(long long run);
    // The newest run, whatever its state; the newest done one.
    std::optional<RunRecord> newest();
    std::optional<RunRecord> newestDone();

    // Marks every run still recorded as running failed: at start-up these
    // are runs the robot was stopped in the middle of.
    void failInterrupted(std::time_t at, const std::string& failure);

private:
    void end(long long run, std::time_t at, const char* state, const std::string& folder, const std::string& failure);
    std::vector<RunRecord> query(const std::string& where, long long parameter);

    Connection db_;
};
