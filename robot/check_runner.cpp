#include "robot/check_runner.h"

#include <filesystem>

#include "base/whole_file.h"
#include "robot/run_folder.h"

namespace fs = std::filesystem;

namespace {

// A run is made in a hidden folder of this prefix and moved to its own
// name once whole, so a folder that a stopped robot leaves half made is
// always one of these, and no finished run's folder ever is.
const char* const kPartialPrefix = ".partial-";

// A folder name from the book is only ever one the robot chose, but a name
// that could leave the runs folder is never followed.
bool isPlainName(const std::string& name)
{
    return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos;
}

void removeFolder(const std::string& folder)
{
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace

CheckRunner::CheckRunner(std::string runsFolder, const LogChecker& checker, UploadStore& store, RunBook& runs,
                         ServerLog& log)
    : runsFolder_(std::move(runsFolder)), checker_(checker), store_(store), runs_(runs), log_(log)
{
    runs_.failInterrupted(std::time(nullptr), "the robot stopped during the run");
    for (const std::string& name : listedFolders(runsFolder_, kPartialPrefix))
        removeFolder((fs::path(runsFolder_) / name).string());
}

CheckRunner::~CheckRunner()
{
    if (worker_.joinable())
        worker_.join();
}

std::optional<std::string> CheckRunner::outputsOf(const RunRecord& run) const
{
    if (run.state != RunState::Done || !isPlainName(run.folder))
        return std::nullopt;
    return (fs::path(runsFolder_) / run.folder).string();
}

long long CheckRunner::start(long long newestSeen)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (progress_)
        return progress_->run;
    const auto newest = runs_.newest();
    if (newest && newest->id != newestSeen)
        return newest->id;
    if (worker_.joinable())
        worker_.join();  // the previous run has ended: it cleared its progress
    const long long run = runs_.begin(std::time(nullptr));
    progress_ = RunProgress{run, RunStage::Collecting, 0, 0};
    worker_ = std::thread([this, run] { perform(run); });
    return run;
}

std::optional<RunProgress> CheckRunner::progress() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
}

void CheckRunner::setStage(RunStage stage)
{
    std::lock_guard<std::mutex> lock(mutex_);
    progress_->stage = stage;
}

// The logs go into the run as sent, named by their receipts, so the zip
// holds everything the results came from.
void CheckRunner::collectLogs(const std::string& folder, std::vector<LogToCheck>& logs)
{
    const std::vector<StoredUpload> latest = store_.latestLogs();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        progress_->logsTotal = static_cast<int>(latest.size());
    }
    fs::create_directories(fs::path(folder) / "logs");
    for (const StoredUpload& log : latest) {
        logs.push_back({log.callsign + " (" + log.receipt + ")", store_.originalBytes(log.id)});
        const std::string path = (fs::path(folder) / "logs" / (log.receipt + ".log")).string();
        writeWholeFile(path, logs.back().bytes);
        std::lock_guard<std::mutex> lock(mutex_);
        ++progress_->logsCollected;
    }
}

// Every failure on the way, whether the disk's, the database's or the
// checker's, arrives here as an exception and ends the run as failed.
void CheckRunner::perform(long long run)
{
    std::string partial;
    try {
        partial =
            (fs::path(runsFolder_) / createFreshFolder(runsFolder_, kPartialPrefix + std::to_string(run))).string();
        std::vector<LogToCheck> logs;
        collectLogs(partial, logs);
        setStage(RunStage::Checking);
        checker_.crossCheck(logs, (fs::path(partial) / "out").string());
        setStage(RunStage::Zipping);
        zipFolder(partial, (fs::path(partial) / "all.zip").string());
        const std::string name = moveToFreshFolder(partial, runsFolder_, std::to_string(run));
        partial = (fs::path(runsFolder_) / name).string();
        runs_.finish(run, std::time(nullptr), name);
    } catch (const std::exception& error) {
        if (!partial.empty())
            removeFolder(partial);
        log_.error("cross-check run " + std::to_string(run) + " failed: " + error.what());
        try {
            runs_.fail(run, std::time(nullptr), error.what());
        } catch (const std::exception& unrecorded) {
            // The book keeps it as running; the next start-up marks it failed.
            log_.error("cross-check run " + std::to_string(run) + " could not be recorded as failed: " +
                       unrecorded.what());
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    progress_.reset();
}
