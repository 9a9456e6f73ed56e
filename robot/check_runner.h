// The organiser's cross-check, run on a thread of its own so that no HTTP
// request waits for it: one run at a time, its progress readable meanwhile,
// its end (done or failed) recorded in the run book.  A run that fails
// leaves no files behind.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "robot/precheck.h"
#include "robot/run_book.h"
#include "robot/server_log.h"
#include "robot/upload_store.h"

enum class RunStage { Collecting, Checking, Zipping };

struct RunProgress {
    long long run = 0;
    RunStage stage = RunStage::Collecting;
    int logsCollected = 0;
    int logsTotal = 0;
};

class CheckRunner {
public:
    // Runs live in folders under `runsFolder`.  Runs that a stopped robot
    // left running are marked failed here, and their partial folders go.
    // Each failure goes into `log` with its cause.
    CheckRunner(std::string runsFolder, const LogChecker& checker, UploadStore& store, RunBook& runs,
                ServerLog& log);
    // Waits for a run in progress to end.
    ~CheckRunner();
    CheckRunner(const CheckRunner&) = delete;
    CheckRunner& operator=(const CheckRunner&) = delete;

    // Starts a run over the latest version of every log, unless one is
    // running or `newestSeen` (the newest run the organiser's page showed,
    // 0 for none) is no longer the newest: a second click of one page never
    // starts a second run.  Returns the run to show.
    long long start(long long newestSeen);

    // The progress of the run in progress, if any.
    std::optional<RunProgress> progress() const;

    // The folder of a finished run, which holds all.zip and out/; none for
    // a run that is not done.
    std::optional<std::string> outputsOf(const RunRecord& run) const;

private:
    void perform(long long run);
    void collectLogs(const std::string& folder, std::vector<LogToCheck>& logs);
    void setStage(RunStage stage);

    std::string runsFolder_;
    const LogChecker& checker_;
    UploadStore& store_;
    RunBook& runs_;
    ServerLog& log_;
    mutable std::mutex mutex_;
    std::optional<RunProgress> progress_;
    std::thread worker_;
};
