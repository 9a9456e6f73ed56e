// The robot's database: every upload with its original bytes, the callsigns
// each log worked and a few settings.  One SQLite file
// in WAL mode with full sync: a call that returns has committed to the disk.
#pragma once

#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "robot/database.h"

// What the robot keeps of every upload besides its bytes.
struct UploadSummary {
    std::string receipt;
    std::time_t receivedAt = 0;
    std::string email;
    std::string fileName;  // as the browser sent it; only ever shown
    bool accepted = false;
    std::string callsign;
    std::string category;
    int qsoLines = 0;
    std::optional<long long> claimedScore;
    long long computedScore = 0;
};

struct NewUpload : UploadSummary {
    std::string original;  // the bytes, unchanged
    std::vector<std::string> workedCallsigns;
};

struct StoredUpload : UploadSummary {
    long long id = 0;
    int version = 0;  // 1 for a callsign's first accepted upload, and so on
};

struct MissingLog {
    std::string callsign;
    int workedBy = 0;  // how many received logs have it
};

class UploadStore {
public:
    // Opens or creates `path`; throws StoreError.
    explicit UploadStore(const std::string& path);
    ~UploadStore();
    UploadStore(const UploadStore&) = delete;
    UploadStore& operator=(const UploadStore&) = delete;

    // Stores the upload and its worked callsigns in one transaction.  Returns
    // after the commit; throws StoreError (nothing stored) otherwise, also
    // when the receipt is taken.
    void add(const NewUpload& upload);

    std::optional<StoredUpload> findByReceipt(const std::string& receipt);
    std::string originalBytes(long long id);

    // The latest accepted upload of every callsign, newest first.
    std::vector<StoredUpload> latestLogs();
    // How many accepted uploads there are in all, versions included.
    int acceptedUploads();
    // Calls worked by at least `minimumWorkedBy` received logs that sent none.
    std::vector<MissingLog> missingLogs(int minimumWorkedBy);

    // Every upload, refused ones and every version included, oldest first.
    std::vector<StoredUpload> everyUpload();
    // The refused uploads, newest first.
    std::vector<StoredUpload> refusedUploads();

    std::optional<std::string> setting(const std::string& key);
    void setSetting(const std::string& key, const std::string& value);
    void clearSetting(const std::string& key);

private:
    void exec(const char* sql);
    std::vector<StoredUpload> queryUploads(const char* sql, const std::string& parameter);

    sqlite3* db_ = nullptr;
    std::mutex mutex_;
};
