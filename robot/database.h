// The robot's one SQLite file, robot.db: opening it with the settings every
// connection needs, its schema brought up to date by numbered steps, and a
// prepared statement.  Several connections may share the file (WAL mode).
#pragma once

#include <sqlite3.h>

#include <optional>
#include <stdexcept>
#include <string>

class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Opens or creates `path` in WAL mode with full sync, then applies, in order
// and each in its own transaction, the schema steps the file has not had yet
// (PRAGMA user_version counts those it has).  Throws StoreError when the file
// cannot be opened, a step fails, or the file comes from a newer robot.
sqlite3* openDatabase(const std::string& path);

// The number of schema steps this robot knows: user_version after opening.
int schemaVersion();

// Runs `sql`; throws StoreError with SQLite's words.
void execSql(sqlite3* db, const char* sql);

// Runs `work` in one write transaction, begun IMMEDIATE so that no other
// connection writes meanwhile: committed when it returns, rolled back when
// it throws.
template <typename Work> void inTransaction(sqlite3* db, Work work)
{
    execSql(db, "BEGIN IMMEDIATE");
    try {
        work();
        execSql(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// One connection to robot.db, closed with the object.
class Connection {
public:
    explicit Connection(const std::string& path) : db_(openDatabase(path)) {}
    ~Connection() { sqlite3_close(db_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    operator sqlite3*() const { return db_; }

private:
    sqlite3* db_;
};

// Bytes bound as a BLOB, not as text.
struct Blob {
    const std::string& bytes;
};

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
    void bind(int index, Blob blob)
    {
        sqlite3_bind_blob(stmt_, index, blob.bytes.data(), static_cast<int>(blob.bytes.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, long long value) { sqlite3_bind_int64(stmt_, index, value); }
    void bind(int index, const std::optional<long long>& value) { value ? bind(index, *value) : bindNull(index); }
    void bindNull(int index) { sqlite3_bind_null(stmt_, index); }
    // Binds `values` to the parameters 1, 2, ... in order.
    template <typename... Values> void bindAll(const Values&... values)
    {
        int index = 0;
        (bind(++index, values), ...);
    }

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
