#include "robot/database.h"

#include <iterator>

namespace {

// The schema's history, oldest first.  A step is never edited once released:
// a change is a new step at the end, so that every older robot.db (a backup
// restored, a robot upgraded mid-contest) is brought up by the same path.
// A robot between the first step and the numbering added columns without
// counting them: a step whose `probe` column its table has already is
// counted without being run.
struct SchemaStep {
    const char* probeTable;  // null: always run
    const char* probeColumn;
    const char* sql;
};

const SchemaStep kSteps[] = {
    // 1: uploads, the calls each log worked, runs and settings.  A file made
    // before there were numbered steps already has these tables.
    {nullptr, nullptr, R"sql(
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
)sql"},
    // 2: where an upload stands among its callsign's versions (see
    // upload_store.cpp), and the order in which versions became the one
    // checked: the last is checked now.  Every earlier upload was checked in
    // its turn.
    {"uploads", "standing", R"sql(
ALTER TABLE uploads ADD COLUMN standing INTEGER NOT NULL DEFAULT 0;
ALTER TABLE uploads ADD COLUMN checked_order INTEGER;
UPDATE uploads SET checked_order = id WHERE accepted;
)sql"},
    // 3: each upload's pre-check as its answer showed it.
    {"prechecks", "upload_id", R"sql(
CREATE TABLE prechecks(upload_id INTEGER PRIMARY KEY REFERENCES uploads(id), refusal INTEGER NOT NULL,
    refusal_detail TEXT NOT NULL, qso_callsign TEXT NOT NULL, qso_dates TEXT NOT NULL,
    contest_period TEXT NOT NULL, header_problems TEXT NOT NULL, results_text TEXT NOT NULL,
    error_lines TEXT NOT NULL);
CREATE TABLE rejected_lines(upload_id INTEGER NOT NULL REFERENCES uploads(id), line INTEGER NOT NULL,
    text TEXT NOT NULL, reason TEXT NOT NULL);
CREATE INDEX rejected_lines_by_upload ON rejected_lines(upload_id, line);
)sql"},
    // 4: a run's own folder, its state and how it ended.  Runs from before
    // lived in the folder named by their number; the last one recorded was
    // done, and any later one had failed.
    {"runs", "state", R"sql(
ALTER TABLE runs ADD COLUMN folder TEXT;
ALTER TABLE runs ADD COLUMN state TEXT NOT NULL DEFAULT 'done';
ALTER TABLE runs ADD COLUMN finished_at INTEGER;
ALTER TABLE runs ADD COLUMN failure TEXT NOT NULL DEFAULT '';
UPDATE runs SET folder = CAST(id AS TEXT), finished_at = started_at,
    state = CASE WHEN id > COALESCE((SELECT CAST(value AS INTEGER) FROM settings WHERE key = 'last_run'), 0)
                 THEN 'failed' ELSE 'done' END;
DELETE FROM settings WHERE key = 'last_run';
)sql"},
    // 5: the organiser's sessions, so that a restart logs nobody out.  Only
    // a hash of each token is kept: a copy of the file opens no session.
    {"sessions", "token_hash", R"sql(
CREATE TABLE sessions(token_hash TEXT PRIMARY KEY, expires_at INTEGER NOT NULL) WITHOUT ROWID;
)sql"},
    // 6: the checker's words of a pre-check in Russian too.  One kept
    // before has '' there, and its page shows the English.
    {"prechecks", "header_problems_ru", R"sql(
ALTER TABLE prechecks ADD COLUMN refusal_detail_ru TEXT NOT NULL DEFAULT '';
ALTER TABLE prechecks ADD COLUMN header_problems_ru TEXT NOT NULL DEFAULT '';
ALTER TABLE rejected_lines ADD COLUMN reason_ru TEXT NOT NULL DEFAULT '';
)sql"},
};

bool hasColumn(sqlite3* db, const char* table, const char* column)
{
    Statement query(db, "SELECT 1 FROM pragma_table_info(?) WHERE name = ?");
    query.bind(1, std::string(table));
    query.bind(2, std::string(column));
    return query.step();
}

int userVersion(sqlite3* db)
{
    Statement query(db, "PRAGMA user_version");
    query.step();
    return static_cast<int>(query.integer(0));
}

// Applies the next step the file lacks; false when it lacks none.  Run in
// a write transaction, so that two connections opening at once do not
// both apply a step.
bool applyNextStep(sqlite3* db)
{
    const int version = userVersion(db);
    if (version > schemaVersion())
        throw StoreError("robot.db comes from a newer zemrix-robot (schema " + std::to_string(version) + ")");
    if (version == schemaVersion())
        return false;
    const SchemaStep& step = kSteps[version];
    if (!step.probeTable || !hasColumn(db, step.probeTable, step.probeColumn))
        execSql(db, step.sql);
    execSql(db, ("PRAGMA user_version = " + std::to_string(version + 1)).c_str());
    return true;
}

void upgrade(sqlite3* db)
{
    for (bool applied = true; applied;)
        inTransaction(db, [&] { applied = applyNextStep(db); });
}

}  // namespace

int schemaVersion()
{
    return static_cast<int>(std::size(kSteps));
}

void execSql(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string why = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        throw StoreError("database: " + why);
    }
}

sqlite3* openDatabase(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw StoreError(path + ": " + why);
    }
    try {
        sqlite3_busy_timeout(db, 10000);
        execSql(db, "PRAGMA journal_mode=WAL");
        execSql(db, "PRAGMA synchronous=FULL");
        execSql(db, "PRAGMA foreign_keys=ON");
        upgrade(db);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    return db;
}
