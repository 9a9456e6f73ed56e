// The organiser's side over HTTP, in-process: the gate in front of every
// organiser route, cross-check runs in the background, publishing a chosen
// run, closing and reopening, sessions across a restart, the export.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/whole_file.h"
#include "robot/run_book.h"
#include "robot/run_folder.h"
#include "robot/upload_store.h"
#include "robot_fixture.h"

namespace fs = std::filesystem;

namespace {

bool isOrganiserPath(const std::string& path)
{
    return (path == "/organiser" || path.rfind("/organiser/", 0) == 0) && path != "/organiser/login";
}

// Every route the server has, walked from its own list: a route added later
// is walked too.
TEST(RobotGate, EveryOrganiserRouteWantsTheSessionAndEveryFormItsToken)
{
    RunningRobot robot;
    Browser stranger(robot.port()), organiser(robot.port());
    ASSERT_TRUE(organiser.logIn());
    const std::string forged = std::string(64, 'f');
    int organiserRoutes = 0;
    for (const auto& [method, path] : RobotServer::routeExamples()) {
        const bool post = method == "POST";
        if (isOrganiserPath(path)) {
            ++organiserRoutes;
            const auto answer = post ? stranger.post(path, {{"csrf", stranger.csrf()}}) : stranger.get(path);
            ASSERT_TRUE(answer) << path;
            EXPECT_EQ(answer->status, 303) << method << " " << path << " without a session";
            EXPECT_EQ(answer->get_header_value("Location"), "/organiser/login") << path;
        }
        if (!post)
            continue;
        for (const httplib::Params& form : {httplib::Params{{"csrf", forged}}, httplib::Params{}}) {
            const auto answer = organiser.post(path, form);
            ASSERT_TRUE(answer) << path;
            EXPECT_EQ(answer->status, 403) << "POST " << path << " with a forged or no form token";
        }
    }
    EXPECT_GE(organiserRoutes, 9) << "the walk saw the organiser's routes";
    // The refused forms changed nothing: the robot is open and still logged in.
    EXPECT_FALSE(contains(Browser(robot.port()).get("/")->body, "id=\"closed\""));
    EXPECT_EQ(organiser.get("/organiser")->status, 200);
    EXPECT_EQ(RunBook(robot.databasePath()).newest(), std::nullopt);
}

TEST(RobotGate, TheOrganiserStaysLoggedInAcrossARestart)
{
    RunningRobot robot;
    std::string session;
    {
        Browser organiser(robot.port());
        ASSERT_TRUE(organiser.logIn());
        session = organiser.cookie("session");
    }
    robot.restart();
    Browser again(robot.port());
    again.setCookie("session", session);
    EXPECT_EQ(again.get("/organiser")->status, 200);
    EXPECT_EQ(again.post("/organiser/logout", {{"csrf", again.csrf()}})->status, 303);
    Browser stale(robot.port());
    stale.setCookie("session", session);
    EXPECT_EQ(stale.get("/organiser")->status, 303) << "logged out means out, restart or not";
}

TEST(RobotOrganiser, CloseNowHoldsBeforeAFarDeadlineAndReopenUndoesIt)
{
    RunningRobot robot([](RobotConfig& config) { parseUtcMinute("2099-12-31 23:59", config.deadline); });
    Browser organiser(robot.port()), participant(robot.port());
    ASSERT_TRUE(organiser.logIn());
    EXPECT_FALSE(contains(organiser.get("/organiser")->body, "id=\"reopen\""));
    ASSERT_EQ(organiser.post("/organiser/close", {{"csrf", organiser.csrf()}})->status, 303);
    const auto late = participant.upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org");
    EXPECT_EQ(late->status, 403) << "closed now, not at the config's deadline of 2099";
    EXPECT_TRUE(contains(organiser.get("/organiser")->body, "id=\"reopen\""));
    ASSERT_EQ(organiser.post("/organiser/reopen", {{"csrf", organiser.csrf()}})->status, 303);
    EXPECT_EQ(participant.upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org")->status, 200);
    EXPECT_TRUE(contains(organiser.get("/organiser")->body, "until 2099-12-31 23:59"));
}

// Three logs, a run, one more log, a second run: the state each test below
// starts from.
struct TwoRuns {
    RunningRobot robot;
    Browser organiser{robot.port()};

    TwoRuns()
    {
        Browser participant(robot.port());
        participant.upload(cabrilloLog("UA3ABC", {"RK3DZB", "RN9C"}), "a@x.org");
        participant.upload(cabrilloLog("RK3DZB", {"UA3ABC", "RN9C"}), "b@x.org");
        if (!organiser.logIn() || organiser.runCrossCheck(0) != "/organiser/run/1")
            throw std::runtime_error("no first run");
        participant.upload(cabrilloLog("RN9C", {"UA3ABC", "RK3DZB"}), "c@x.org");
        if (organiser.runCrossCheck(1) != "/organiser/run/2")
            throw std::runtime_error("no second run");
    }
};

TEST(RobotPublish, ARunsPageAsksWhileOpenThenPublishesThatRunAndTheResultsSayWhich)
{
    TwoRuns contest;
    Browser& organiser = contest.organiser;
    const std::string firstRun = organiser.get("/organiser/run/1")->body;
    ASSERT_TRUE(contains(firstRun, "name=\"run\" value=\"1\"")) << firstRun;

    const auto asked = organiser.post("/organiser/publish", {{"csrf", organiser.csrf()}, {"run", "1"}});
    ASSERT_EQ(asked->status, 200);
    EXPECT_TRUE(contains(asked->body, "id=\"confirm\"")) << asked->body;
    EXPECT_TRUE(contains(asked->body, "name=\"confirm\" value=\"yes\""));
    EXPECT_EQ(Browser(contest.robot.port()).get("/results/")->status, 404) << "nothing published before the yes";

    ASSERT_EQ(
        organiser.post("/organiser/publish", {{"csrf", organiser.csrf()}, {"run", "1"}, {"confirm", "yes"}})->status,
        303);
    const auto results = Browser(contest.robot.port()).get("/results/");
    ASSERT_EQ(results->status, 200);
    EXPECT_TRUE(contains(results->body, "<p id=\"run-note\">Results of cross-check run 1, made 20")) << results->body;
    EXPECT_FALSE(contains(results->body, "ubn/RN9C.txt")) << "RN9C sent its log after run 1";

    for (const char* run : {"3", "0", "x", ""})
        EXPECT_EQ(organiser.post("/organiser/publish", {{"csrf", organiser.csrf()}, {"run", run}, {"confirm", "yes"}})
                      ->status,
                  409)
            << run;
    // Once closed, no question.
    organiser.post("/organiser/close", {{"csrf", organiser.csrf()}});
    EXPECT_EQ(organiser.post("/organiser/publish", {{"csrf", organiser.csrf()}, {"run", "2"}})->status, 303);
    EXPECT_TRUE(contains(Browser(contest.robot.port()).get("/results/")->body, "cross-check run 2"));
}

TEST(RobotRuns, TwoClicksOfOnePageStartOneRun)
{
    TwoRuns contest;
    Browser& organiser = contest.organiser;
    // Both clicks come from a page that showed run 2 as the newest.
    std::string locations[2];
    std::thread second([&] {
        Browser other(contest.robot.port());
        other.setCookie("session", organiser.cookie("session"));
        other.setCookie("csrf", organiser.csrf());
        locations[1] =
            other.post("/organiser/check", {{"csrf", organiser.csrf()}, {"newest", "2"}})->get_header_value("Location");
    });
    locations[0] =
        organiser.post("/organiser/check", {{"csrf", organiser.csrf()}, {"newest", "2"}})->get_header_value("Location");
    second.join();
    EXPECT_EQ(locations[0], "/organiser/run/3");
    EXPECT_EQ(locations[1], "/organiser/run/3");
    organiser.runCrossCheck(2);  // a third, stale click waits for run 3 and starts nothing
    EXPECT_EQ(RunBook(contest.robot.databasePath()).newest()->id, 3);
    EXPECT_EQ(RunBook(contest.robot.databasePath()).newest()->state, RunState::Done);
}

TEST(RobotRuns, ARestoredDatabaseNeverWritesIntoAnotherRunsFolder)
{
    RunningRobot robot;
    Browser participant(robot.port());
    participant.upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org");
    const fs::path data = robot.config().dataDir, backup = fs::path(data).parent_path() / "backup.db";
    robot.restart([&] { fs::copy_file(data / "robot.db", backup); });
    {
        Browser organiser(robot.port());
        ASSERT_TRUE(organiser.logIn());
        organiser.runCrossCheck();
    }
    const std::string firstResults = readWholeFile((data / "runs/1/out/results.html").string());
    ASSERT_FALSE(firstResults.empty());
    robot.restart([&] {
        fs::remove(data / "robot.db-wal");
        fs::remove(data / "robot.db-shm");
        fs::copy_file(backup, data / "robot.db", fs::copy_options::overwrite_existing);
    });
    Browser participant2(robot.port()), organiser(robot.port());
    participant2.upload(cabrilloLog("RN9C", {"RK3DZB"}), "c@x.org");
    ASSERT_TRUE(organiser.logIn());
    EXPECT_EQ(organiser.runCrossCheck(), "/organiser/run/1") << "the restored book starts its numbers again";
    EXPECT_EQ(readWholeFile((data / "runs/1/out/results.html").string()), firstResults);
    EXPECT_EQ(RunBook(robot.databasePath()).find(1)->folder, "1-2");
    EXPECT_TRUE(contains(organiser.get("/organiser/run/1/results.html")->body, "RN9C"));
}

TEST(RobotRuns, ARunTheRobotWasStoppedInIsFailedItsFilesGoneAndNeverPublished)
{
    // As a kill leaves it: the run recorded as running, half its files
    // written; beside it the folder of a run a restored backup forgot.
    RunningRobot robot([](RobotConfig& config) {
        fs::create_directories(config.dataDir + "/runs/.partial-1/logs");
        fs::create_directories(config.dataDir + "/runs/1/out");
        RunBook(config.dataDir + "/robot.db").begin(std::time(nullptr));
        writeWholeFile(config.dataDir + "/runs/.partial-1/logs/ABC.log", "half");
        writeWholeFile(config.dataDir + "/runs/1/out/results.html", "an older contest's results");
    });
    const fs::path runs = fs::path(robot.config().dataDir) / "runs";
    EXPECT_FALSE(fs::exists(runs / ".partial-1"));
    EXPECT_EQ(readWholeFile((runs / "1/out/results.html").string()), "an older contest's results");
    Browser organiser(robot.port());
    ASSERT_TRUE(organiser.logIn());
    const std::string page = organiser.get("/organiser/run/1")->body;
    EXPECT_TRUE(contains(page, "id=\"run-state\">failed")) << page;
    EXPECT_TRUE(contains(page, "the robot stopped during the run"));
    EXPECT_FALSE(contains(page, "id=\"publish\""));
    EXPECT_FALSE(contains(organiser.get("/organiser")->body, "id=\"publish\""));
    EXPECT_EQ(organiser.get("/organiser/run/1/results.html")->status, 404);
    EXPECT_EQ(
        organiser.post("/organiser/publish", {{"csrf", organiser.csrf()}, {"run", "1"}, {"confirm", "yes"}})->status,
        409);
}

TEST(RobotRuns, ARunThatCannotWriteFailsAndSaysWhy)
{
    RunningRobot robot;
    Browser participant(robot.port()), organiser(robot.port());
    participant.upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org");
    const fs::path runs = fs::path(robot.config().dataDir) / "runs";
    fs::remove_all(runs);
    writeWholeFile(runs.string(), "not a folder");
    ASSERT_TRUE(organiser.logIn());
    const std::string page = organiser.get(organiser.runCrossCheck())->body;
    EXPECT_TRUE(contains(page, "id=\"run-state\">failed")) << page;
    EXPECT_TRUE(contains(page, "Not a directory")) << page;
    EXPECT_EQ(RunBook(robot.databasePath()).newestDone(), std::nullopt);
    const std::vector<std::string> log = robot.logLines(1);
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) {
                                return contains(line, " error: cross-check run 1 failed: ") &&
                                       contains(line, "Not a directory");
                            }),
              1);
}

TEST(RobotOrganiser, ListShowsRefusedUploadsAndMarksAClaimThatDiffers)
{
    RunningRobot robot;
    Browser participant(robot.port()), organiser(robot.port());
    participant.upload(cabrilloLog("UA3ABC", {"RK3DZB"}, "CLAIMED-SCORE: 999\r\n"), "a@x.org");
    participant.upload(cabrilloLog("RK3DZB", {"UA3ABC"}), "b@x.org");
    participant.upload("Dear organiser, no log.", "late&co@x.org", "letter.txt");
    ASSERT_TRUE(organiser.logIn());
    const std::string list = organiser.get("/organiser")->body;
    ASSERT_TRUE(contains(list, "Refused uploads (1)")) << list;
    const std::string refused = list.substr(list.find("id=\"refused\""));
    EXPECT_TRUE(contains(refused, "letter.txt") && contains(refused, "late&amp;co@x.org")) << refused;
    EXPECT_TRUE(contains(list, "class=\"differs\" title=\"The claimed score differs from the computed one\">999<"));
    EXPECT_EQ(list.find("class=\"differs\""), list.rfind("class=\"differs\"")) << "RK3DZB claims nothing";
}

TEST(RobotOrganiser, ExportHoldsEveryUploadAndItsDetails)
{
    RunningRobot robot;
    Browser participant(robot.port()), organiser(robot.port());
    const std::string versions[] = {cabrilloLog("UA3ABC", {"RK3DZB"}), cabrilloLog("UA3ABC", {"RK3DZB", "RN9C"}),
                                    std::string("\x89PNG\r\n\x1a\n", 8)};
    for (const std::string& bytes : versions)
        participant.upload(bytes, "=1+2@x.org");
    ASSERT_TRUE(organiser.logIn());
    const auto zip = organiser.get("/organiser/received.zip");
    ASSERT_EQ(zip->status, 200);
    EXPECT_EQ(zip->get_header_value("Content-Type"), "application/zip");
    const std::vector<StoredUpload> uploads = UploadStore(robot.databasePath()).everyUpload();
    ASSERT_EQ(uploads.size(), 3u);
    std::vector<std::string> expected = {"uploads.csv"};
    for (std::size_t i = 0; i < uploads.size(); ++i) {
        EXPECT_EQ(zipEntry(zip->body, "uploads/" + uploads[i].receipt + ".log"), versions[i]) << i;
        expected.push_back("uploads/" + uploads[i].receipt + ".log");
    }
    std::vector<std::string> entries = zipEntries(zip->body);
    std::sort(entries.begin(), entries.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries, expected);
    const std::string csv = zipEntry(zip->body, "uploads.csv");
    EXPECT_TRUE(contains(csv, uploads[2].receipt + ",")) << csv;
    EXPECT_TRUE(contains(csv, ",'=1+2@x.org,log.cbr,refused,")) << csv;
    EXPECT_TRUE(contains(csv, ",accepted,UA3ABC,SINGLE-OP,1,,1,1,checked\r\n")) << csv;
    EXPECT_TRUE(contains(csv, ",accepted,UA3ABC,SINGLE-OP,2,,4,2,waiting\r\n")) << "no receipt: it waits";
    // Sent, then gone: the server lets go of it just after the last byte.
    const fs::path made = fs::path(robot.config().dataDir) / "exports" / "received";
    for (int wait = 0; wait < 500 && fs::exists(made); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(fs::exists(made));
}

}  // namespace
