#include "robot/upload_store.h"

#include <algorithm>

namespace {

// uploads.standing: checked once (the one checked now is the latest of
// these), waiting for the organiser, declined by the organiser.
const long long kStandingChecked = 0, kStandingWaiting = 1, kStandingDeclined = 2;

// The version of each callsign that the cross-check uses.
const std::string kLatest = "SELECT id FROM (SELECT id, MAX(checked_order) FROM uploads WHERE accepted AND "
                            "standing = 0 AND callsign <> '' GROUP BY callsign)";

const std::string kUploadColumns =
    "u.id, u.receipt, u.received_at, u.email, u.file_name, u.accepted, u.callsign, u.category, "
    "u.qso_lines, u.claimed_score, u.computed_score, "
    "(SELECT COUNT(*) FROM uploads v WHERE v.callsign = u.callsign AND v.accepted AND v.id <= u.id), "
    "u.standing, u.id IN (" +
    kLatest + ")";

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
    const long long standing = row.integer(12);
    const bool checkedNow = row.integer(13) != 0;
    upload.standing = standing == kStandingWaiting    ? VersionStanding::Waiting
                      : standing == kStandingDeclined ? VersionStanding::Declined
                      : checkedNow                    ? VersionStanding::Checked
                                                      : VersionStanding::Replaced;
    return upload;
}

// One language's side of a list, a line each: the checker's words hold no
// line break.
std::string joinedLines(const std::vector<BothLanguages>& lines, std::string BothLanguages::*language)
{
    std::string text;
    for (const BothLanguages& line : lines)
        text += (text.empty() ? "" : "\n") + line.*language;
    return text;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// The two sides put back together; a list kept without Russian has none.
std::vector<BothLanguages> pairedLines(const std::string& english, const std::string& russian)
{
    std::vector<BothLanguages> lines;
    const std::vector<std::string> russianLines = splitLines(russian);
    for (const std::string& line : splitLines(english))
        lines.push_back({line, lines.size() < russianLines.size() ? russianLines[lines.size()] : std::string()});
    return lines;
}

}  // namespace

UploadStore::UploadStore(const std::string& path) : db_(openDatabase(path)) {}

UploadStore::~UploadStore()
{
    sqlite3_close(db_);
}

void UploadStore::add(const NewUpload& upload)
{
    std::lock_guard<std::mutex> lock(mutex_);
    inTransaction(db_, [&] {
        // A callsign's first version is checked; a later one only with the
        // receipt of a version that was.
        Statement earlier(db_, "SELECT COUNT(*), COALESCE(SUM(receipt = ?), 0) FROM uploads "
                               "WHERE accepted AND callsign = ? AND standing = 0");
        earlier.bindAll(upload.earlierReceipt, upload.callsign);
        earlier.step();
        const bool checked = earlier.integer(0) == 0 || earlier.integer(1) > 0;
        Statement insert(db_, "INSERT INTO uploads(receipt, received_at, email, file_name, original, accepted, "
                              "callsign, category, qso_lines, claimed_score, computed_score, standing, "
                              "checked_order) VALUES(?,?,?,?,?,?,?,?,?,?,?,?, "
                              "CASE WHEN ?6 AND ?12 = 0 THEN (SELECT COALESCE(MAX(checked_order), 0) + 1 "
                              "FROM uploads) END)");
        insert.bindAll(upload.receipt, static_cast<long long>(upload.receivedAt), upload.email, upload.fileName,
                       Blob{upload.original}, upload.accepted ? 1LL : 0LL, upload.callsign, upload.category,
                       static_cast<long long>(upload.qsoLines), upload.claimedScore, upload.computedScore,
                       checked ? kStandingChecked : kStandingWaiting);
        insert.step();
        const long long id = sqlite3_last_insert_rowid(db_);
        insertPrecheck(id, upload.precheck);
        Statement worked(db_, "INSERT OR IGNORE INTO worked(upload_id, callsign) VALUES(?,?)");
        for (const std::string& callsign : upload.workedCallsigns) {
            worked.bindAll(id, callsign);
            worked.step();
            worked.reset();
        }
    });
}

void UploadStore::insertPrecheck(long long id, const Precheck& precheck)
{
    Statement insert(db_, "INSERT INTO prechecks(upload_id, refusal, refusal_detail, refusal_detail_ru, qso_callsign, "
                          "qso_dates, contest_period, header_problems, header_problems_ru, results_text, error_lines) "
                          "VALUES(?,?,?,?,?,?,?,?,?,?,?)");
    insert.bindAll(id, static_cast<long long>(precheck.refusal), precheck.refusalDetail.english,
                   precheck.refusalDetail.russian, precheck.qsoCallsign, precheck.qsoDates, precheck.contestPeriod,
                   joinedLines(precheck.headerProblems, &BothLanguages::english),
                   joinedLines(precheck.headerProblems, &BothLanguages::russian), precheck.resultsText,
                   precheck.errorLines);
    insert.step();
    Statement line(db_, "INSERT INTO rejected_lines(upload_id, line, text, reason, reason_ru) VALUES(?,?,?,?,?)");
    for (const RejectedLine& rejected : precheck.rejectedLines) {
        line.bindAll(id, static_cast<long long>(rejected.line), rejected.text, rejected.reason.english,
                     rejected.reason.russian);
        line.step();
        line.reset();
    }
}

void UploadStore::keepPrecheck(long long id, const Precheck& precheck)
{
    std::lock_guard<std::mutex> lock(mutex_);
    inTransaction(db_, [&] {
        Statement kept(db_, "SELECT 1 FROM prechecks WHERE upload_id = ?");
        kept.bind(1, id);
        if (!kept.step())
            insertPrecheck(id, precheck);
    });
}

std::vector<RejectedLine> UploadStore::rejectedLines(long long id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return rejectedLinesLocked(id, -1);  // SQLite's LIMIT -1: all
}

std::vector<RejectedLine> UploadStore::rejectedLinesLocked(long long id, int most)
{
    Statement query(db_, "SELECT line, text, reason, reason_ru FROM rejected_lines WHERE upload_id = ? "
                         "ORDER BY line LIMIT ?");
    query.bindAll(id, static_cast<long long>(most));
    std::vector<RejectedLine> lines;
    while (query.step())
        lines.push_back({static_cast<int>(query.integer(0)), query.text(1), {query.text(2), query.text(3)}});
    return lines;
}

std::optional<KeptPrecheck> UploadStore::keptPrecheck(long long id, int rejectedLinesShown)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Statement query(db_, "SELECT p.refusal, p.refusal_detail, p.qso_callsign, p.qso_dates, p.contest_period, "
                         "p.header_problems, p.results_text, p.error_lines, u.callsign, "
                         "p.refusal_detail_ru, p.header_problems_ru, "
                         "(SELECT COUNT(*) FROM rejected_lines r WHERE r.upload_id = p.upload_id) "
                         "FROM prechecks p JOIN uploads u ON u.id = p.upload_id WHERE p.upload_id = ?");
    query.bind(1, id);
    if (!query.step())
        return std::nullopt;
    KeptPrecheck kept;
    Precheck& precheck = kept.precheck;
    precheck.refusal = static_cast<Refusal>(query.integer(0));
    precheck.refusalDetail = {query.text(1), query.text(9)};
    precheck.qsoCallsign = query.text(2);
    precheck.qsoDates = query.text(3);
    precheck.contestPeriod = query.text(4);
    precheck.headerProblems = pairedLines(query.text(5), query.text(10));
    precheck.resultsText = query.text(6);
    precheck.errorLines = query.text(7);
    precheck.callsign = query.text(8);
    kept.rejectedLineCount = static_cast<int>(query.integer(11));
    precheck.rejectedLines = rejectedLinesLocked(id, rejectedLinesShown);
    return kept;
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
    const std::string sql = "SELECT " + kUploadColumns + " FROM uploads u WHERE u.receipt = ?";
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
        "SELECT " + kUploadColumns + " FROM uploads u WHERE u.id IN (" + kLatest + ") ORDER BY u.id DESC";
    return queryUploads(sql.c_str(), "");
}

std::vector<StoredUpload> UploadStore::everyVersion()
{
    const std::string sql =
        "SELECT " + kUploadColumns + " FROM uploads u WHERE u.accepted AND u.callsign <> '' ORDER BY u.callsign, u.id";
    return queryUploads(sql.c_str(), "");
}

bool UploadStore::decideVersion(const std::string& receipt, bool checkIt)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Statement decide(db_, "UPDATE uploads SET standing = CASE WHEN ?2 THEN 0 ELSE 2 END, checked_order = CASE WHEN "
                          "?2 THEN (SELECT COALESCE(MAX(checked_order), 0) + 1 FROM uploads) END "
                          "WHERE receipt = ?1 AND accepted AND standing = 1");
    decide.bindAll(receipt, checkIt ? 1LL : 0LL);
    decide.step();
    return sqlite3_changes(db_) > 0;
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
    const std::string sql = "SELECT w.callsign, COUNT(*) AS n FROM worked w WHERE w.upload_id IN (" + kLatest +
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
    upsert.bindAll(key, value);
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
