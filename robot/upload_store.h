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
#include "robot/precheck.h"

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
    Precheck precheck;           // kept, so that its receipt's page never runs it again
    std::string earlierReceipt;  // as given on the form: the sender's proof of an earlier version
};

// Where an accepted upload stands among its callsign's versions.  A later
// version replaces the one checked only when it proves it comes from the
// same sender, by the receipt of a version that was checked; any other
// waits for the organiser, and the one checked stays until then.
enum class VersionStanding {
    Checked,   // the version the cross-check uses
    Replaced,  // was checked; a later one from its sender, or the organiser, replaced it
    Waiting,   // came without proof; the organiser decides
    Declined,  // the organiser kept another
};

struct StoredUpload : UploadSummary {
    long long id = 0;
    int version = 0;  // 1 for a callsign's first accepted upload, and so on
    VersionStanding standing = VersionStanding::Checked;
};

// An upload's pre-check as kept: the rejected lines only up to the number
// asked for, and how many there are in all.
struct KeptPrecheck {
    Precheck precheck;
    int rejectedLineCount = 0;
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

    // Stores the upload, its worked callsigns and its pre-check in one
    // transaction, and decides its standing there, so that two versions
    // sent at once are judged one after the other.  Returns after the
    // commit; throws StoreError (nothing stored) otherwise, also when the
    // receipt is taken.
    void add(const NewUpload& upload);

    std::optional<StoredUpload> findByReceipt(const std::string& receipt);
    std::string originalBytes(long long id);

    // The pre-check kept with the upload, with its first `rejectedLinesShown`
    // rejected lines; nothing for an upload stored before pre-checks were.
    std::optional<KeptPrecheck> keptPrecheck(long long id, int rejectedLinesShown);
    std::vector<RejectedLine> rejectedLines(long long id);
    // Keeps the pre-check of an upload that has none yet.
    void keepPrecheck(long long id, const Precheck& precheck);

    // The version of every callsign the cross-check uses, newest first.
    std::vector<StoredUpload> latestLogs();
    // Every accepted upload by callsign, each callsign's versions in order.
    std::vector<StoredUpload> everyVersion();
    // The organiser's choice on a waiting version: check it from now on, or
    // keep the one checked.  False when `receipt` names no waiting version.
    bool decideVersion(const std::string& receipt, bool checkIt);
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
    void insertPrecheck(long long id, const Precheck& precheck);
    std::vector<RejectedLine> rejectedLinesLocked(long long id, int most);
    std::vector<StoredUpload> queryUploads(const char* sql, const std::string& parameter);

    sqlite3* db_ = nullptr;
    std::mutex mutex_;
};
