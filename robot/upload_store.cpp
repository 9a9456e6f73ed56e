#include "robot/upload_store.h"

#include <sqlite3.h>

namespace {

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS uploads(
    id INTEGER PRIMARY KEY,
    receipt TEXT NOT NULL UNIQUE,
    received_at INTEGER NOT NULL,
    email TEXT NOT NULL,
    file_name TEXT NOT NULL,
    original BLOB NOT NULL,
    accepted INTEGER NOT NULL,
    callsign TEXT NOT NULL,
    category TEXT NOT NULL,
    qso_lines INTEGER NOT NULL,
    claimed_score INTEGER,
    computed_score INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS uploads_by_callsign ON uploads(callsign, id);
CREATE TABLE IF NOT EXISTS worked(
    upload_id INTEGER NOT NULL REFERENCES uploads(id),
    callsign TEXT NOT NULL,
    PRIMARY KEY(upload_id, callsign)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS runs(id INTEGER PRIMARY KEY, started_at INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);
)sql";

// The newest accepted upload of each callsign.
const char* const kLatest = "SELECT MAX(id) AS id FROM uploads WHERE accepted AND callsign <> '' GROUP BY callsign";

const char* const kUploadColumns =
    "u.id, u.receipt, u.received_at, u.email, u.file_name, u.accepted, u.callsign, u.category, "
    "u.qso_lines, u.claimed_score, u.computed_score, "
    "(SELECT COUNT(*) FROM uploads v WHERE v.callsign = u.callsign AND v.accepted AND v.id <= u.id)";

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw StoreError(std::string("database: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const std::string& text)
    {
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void bindBlob(int index, const std::string& bytes)
    {
        sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, long long value) { sqlite3_bind_int64(stmt_, index, value); }
    void bindNull(int index) { sqlite3_bind_null(stmt_, index); }

    // True while there is a row; throws on failure.
    bool step()
    {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw StoreError(std::string("database: ") + sqlite3_errmsg(db_));
    }
    void reset()
    {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

    long long integer(int column) { return sqlite3_column_int64(stmt_, column); }
    bool isNull(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    std::string text(int column)
    {
        const void* bytes = sqlite3_column_blob(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        return bytes ? std::string(static_cast<const char*>(bytes), size) : std::string();
    }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

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

UploadStore::UploadStore(const std::string& path)
{
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw StoreError(path + ": " + why);
    }
    try {
        sqlite3_busy_timeout(db_, 10000);
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=FULL");
        exec("PRAGMA foreign_keys=ON");
        exec(kSchema);
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

UploadStore::~UploadStore()
{
    sqlite3_close(db_);
}

void UploadStore::exec(const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string why = error ? error : "unknown error";
        sqlite3_free(error);
        throw StoreError("database: " + why);
    }
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

long long UploadStore::startRun(std::time_t at)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Statement insert(db_, "INSERT INTO runs(started_at) VALUES(?)");
    insert.bind(1, static_cast<long long>(at));
    insert.step();
    return sqlite3_last_insert_rowid(db_);
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
