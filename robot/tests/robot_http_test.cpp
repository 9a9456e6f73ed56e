// The robot over HTTP, in-process: every page, every refusal, escaping, the
// size limit, form tokens, the organiser's login and pages.
#include <gtest/gtest.h>

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "robot/upload_store.h"
#include "robot_fixture.h"

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// No page of the robot has a script of its own, so any "<script" in one
// came from outside unescaped.
bool holdsScriptTag(std::string html)
{
    for (char& c : html)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return contains(html, "<script");
}

std::string statusAndBody(const httplib::Result& result)
{
    if (!result)
        return "no answer: " + httplib::to_string(result.error());
    return std::to_string(result->status) + " " + result->body;
}

TEST(RobotPages, EachPageAnswersInTheBrowsersLanguage)
{
    RunningRobot robot;
    struct Case {
        const char* path;
        const char* language;
        int status;
        const char* expected;
    } const cases[] = {
        {"/", "en-GB,en;q=0.9", 200, "Send your log"},
        {"/", "ru-RU,ru;q=0.9,en;q=0.8", 200, "Отправить отчёт"},
        {"/", "de;q=1,en;q=0.5,ru;q=0.7", 200, "Отправить отчёт"},
        {"/", "fr", 200, "Send your log"},
        {"/?lang=ru", "en", 200, "Отправить отчёт"},
        {"/organiser/login", "en", 200, "name=\"password\""},
        {"/results/", "en", 404, "not published yet"},
        {"/receipt/ZZZZZZZZZZ", "en", 404, "Nothing here"},
        {"/no/such/page", "ru", 404, "Здесь ничего нет"},
    };
    for (const Case& c : cases) {
        Browser browser(robot.port(), c.language);
        const auto result = browser.get(c.path);
        ASSERT_TRUE(result) << c.path;
        EXPECT_EQ(result->status, c.status) << c.path << " " << c.language;
        EXPECT_TRUE(contains(result->body, c.expected)) << c.path << " " << c.language << "\n" << result->body;
        EXPECT_TRUE(contains(result->get_header_value("Content-Type"), "text/html")) << c.path;
    }
}

TEST(RobotPages, LanguageSwitchIsRememberedByCookie)
{
    RunningRobot robot;
    Browser browser(robot.port(), "en");
    browser.get("/?lang=ru");
    EXPECT_EQ(browser.cookie("lang"), "ru");
    EXPECT_TRUE(contains(browser.get("/organiser/login")->body, "Вход для организатора"));
}

TEST(RobotPages, OrganiserPagesNeedALogin)
{
    RunningRobot robot;
    Browser browser(robot.port());
    for (const char* path :
         {"/organiser", "/organiser/run/1", "/organiser/run/1/results.html", "/organiser/run/1/all.zip"}) {
        const auto result = browser.get(path);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, 303) << path;
        EXPECT_EQ(result->get_header_value("Location"), "/organiser/login") << path;
    }
    const std::string csrf = browser.csrf();
    for (const char* path : {"/organiser/check", "/organiser/publish", "/organiser/close"})
        EXPECT_EQ(browser.post(path, {{"csrf", csrf}})->status, 303) << path;
    browser.setCookie("session", std::string(64, 'a'));
    EXPECT_EQ(browser.get("/organiser")->status, 303);
}

TEST(RobotUpload, RefusesWhatIsNoLogAndSaysWhy)
{
    RunningRobot robot;
    const std::string pngHeader("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    struct Case {
        const char* what;
        std::string bytes;
        std::string email;
        int status;
        const char* expected;
    } const cases[] = {
        {"nothing", "", "op@example.org", 400, "No log was sent"},
        {"blanks", "  \r\n\t\r\n", "op@example.org", 400, "No log was sent"},
        {"no e-mail", cabrilloLog("UA3ABC", {"RK3DZB"}), "", 400, "e-mail address"},
        {"broken e-mail", cabrilloLog("UA3ABC", {"RK3DZB"}), "op@ex@ample", 400, "e-mail address"},
        {"a picture", pngHeader, "op@example.org", 422, "not a Cabrillo or ADIF log"},
        {"a letter", "Dear organiser,\nmy log follows.\n", "op@example.org", 422, "not a Cabrillo or ADIF log"},
        {"no callsign", "START-OF-LOG: 3.0\r\nCONTEST: ZEMRIX\r\nEND-OF-LOG:\r\n", "op@example.org", 422,
         "CALLSIGN is missing"},
        {"another contest",
         "START-OF-LOG: 3.0\r\nCONTEST: CQ-WW-CW\r\nCALLSIGN: UA3ABC\r\n"
         "QSO:  3527 CW 2025-12-20 2000 UA3ABC        599 16     RK3DZB        599 48\r\n",
         "op@example.org", 422, "another contest"},
    };
    Browser browser(robot.port());
    for (const Case& c : cases) {
        const auto result = browser.upload(c.bytes, c.email);
        ASSERT_TRUE(result) << c.what;
        EXPECT_EQ(result->status, c.status) << c.what;
        EXPECT_TRUE(contains(result->body, c.expected)) << c.what << "\n" << result->body;
    }
    // Refused logs get a receipt too, so the participant can show what was sent.
    const auto refused = browser.upload(pngHeader, "op@example.org");
    EXPECT_TRUE(contains(refused->body, "id=\"receipt\""));
}

TEST(RobotUpload, SizeLimitIsAnsweredWith413AndAPage)
{
    RunningRobot robot([](RobotConfig& config) { config.uploadLimit = 64 * 1024; });
    Browser browser(robot.port());
    const std::string atLimit = cabrilloLog("UA3ABC", {"RK3DZB"}) + std::string(64 * 1024, ' ');
    for (const std::string& bytes : {atLimit.substr(0, 64 * 1024 + 1), std::string(1024 * 1024, 'x')}) {
        const auto result = browser.upload(bytes, "op@example.org");
        ASSERT_TRUE(result) << bytes.size();
        EXPECT_EQ(result->status, 413) << bytes.size();
        EXPECT_TRUE(contains(result->body, "larger than the limit of 64 KB")) << result->body;
    }
    EXPECT_EQ(browser.upload(atLimit.substr(0, 64 * 1024), "op@example.org")->status, 200);
}

TEST(RobotUpload, FormsWithoutTheirTokenAreRefused)
{
    RunningRobot robot;
    Browser browser(robot.port());
    const std::string log = cabrilloLog("UA3ABC", {"RK3DZB"});
    browser.csrf();
    browser.setCookie("csrf", std::string(64, 'b'));  // the cookie and the form disagree
    const httplib::MultipartFormDataItems items = {
        {"csrf", std::string(64, 'c'), "", ""}, {"log", log, "a.log", ""}, {"email", "op@example.org", "", ""}};
    httplib::Client client("127.0.0.1", robot.port());
    struct Case {
        const char* what;
        httplib::Headers headers;
    } const cases[] = {
        {"no cookie", {}},
        {"another cookie", {{"Cookie", "csrf=" + std::string(64, 'b')}}},
        {"a cookie that is no token", {{"Cookie", "csrf=c"}}},
    };
    for (const Case& c : cases) {
        const auto result = client.Post("/upload", c.headers, items);
        ASSERT_TRUE(result) << c.what;
        EXPECT_EQ(result->status, 403) << c.what;
        EXPECT_TRUE(contains(result->body, "reload the page")) << c.what;
    }
    EXPECT_EQ(UploadStore(robot.config().dataDir + "/robot.db").acceptedUploads(), 0);
}

TEST(RobotUpload, LaterLogReplacesTheEarlierAndKeepsEveryVersionByteForByte)
{
    RunningRobot robot;
    Browser browser(robot.port());
    // Lower case, a byte order mark and a stray Latin-1 byte: stored as sent.
    const std::string first = "\xEF\xBB\xBF" + cabrilloLog("ua3abc", {"RK3DZB", "RN9C"}, "SOAPBOX: caf\xE9\r\n");
    const std::string second = cabrilloLog("UA3ABC", {"RK3DZB", "RN9C", "RU6M"}, "CLAIMED-SCORE: 9\r\n");
    const auto one = browser.upload(first, "op@example.org");
    const auto two = browser.upload(second, "op@example.org");
    ASSERT_EQ(one->status, 200) << one->body;
    ASSERT_EQ(two->status, 200) << two->body;
    EXPECT_TRUE(contains(two->body, "Version 2")) << two->body;

    UploadStore store(robot.config().dataDir + "/robot.db");
    const auto latest = store.latestLogs();
    ASSERT_EQ(latest.size(), 1u);
    EXPECT_EQ(latest[0].callsign, "UA3ABC");
    EXPECT_EQ(latest[0].qsoLines, 3);
    EXPECT_EQ(latest[0].claimedScore, 9);
    EXPECT_EQ(store.acceptedUploads(), 2);
    EXPECT_EQ(store.originalBytes(latest[0].id), second);
    EXPECT_EQ(store.originalBytes(latest[0].id - 1), first);

    // The receipt's page later shows the same answer.
    const std::string receipt = latest[0].receipt;
    const auto later = browser.get("/receipt/" + receipt);
    ASSERT_EQ(later->status, 200);
    EXPECT_TRUE(contains(later->body, receipt) && contains(later->body, "id=\"claimed\">9<"));
}

TEST(RobotUpload, AnswerShowsRejectedLinesAndBothScores)
{
    RunningRobot robot;
    Browser browser(robot.port());
    std::string log = cabrilloLog("UA3ABC", {"RK3DZB", "RN9C"}, "CLAIMED-SCORE: 1000\r\n");
    log.insert(log.find("END-OF-LOG"),
               "QSO:  1830 CW 2025-12-20 2100 UA3ABC        599 16     DL1AA         599 48\r\n");
    const auto result = browser.upload(log, "op@example.org");
    ASSERT_EQ(result->status, 200) << result->body;
    EXPECT_TRUE(contains(result->body, "id=\"claimed\">1000<"));
    EXPECT_TRUE(contains(result->body, "id=\"computed\">"));
    EXPECT_TRUE(contains(result->body, "NO CONTEST BAND")) << result->body;
    EXPECT_TRUE(contains(result->body, "<td>8</td>")) << "the rejected line's number in the file";
}

TEST(RobotUpload, PastedCabrilloAndAdifAreTakenLikeFiles)
{
    RunningRobot robot;
    Browser browser(robot.port());
    const std::string adif =
        "Pasted from a logger\n<ADIF_VER:5>3.1.0 <EOH>\n"
        "<CALL:6>RK3DZB <STATION_CALLSIGN:6>UA3ABC <BAND:3>80m <FREQ:5>3.527 <MODE:2>CW <QSO_DATE:8>20251220 "
        "<TIME_ON:4>2000 <RST_SENT:3>599 <STX:2>16 <RST_RCVD:3>599 <SRX:2>48 <EOR>\n";
    for (const std::string& text : {cabrilloLog("RN9C", {"RK3DZB"}), adif}) {
        const auto result = browser.paste(text, "op@example.org");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200) << result->body;
        EXPECT_TRUE(contains(result->body, "id=\"verdict\">Accepted")) << result->body;
    }
    EXPECT_EQ(UploadStore(robot.config().dataDir + "/robot.db").latestLogs().size(), 2u);
}

TEST(RobotOrganiser, CallsignsNeverBecomePaths)
{
    RunningRobot robot;
    Browser browser(robot.port());
    for (const char* callsign : {"../../../EVIL", "..", "/TMP/X", "CON"})
        browser.upload(cabrilloLog(callsign, {"RK3DZB"}), "op@example.org");
    ASSERT_TRUE(browser.logIn());
    EXPECT_EQ(browser.post("/organiser/check", {{"csrf", browser.csrf()}})->status, 303);
    // Only the database and the run's own folder lie in the data folder.
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(robot.config().dataDir)) {
        const std::string path = std::filesystem::relative(entry.path(), robot.config().dataDir).string();
        if (path.rfind("robot.db", 0) != 0 && path.rfind("runs/1/out/ubn/", 0) != 0 &&
            path.rfind("runs/1/logs/", 0) != 0)
            entries.push_back(path);
    }
    std::sort(entries.begin(), entries.end());
    const std::vector<std::string> expected = {"runs",
                                               "runs/1",
                                               "runs/1/all.zip",
                                               "runs/1/logs",
                                               "runs/1/out",
                                               "runs/1/out/qsos.csv",
                                               "runs/1/out/results.csv",
                                               "runs/1/out/results.html",
                                               "runs/1/out/ubn"};
    EXPECT_EQ(entries, expected);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(robot.config().dataDir).parent_path() / "EVIL.txt"));
}

TEST(RobotUpload, EveryTextFromOutsideIsEscapedInEveryPage)
{
    RunningRobot robot;
    Browser browser(robot.port());
    const std::string attack = "<script>alert(1)</script>";
    std::string log =
        cabrilloLog("UA3ABC", {"RK3DZB", "RN9C"},
                    "SOAPBOX: " + attack + "\r\nCATEGORY-POWER: " + attack + "\r\nNAME: \"><img src=x>\r\n");
    log.insert(log.find("END-OF-LOG"),
               "QSO:  1830 CW 2025-12-20 2100 UA3ABC        599 16     <SCRIPT>      599 48\r\n");
    const auto answer = browser.upload(log, "op@example.org", attack + ".log");
    ASSERT_EQ(answer->status, 200) << answer->body;
    ASSERT_TRUE(browser.logIn());
    EXPECT_EQ(browser.post("/organiser/check", {{"csrf", browser.csrf()}})->status, 303);
    EXPECT_EQ(browser.post("/organiser/publish", {{"csrf", browser.csrf()}})->status, 303);
    const std::string receipt = UploadStore(robot.config().dataDir + "/robot.db").latestLogs().at(0).receipt;
    for (const std::string& path : {std::string("/receipt/") + receipt, std::string("/organiser"),
                                    std::string("/organiser/run/1"), std::string("/results/")}) {
        const auto page = browser.get(path);
        ASSERT_TRUE(page && page->status == 200) << path << " " << statusAndBody(page);
        EXPECT_FALSE(holdsScriptTag(page->body)) << path;
        EXPECT_FALSE(contains(page->body, "<img")) << path;
    }
    EXPECT_FALSE(holdsScriptTag(answer->body));
    EXPECT_TRUE(contains(answer->body, "&lt;SCRIPT&gt;ALERT(1)")) << "the category is shown, escaped";
    EXPECT_TRUE(contains(answer->get_header_value("Content-Security-Policy"), "default-src 'none'"));
}

TEST(RobotOrganiser, LoginSetsAStrictSessionCookieAndIsThrottled)
{
    RunningRobot robot;
    Browser browser(robot.port());
    EXPECT_FALSE(browser.logIn("wrong"));
    EXPECT_TRUE(contains(browser.get("/organiser")->get_header_value("Location"), "login"));

    // A login form from another site carries no token.
    httplib::Client client("127.0.0.1", robot.port());
    EXPECT_EQ(client.Post("/organiser/login", httplib::Params{{"password", kPassword}})->status, 403);

    ASSERT_TRUE(browser.logIn());
    bool strict = false;
    for (const std::string& line : browser.lastSetCookies())
        if (line.rfind("session=", 0) == 0)
            strict = contains(line, "HttpOnly") && contains(line, "SameSite=Strict") && line.size() > 64 + 8;
    EXPECT_TRUE(strict);
    EXPECT_EQ(browser.get("/organiser")->status, 200);
    EXPECT_EQ(browser.post("/organiser/logout", {{"csrf", browser.csrf()}})->status, 303);
    EXPECT_EQ(browser.get("/organiser")->status, 303);

    // Five wrong attempts, then even the right password must wait.
    Browser guesser(robot.port());
    for (int attempt = 0; attempt < 5; ++attempt)
        EXPECT_FALSE(guesser.logIn("guess")) << attempt;
    const auto throttled = guesser.post("/organiser/login", {{"csrf", guesser.csrf()}, {"password", kPassword}});
    EXPECT_EQ(throttled->status, 429);
    EXPECT_TRUE(contains(throttled->body, "Too many wrong attempts"));
}

TEST(RobotOrganiser, BehindTheProxyEachClientIsThrottledAlone)
{
    RunningRobot robot([](RobotConfig& config) { config.proxyAddress = "127.0.0.1"; });
    Browser guesser(robot.port()), organiser(robot.port()), spoofer(robot.port());
    guesser.setHeader("X-Forwarded-For", "198.51.100.7, 203.0.113.5");
    organiser.setHeader("X-Forwarded-For", "203.0.113.6");
    for (int attempt = 0; attempt < 5; ++attempt)
        EXPECT_FALSE(guesser.logIn("guess"));
    EXPECT_FALSE(guesser.logIn());
    EXPECT_TRUE(organiser.logIn());
    // The client's own part of the header does not name another client.
    spoofer.setHeader("X-Forwarded-For", "203.0.113.9, 203.0.113.5");
    EXPECT_FALSE(spoofer.logIn());
}

std::vector<std::string> zipEntries(const std::string& bytes)
{
    std::vector<std::string> names;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        zip_source_free(source);
        return names;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
        names.push_back(zip_get_name(archive, i, 0));
    zip_discard(archive);
    return names;
}

TEST(RobotOrganiser, SeesLogsAndMissingCallsRunsTheCheckAndPublishes)
{
    RunningRobot robot;
    Browser participant(robot.port());
    ASSERT_EQ(participant.upload(cabrilloLog("UA3ABC", {"RK3DZB", "QZ3ZBB", "DL1AA"}), "a@x.org")->status, 200);
    ASSERT_EQ(participant.upload(cabrilloLog("RK3DZB", {"UA3ABC", "QZ3ZBB", "DL1AA"}), "b@x.org")->status, 200);
    ASSERT_EQ(participant.upload(cabrilloLog("RN9C", {"QZ3ZBB", "UA3ABC"}), "c@x.org")->status, 200);

    Browser organiser(robot.port());
    ASSERT_TRUE(organiser.logIn());
    const std::string list = organiser.get("/organiser")->body;
    EXPECT_TRUE(contains(list, "Logs received (3)"));
    // QZ3ZBB worked by three, DL1AA by two; UA3ABC sent its log.
    const auto qz = list.find("<td>QZ3ZBB</td><td>3</td>"), dl = list.find("<td>DL1AA</td><td>2</td>");
    EXPECT_TRUE(qz != std::string::npos && dl != std::string::npos && qz < dl) << list;
    EXPECT_FALSE(contains(list.substr(list.find("id=\"missing\"")), "<td>UA3ABC</td>"));

    EXPECT_EQ(organiser.get("/results/")->status, 404);
    const auto run = organiser.post("/organiser/check", {{"csrf", organiser.csrf()}});
    ASSERT_EQ(run->status, 303) << run->body;
    EXPECT_EQ(run->get_header_value("Location"), "/organiser/run/1");
    const std::string runPage = organiser.get("/organiser/run/1")->body;
    EXPECT_TRUE(contains(runPage, "ubn/UA3ABC.txt")) << runPage;
    EXPECT_EQ(organiser.get("/organiser/run/1/results.html")->status, 200);
    EXPECT_TRUE(contains(organiser.get("/organiser/run/1/ubn/RK3DZB.txt")->body, "RK3DZB"));
    const std::vector<std::string> zipped = zipEntries(organiser.get("/organiser/run/1/all.zip")->body);
    for (const std::string& entry :
         {std::string("out/results.html"), std::string("out/results.csv"), std::string("out/qsos.csv"),
          std::string("out/ubn/RN9C.txt"),
          "logs/" + UploadStore(robot.config().dataDir + "/robot.db").latestLogs()[0].receipt + ".log"})
        EXPECT_EQ(std::count(zipped.begin(), zipped.end(), entry), 1) << entry;
    EXPECT_EQ(std::count(zipped.begin(), zipped.end(), "all.zip"), 0);
    for (const char* path :
         {"/organiser/run/1/..%2Frobot.db", "/organiser/run/1/ubn/..", "/organiser/run/2", "/organiser/run/1/logs"})
        EXPECT_EQ(organiser.get(path)->status, 404) << path;

    EXPECT_EQ(organiser.post("/organiser/publish", {{"csrf", "forged"}})->status, 403);
    EXPECT_EQ(organiser.post("/organiser/publish", {{"csrf", organiser.csrf()}})->status, 303);
    Browser visitor(robot.port());
    const auto results = visitor.get("/results/");
    ASSERT_EQ(results->status, 200);
    EXPECT_TRUE(contains(results->body, "UA3ABC") && contains(results->body, "RN9C"));
    EXPECT_EQ(visitor.get("/results/ubn/UA3ABC.txt")->status, 200);
}

TEST(RobotOrganiser, ClosingRefusesLaterUploadsAndShowsTheDeadline)
{
    RunningRobot robot;
    Browser organiser(robot.port());
    ASSERT_TRUE(organiser.logIn());
    EXPECT_EQ(organiser.post("/organiser/close", {{"csrf", organiser.csrf()}})->status, 303);
    Browser participant(robot.port());
    EXPECT_TRUE(contains(participant.get("/")->body, "id=\"closed\""));
    const auto late = participant.upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org");
    EXPECT_EQ(late->status, 403);
    EXPECT_TRUE(contains(late->body, "Logs were due by 20")) << late->body;
    EXPECT_TRUE(contains(late->body, "href=\"/?lang=ru\"")) << "the switch leads to a page a GET can fetch";

    RunningRobot pastDeadline([](RobotConfig& config) { parseUtcMinute("2025-12-22 12:00", config.deadline); });
    Browser russian(pastDeadline.port(), "ru");
    const auto refused = russian.upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org");
    EXPECT_EQ(refused->status, 403);
    EXPECT_TRUE(contains(refused->body, "Срок приёма истёк 2025-12-22 12:00 UTC")) << refused->body;
}

TEST(RobotServing, MalformedAndSlowRequestsGetAnswersAndOthersAreServed)
{
    RunningRobot robot;
    for (const std::string& garbage :
         {std::string("HELLO\r\n\r\n"), std::string("GET / HTTP/9\r\n\r\n"), std::string("\0\1\2\3\r\n\r\n", 8),
          std::string("POST /upload HTTP/1.1\r\nContent-Length: 99\r\n\r\nabc")})
        EXPECT_EQ(rawExchange(robot.port(), garbage), "HTTP/1.1 400 Bad Request") << garbage;
    // Clients that send half a request and stall hold no one else up: each is
    // cut off after the read timeout, and meanwhile the robot serves others.
    // However long a busy machine makes that take, each gets its answer.
    std::vector<std::thread> stalled;
    std::vector<std::string> answers(80);
    for (int i = 0; i < 80; ++i)
        stalled.emplace_back([&, i] { answers[i] = rawExchange(robot.port(), "POST /upload HTTP/1.1\r\nContent-Le"); });
    Browser browser(robot.port());
    EXPECT_EQ(browser.upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org")->status, 200);
    for (auto& thread : stalled)
        thread.join();
    for (const std::string& answer : answers)
        EXPECT_EQ(answer, "HTTP/1.1 400 Bad Request");
}

}  // namespace
