// The robot's files: robot.db brought up from an older robot's file, run
// folders that are always new, a write that fails says so.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/whole_file.h"
#include "robot/database.h"
#include "robot/run_book.h"
#include "robot/run_folder.h"
#include "robot/session_book.h"
#include "robot/upload_store.h"
#include "robot_fixture.h"

namespace fs = std::filesystem;

namespace {

// robot.db as a robot wrote it before its schema had numbered steps, with
// an upload, a run that was the last done and a later one that failed;
// `later` is what a robot between then and the numbering added.
void writeUnversionedDatabase(const std::string& path, const char* later)
{
    runSqlOn(path, std::string(kFirstRobotsSchema) + R"sql(
INSERT INTO uploads VALUES(1, 'ABCDEFGHJK', 1766260800, 'a@x.org', 'a.log', 'bytes', 1, 'UA3ABC', '', 1, NULL, 2);
INSERT INTO runs VALUES(1, 1766300000), (2, 1766300100), (3, 1766300200);
INSERT INTO settings VALUES('last_run', '2'), ('published_run', '2');
)sql" + later);
}

// Opens the file twice and finds everything it held, in the newest form.
void checkBroughtUp(const char* later)
{
    ScratchFolder scratch;
    const std::string path = (scratch.path() / "robot.db").string();
    writeUnversionedDatabase(path, later);
    for (int opening = 0; opening < 2; ++opening) {  // the second opening has nothing left to do
        UploadStore store(path);
        ASSERT_EQ(store.latestLogs().size(), 1u);
        EXPECT_EQ(store.latestLogs()[0].receipt, "ABCDEFGHJK");
        EXPECT_EQ(store.setting("published_run"), "2");
        EXPECT_EQ(store.setting("last_run"), std::nullopt);
        RunBook runs(path);
        const struct {
            long long run;
            RunState state;
        } expected[] = {{1, RunState::Done}, {2, RunState::Done}, {3, RunState::Failed}};
        for (const auto& row : expected) {
            const auto run = runs.find(row.run);
            ASSERT_TRUE(run) << row.run;
            EXPECT_EQ(run->state, row.state) << row.run;
            EXPECT_EQ(run->folder, std::to_string(row.run));
        }
        EXPECT_EQ(runs.newestDone()->id, 2);
        SessionBook sessions(path);
        sessions.keep("token", std::time(nullptr) + 60);
        EXPECT_TRUE(sessions.isLive("token", std::time(nullptr)));
        sessions.drop("token");
    }
    Connection db(path);
    Statement version(db, "PRAGMA user_version");
    version.step();
    EXPECT_EQ(version.integer(0), schemaVersion()) << later;
}

// The first robot's file, and one to which a robot before the numbering had
// added the versions' columns and the kept pre-checks.
TEST(RobotDatabase, AnOlderFileIsBroughtUpStepByStepAndKeepsItsData)
{
    const char* const laterColumns =
        "ALTER TABLE uploads ADD COLUMN standing INTEGER NOT NULL DEFAULT 0;"
        "ALTER TABLE uploads ADD COLUMN checked_order INTEGER;"
        "UPDATE uploads SET checked_order = id WHERE accepted;"
        "CREATE TABLE prechecks(upload_id INTEGER PRIMARY KEY, refusal INTEGER NOT NULL, refusal_detail TEXT NOT NULL,"
        " qso_callsign TEXT NOT NULL, qso_dates TEXT NOT NULL, contest_period TEXT NOT NULL,"
        " header_problems TEXT NOT NULL, results_text TEXT NOT NULL, error_lines TEXT NOT NULL);"
        "CREATE TABLE rejected_lines(upload_id INTEGER NOT NULL, line INTEGER NOT NULL, text TEXT NOT NULL,"
        " reason TEXT NOT NULL);";
    for (const char* later : {"", laterColumns})
        checkBroughtUp(later);
}

TEST(RobotDatabase, AFileOfANewerRobotIsNotTouched)
{
    ScratchFolder scratch;
    const std::string path = (scratch.path() / "robot.db").string();
    {
        UploadStore store(path);
    }
    {
        Connection db(path);
        execSql(db, ("PRAGMA user_version = " + std::to_string(schemaVersion() + 1)).c_str());
    }
    EXPECT_THROW(UploadStore store(path), StoreError);
}

TEST(RobotRunFolders, AFreshFolderNeverReusesWhatIsThere)
{
    ScratchFolder scratch;
    const std::string parent = scratch.path().string();
    // Each row: what lies in the folder before, the name the next run gets.
    const struct {
        std::vector<std::string> folders;
        std::vector<std::string> files;
        const char* expected;
        const char* why;
    } cases[] = {
        {{}, {}, "7", "nothing there: the run's own number"},
        {{"7"}, {}, "7-2", "a restored database numbers a run again"},
        {{"7", "7-2"}, {}, "7-3", "and again"},
        {{"7", "7-3"}, {}, "7-2", "the first free name, not one past the last"},
        {{}, {"7"}, "7-2", "a file of that name counts as taken"},
        {{"70", "17"}, {}, "7", "only the exact name is taken"},
    };
    for (const auto& c : cases) {
        const fs::path place = fs::path(parent) / "case";
        fs::remove_all(place);
        fs::create_directories(place);
        for (const std::string& folder : c.folders)
            fs::create_directories(place / folder / "out");
        for (const std::string& file : c.files)
            writeWholeFile((place / file).string(), "x");
        EXPECT_EQ(createFreshFolder(place.string(), "7"), c.expected) << c.why;
        EXPECT_TRUE(fs::is_directory(place / c.expected));
    }
    EXPECT_THROW(createFreshFolder(parent + "/missing", "1"), std::runtime_error);

    // A finished run moves in whole, beside what is there.
    const fs::path partial = fs::path(parent) / "case" / ".partial-7";
    fs::create_directories(partial / "out");
    writeWholeFile((partial / "out/results.html").string(), "new");
    EXPECT_EQ(moveToFreshFolder(partial.string(), (fs::path(parent) / "case").string(), "7"), "7-2");
    EXPECT_EQ(readWholeFile((fs::path(parent) / "case/7-2/out/results.html").string()), "new");
    EXPECT_FALSE(fs::exists(partial));
    EXPECT_THROW(moveToFreshFolder(partial.string(), (fs::path(parent) / "case").string(), "7"), std::runtime_error);
    EXPECT_FALSE(fs::exists(fs::path(parent) / "case/7-3")) << "a failed move leaves no empty folder";
}

TEST(RobotRunFolders, AZipThatFailsSaysSo)
{
    ScratchFolder scratch;
    const std::string folder = scratch.path().string();
    writeWholeFile(folder + "/a.log", "bytes");
    EXPECT_THROW(zipFolder(folder, folder + "/missing/all.zip"), std::runtime_error);
}

}  // namespace
