#include "robot/upload_store.h"

namespace {

// The newest accepted upload of each callsign.
const char* const kLatest = "SELECT MAX(id) AS id FROM uploads WHERE accepted AND callsign <> '' GROUP BY callsign";

const char* const kUploadColumns =
    "u.id, u.receipt, u.received_at, u.email, u.file_name, u.accepted, u.callsign, u.category, "
    "u.qso_lines, u.claimed_score, u.computed_score, "
    "(SELECT COUNT(*) FROM uploads v WHERE v.callsign = u.callsign AND v.accepted AND v.id <= u.id)";

StoredUpload readUpload(Statement& row)
{
    StoredUpload upload;
    upload.id = row.integer(0);
    upload.receipt = row.text(1);
    upload.receivedAt = static_cast<std::time_t>(row.integer(2));
    upload.email = row.text(3);
    upload.fileName = row.text(4);
    upload.accepted = row.integer(5) != 0;
    upload.callsign = row.text(6);
    upload.category = row.text(7);
    upload.qsoLines = static_cast<int>(row.integer(8));
    if (!row.isNull(9))
        upload.claimedScore = row.integer(9);
    upload.computedScore = row.integer(10);
    upload.version = static_cast<int>(row.integer(11));
    return upload;
}

}  // namespace

UploadStore::UploadStore(const std::string& path) : db_(openDatabase(path)) {}

UploadStore::~UploadStore()
{
    sqlite3_close(db_);
}

void UploadStore::exec(const char* sql)
{
    execSql(db_, sql);
}

void UploadStore::add(const NewUpload& upload)
{
    std::lock_guard<std::mutex> lock(mutex_);
    exec("BEGIN IMMEDIATE");
    try {
        Statement insert(db_, "INSERT INTO uploads(receipt, received_at, email, file_name, original, accepted, "
                              "callsign, category, qso_lines, claimed_score, computed_score) "
                              "VALUES(?,?,?,?,?,?,?,?,?,?,?)");
        insert.bind(1, upload.receipt);
        insert.bind(2, static_cast<long long>(upload.receivedAt));
        insert.bind(3, upload.email);
        insert.bind(4, upload.fileName);
        insert.bindBlob(5, upload.original);
        insert.bind(6, upload.accepted ? 1LL : 0LL);
        insert.bind(7, upload.callsign);
        insert.bind(8, upload.category);
        insert.bind(9, static_cast<long long>(upload.qsoLines));
        if (upload.claimedScore)
            insert.bind(10, *upload.claimedScore);
        else
            insert.bindNull(10);
        insert.bind(11, upload.computedScore);
        insert.step();
        const long long id = sqlite3_last_insert_rowid(db_);
        Statement worked(db_, "INSERT OR IGNORE INTO worked(upload_id, callsign) VALUES(?,?)");
        for (const std::string& callsign : upload.workedCallsigns) {
            worked.bind(1, id);
            worked.bind(2, callsign);
            worked.step();
            worked.reset();
        }
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::vector<StoredUpload> UploadStore::queryUploads(const char* sql, const std::string& parameter)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Statement query(db_, sql);
    if (!parameter.empty())
        query.bind(1, parameter);
    std::vector<StoredUpload> uploads;
    while (query.step())
        uploads.push_back(readUpload(query));
    return uploads;
}

std::optional<StoredUpload> UploadStore::findByReceipt(const std::string& receipt)
{
    if (receipt.empty())
        return std::nullopt;
    const std::string sql = std::string("SELECT ") + kUploadColumns + " FROM uploads u WHERE u.receipt = ?";
    auto uploads = queryUploads(sql.c_str(), receipt);
    if (uploads.empty())
        return std::nullopt;
    return uploads.front();
}

std::string UploadStore::originalBytes(long long id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Statement query(db_, "SELECT original FROM uploads WHERE id = ?");
    query.bind(1, id);
    return query.step() ? query.text(0) : std::string();
}

std::vector<StoredUpload> UploadStore::latestLogs()
{
    const std::string sql =
        std::string("SELECT ") + kUploadColumns + " FROM uploads u WHERE u.id IN (" + kLatest + ") ORDER BY u.id DESC";
    return queryUploads(sql.c_str(), "");
}

int UploadStore::acceptedUploads()
{
    std::lock_guard<std::mutex> lock(mutex_);
    Statement query(db_, "SELECT COUNT(*) FROM uploads WHERE accepted");
    query.step();
    return static_cast<int>(query.integer(0));
}

std::vector<MissingLog> UploadStore::missingLogs(int minimumWorkedBy)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string sql = std::string("SELECT w.callsign, COUNT(*) AS n FROM worked w WHERE w.upload_id IN (") +
                            kLatest +
                            ") AND w.callsign NOT IN (SELECT callsign FROM uploads WHERE accepted) "
                            "GROUP BY w.callsign HAVING n >= ? ORDER BY n DESC, w.callsign LIMIT 200";
    Statement query(db_, sql.c_str());
    query.bind(1, static_cast<long long>(minimumWorkedBy));
    std::vector<MissingLog> missing;
    while (query.step())
        missing.push_back({query.text(0), static_cast<int>(query.integer(1))});
    return missing;
}

std::optional<std::string> UploadStore::setting(const std::string& key)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Statement query(db_, "SELECT value FROM settings WHERE key = ?");
    query.bind(1, key);
    if (!query.step())
        return std::nullopt;
    return query.text(0);
}

void UploadStore::setSetting(const std::string& key, const std::string& value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Statement upsert(db_, "INSERT INTO settings(key, value) VALUES(?, ?) "
                          "ON CONFLICT(key) DO UPDATE SET value = excluded.value");
    upsert.bind(1, key);
    upsert.bind(2, value);
    upsert.step();
}

void UploadStore::clearSetting(const std::string& key)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Statement remove(db_, "DELETE FROM settings WHERE key = ?");
    remove.bind(1, key);
    remove.step();
}

std::vector<StoredUpload> UploadStore::refusedUploads()
{
    const std::string sql =
        std::string("SELECT ") + kUploadColumns + " FROM uploads u WHERE NOT u.accepted ORDER BY u.id DESC";
    return queryUploads(sql.c_str(), "");
}

std::vector<StoredUpload> UploadStore::everyUpload()
{
    const std::string sql = std::string("SELECT ") + kUploadColumns + " FROM uploads u ORDER BY u.id";
    return queryUploads(sql.c_str(), "");
}
