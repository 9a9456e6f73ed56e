// The robot over HTTP, in-process: every page, every refusal, escaping, the
// size limit, form tokens, the organiser's login and pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "robot/organiser_pages.h"
#include "robot/pages.h"
#include "robot/upload_store.h"
#include "robot_fixture.h"

namespace {

// No page of the robot has a script of its own, so any "<script" in one
// came from outside unescaped.
bool holdsScriptTag(std::string html)
{
    for (char& c : html)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return contains(html, "<script");
}

// The log with its CALLSIGN line saying `callsign` instead.
std::string withHeaderCall(std::string log, const std::string& callsign)
{
    const auto at = log.find("CALLSIGN: ") + 10;
    return log.replace(at, log.find("\r\n", at) - at, callsign);
}

// The rows of the table with this id.
std::size_t tableRows(const std::string& page, const std::string& id)
{
    const auto table = page.find("id=\"" + id + "\""), end = page.find("</table>", table);
    std::size_t rows = 0;
    for (auto at = page.find("<tr><td>", table); at < end; at = page.find("<tr><td>", at + 1))
        ++rows;
    return rows;
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

// Every page a participant meets bears the contest's name from the
// settings, escaped like any text; a refusal shows why and no table of the
// log it did not take; the err.txt box shows only with a QSO in it; the form
// states the formats and the size limit in the visitor's language.
void namedContest(RobotConfig& config)
{
    config.contestName = "Кубок <ZEMRIX> 2025";
    config.uploadLimit = 512 * 1024;
}

TEST(RobotPages, AnswersBearTheContestsNameAndShowOnlyWhatTheLogHas)
{
    RunningRobot robot(namedContest);
    const std::string title = "<h1>Кубок &lt;ZEMRIX&gt; 2025</h1>";
    Browser browser(robot.port());
    std::string withDupe = cabrilloLog("UA3ABC", {"RK3DZB", "RN9C"});
    withDupe.insert(withDupe.find("END-OF-LOG"),
                    "QSO:  3527 CW 2025-12-20 2130 UA3ABC        599 16     RK3DZB        599 48\r\n");
    const struct {
        const char* what;
        httplib::Result page;
        bool hasTables;
        bool hasErrTxt;
    } pages[] = {
        {"the form", browser.get("/"), false, false},
        {"a clean log", browser.upload(cabrilloLog("UA3ABC", {"RK3DZB", "RN9C"}), "op@example.org"), true, false},
        {"a log with a duplicate", browser.upload(withDupe, "op@example.org"), true, true},
        {"a refusal", browser.upload("Dear organiser,\nmy log follows.\n", "op@example.org"), false, false},
        {"another contest's log",
         browser.upload("START-OF-LOG: 3.0\r\nCONTEST: CQ-WW-CW\r\nCALLSIGN: UA3ABC\r\n"
                        "QSO:  3527 CW 2025-12-20 2000 UA3ABC        599 16     RK3DZB        599 48\r\n",
                        "op@example.org"),
         false, false},
        {"a page that is not there", browser.get("/receipt/ZZZZZZZZZZ"), false, false},
    };
    for (const auto& page : pages) {
        ASSERT_TRUE(page.page) << page.what;
        const std::string& body = page.page->body;
        EXPECT_TRUE(contains(body, title)) << page.what << "\n" << body;
        EXPECT_FALSE(contains(body, "log robot")) << page.what;
        EXPECT_EQ(contains(body, "<table"), page.hasTables) << page.what << "\n" << body;
        EXPECT_EQ(contains(body, "id=\"err\""), page.hasErrTxt) << page.what << "\n" << body;
    }
    EXPECT_TRUE(contains(pages[3].page->body, "id=\"receipt\">")) << "a refusal keeps its receipt";

    const struct {
        const char* language;
        const char* limits;
    } forms[] = {{"en", "Formats taken: Cabrillo or ADIF, as a file of any name or pasted; at most 512 KB a log."},
                 {"ru", "Принимаются форматы Cabrillo и ADIF, файлом с любым именем или текстом; не больше 512 КБ"}};
    for (const auto& form : forms)
        EXPECT_TRUE(contains(Browser(robot.port(), form.language).get("/")->body, form.limits)) << form.language;
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
        {"a callsign with a space", withHeaderCall(cabrilloLog("UA3ABC", {"RK3DZB"}), "E F"), "op@example.org", 422,
         "CALLSIGN E F is not a callsign"},
        {"a callsign with markup", withHeaderCall(cabrilloLog("UA3ABC", {"RK3DZB"}), "<script>x"), "op@example.org",
         422, "CALLSIGN &lt;SCRIPT&gt;X is not a callsign"},
        {"a formula for a callsign", withHeaderCall(cabrilloLog("UA3ABC", {"RK3DZB"}), "=1+2"), "op@example.org", 422,
         "CALLSIGN =1+2 is not a callsign"},
        {"an underscore", cabrilloLog("UA9ABC_P", {"RK3DZB"}), "op@example.org", 422, "is not a callsign"},
        {"a colon", cabrilloLog("UA9ABC:P", {"RK3DZB"}), "op@example.org", 422, "is not a callsign"},
        {"a leading dot", cabrilloLog(".HIDDEN", {"RK3DZB"}), "op@example.org", 422, "is not a callsign"},
        {"a hash", cabrilloLog("A#1", {"RK3DZB"}), "op@example.org", 422, "is not a callsign"},
        {"a trailing slash", cabrilloLog("UA9ABC/", {"RK3DZB"}), "op@example.org", 422, "is not a callsign"},
        {"one letter too long", cabrilloLog("UA9ABCDEFGHIJKLMNOPQR", {"RK3DZB"}), "op@example.org", 422,
         "is not a callsign"},
        {"another station's QSO lines", withHeaderCall(cabrilloLog("RN9C", {"RK3DZB", "UA3ABC"}), "UA9ABC"),
         "op@example.org", 422, "The CALLSIGN line says UA9ABC, but most QSO lines give RN9C as the own call"},
        {"no QSO line", cabrilloLog("UA3ABC", {}), "op@example.org", 422, "no QSO line that could be read"},
        {"no QSO line that reads",
         "START-OF-LOG: 3.0\r\nCONTEST: ZEMRIX\r\nCALLSIGN: UA3ABC\r\nQSO: 3527 CW yesterday\r\nQSO: ?\r\n",
         "op@example.org", 422, "no QSO line that could be read"},
    };
    Browser browser(robot.port());
    for (const Case& c : cases) {
        const auto result = browser.upload(c.bytes, c.email);
        ASSERT_TRUE(result) << c.what;
        EXPECT_EQ(result->status, c.status) << c.what;
        EXPECT_TRUE(contains(result->body, c.expected)) << c.what << "\n" << result->body;
        EXPECT_FALSE(holdsScriptTag(result->body)) << c.what;
    }
    EXPECT_EQ(UploadStore(robot.config().dataDir + "/robot.db").acceptedUploads(), 0);
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

// The receipt an answer page shows.
std::string receiptOf(const httplib::Result& answer)
{
    const std::string mark = "id=\"receipt\">";
    const auto at = answer ? answer->body.find(mark) : std::string::npos;
    return at == std::string::npos ? std::string() : answer->body.substr(at + mark.size(), 10);
}

// A later version replaces the one checked only with the receipt of a
// version that was checked, given on the form or brought by the answer's
// link; any other waits beside it for the organiser, who decides.  The
// cross-check takes the one checked.  Every version stays, byte for byte.
TEST(RobotUpload, OnlyItsSenderReplacesALogAndTheOrganiserDecidesTheRest)
{
    RunningRobot robot;
    Browser owner(robot.port()), stranger(robot.port()), organiser(robot.port());
    ASSERT_TRUE(organiser.logIn());
    // Lower case, a byte order mark and a stray Latin-1 byte: stored as sent.
    const std::string first = "\xEF\xBB\xBF" + cabrilloLog("ua3abc", {"RK3DZB", "RN9C"}, "SOAPBOX: caf\xE9\r\n");
    const std::string forged = cabrilloLog("UA3ABC", {"RK3DZB"}, "CLAIMED-SCORE: 1\r\n");
    const std::string corrected = cabrilloLog("UA3ABC", {"RK3DZB", "RN9C", "RU6M"}, "CLAIMED-SCORE: 9\r\n");

    const auto one = owner.upload(first, "op@example.org");
    ASSERT_EQ(one->status, 200) << one->body;
    EXPECT_TRUE(contains(one->body, "Version 1 of this callsign's log: it is the one checked.")) << one->body;
    const std::string ownerReceipt = receiptOf(one);
    EXPECT_TRUE(contains(one->body, "href=\"/?replace=" + ownerReceipt + "\""));
    EXPECT_TRUE(contains(owner.get("/?replace=" + ownerReceipt)->body, "value=\"" + ownerReceipt + "\""));

    const auto two = stranger.upload(forged, "other@example.org");
    ASSERT_EQ(two->status, 200) << two->body;
    EXPECT_TRUE(contains(two->body, "id=\"verdict\">Kept, not checked")) << two->body;
    EXPECT_TRUE(contains(two->body, "waits for the organiser's decision"));
    EXPECT_EQ(organiser.runCrossCheck(), "/organiser/run/1");
    const std::filesystem::path runLogs = std::filesystem::path(robot.config().dataDir) / "runs/1/logs";
    EXPECT_TRUE(std::filesystem::exists(runLogs / (ownerReceipt + ".log")));
    EXPECT_FALSE(std::filesystem::exists(runLogs / (receiptOf(two) + ".log")));

    // The receipt of a version that waits proves nothing.
    const auto three = stranger.upload(forged, "other@example.org", "log.cbr", receiptOf(two));
    EXPECT_TRUE(contains(three->body, "The receipt given is not one of a log of UA3ABC")) << three->body;
    const auto four = owner.upload(corrected, "op@example.org", "log.cbr", ownerReceipt);
    EXPECT_TRUE(contains(four->body, "Version 4 of this callsign's log: it is the one checked.")) << four->body;
    EXPECT_TRUE(contains(owner.get("/receipt/" + ownerReceipt)->body, "a later version replaced it"));

    UploadStore store(robot.config().dataDir + "/robot.db");
    auto latest = store.latestLogs();
    ASSERT_EQ(latest.size(), 1u);
    EXPECT_EQ(latest[0].receipt, receiptOf(four));
    EXPECT_EQ(latest[0].qsoLines, 3);
    EXPECT_EQ(latest[0].claimedScore, 9);
    const std::vector<StoredUpload> versions = store.everyVersion();
    ASSERT_EQ(versions.size(), 4u);
    const std::string sent[] = {first, forged, forged, corrected};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(store.originalBytes(versions[i].id), sent[i]) << i;

    // Both waiting versions beside the one checked, every version with its
    // address and time; the organiser's choice is the one checked from then.
    const std::string list = organiser.get("/organiser")->body;
    EXPECT_TRUE(contains(list, "Versions waiting for your decision (2)")) << list;
    EXPECT_EQ(std::count(list.begin(), list.end(), '@'), 2 * 2 + 1) << "two pairs, the list";
    EXPECT_TRUE(contains(list, "href=\"/organiser/versions\">Every version received (4)</a>")) << list;
    const std::string everyVersion = organiser.get("/organiser/versions")->body;
    EXPECT_EQ(std::count(everyVersion.begin(), everyVersion.end(), '@'), 4) << everyVersion;
    EXPECT_TRUE(contains(everyVersion, "<td>" + formatUtcSecond(versions[1].receivedAt) +
                                           "</td><td><span class=\"wraps\">other@example.org"));
    EXPECT_EQ(organiser.post("/organiser/version", {{"csrf", "forged"}, {"receipt", receiptOf(two)}})->status, 403);
    EXPECT_EQ(organiser.post("/organiser/version", {{"csrf", organiser.csrf()}, {"receipt", receiptOf(two)}})->status,
              400);
    const auto chosen = organiser.post("/organiser/version",
                                       {{"csrf", organiser.csrf()}, {"receipt", receiptOf(two)}, {"choice", "check"}});
    EXPECT_EQ(chosen->status, 303);
    EXPECT_EQ(store.latestLogs().at(0).receipt, receiptOf(two));
    const httplib::Params keep = {{"csrf", organiser.csrf()}, {"receipt", receiptOf(three)}, {"choice", "keep"}};
    EXPECT_EQ(organiser.post("/organiser/version", keep)->status, 303);
    EXPECT_EQ(organiser.post("/organiser/version", keep)->status, 409);
    EXPECT_EQ(store.latestLogs().at(0).receipt, receiptOf(two));
    EXPECT_TRUE(contains(stranger.get("/receipt/" + receiptOf(three))->body, "the organiser kept another version"));
    EXPECT_FALSE(contains(organiser.get("/organiser")->body, "id=\"waiting\""));
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

// The longest stretch of a catalogue text between its values: what a page
// holds of it whatever the values are.
std::string longestFixedPart(const std::string& text)
{
    std::string longest;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find("{}", at), text.size());
        if (end - at > longest.size())
            longest = text.substr(at, end - at);
        at = end + 2;
    }
    return longest;
}

// A page in one language holds no catalogue text of the other: its own
// words, the checker's words for the log's lines and header, and the
// downloads, for a refusal and for an answer with problems of every kind.
TEST(RobotPages, APageHoldsNoTextOfTheOtherLanguage)
{
    RunningRobot robot;
    std::string withProblems = cabrilloLog("UA3ABC", {"RK3DZB"}, "CATEGORY-POWER: HUGE\r\n");
    withProblems.insert(withProblems.find("END-OF-LOG"),
                        "QSO:  1830 CW 2025-12-20 2100 UA3ABC        599 16     DL1AA         599 48\r\n"
                        "QSO:  3527 CW 2025-12-20\r\n");
    const struct {
        const char* acceptLanguage;
        Language language;
        const char* header;  // the checker's words for the header and for the short line
        const char* line;
    } languages[] = {{"ru", Language::Russian, "неизвестное значение CATEGORY-POWER", "в строке QSO полей: "},
                     {"en", Language::English, "unknown CATEGORY-POWER", "QSO line has "}};
    for (const auto& side : languages) {
        SCOPED_TRACE(side.acceptLanguage);
        Browser browser(robot.port(), side.acceptLanguage);
        const auto answer = browser.upload(withProblems, "op@example.org");
        ASSERT_EQ(answer->status, 200) << answer->body;
        EXPECT_TRUE(contains(answer->body, side.header)) << answer->body;
        EXPECT_TRUE(contains(answer->body, side.line)) << answer->body;
        const std::string receipt = "/receipt/" + receiptOf(answer);
        const std::string pages[] = {answer->body, browser.get(receipt)->body,
                                     browser.get(receipt + "/rejected.txt")->body, browser.get("/")->body,
                                     browser.upload("Dear organiser,\nmy log follows.\n", "op@example.org")->body};
        const Language other = side.language == Language::Russian ? Language::English : Language::Russian;
        for (const CatalogueEntry& entry : messageCatalogue()) {
            const std::string own = longestFixedPart(say(entry.id, side.language));
            const std::string foreign = longestFixedPart(say(entry.id, other));
            if (foreign.size() < 8 || contains(own, foreign))
                continue;
            for (const std::string& page : pages)
                EXPECT_FALSE(contains(page, foreign)) << entry.name << ": " << foreign;
        }
    }
}

// The contest runs 2025-12-20 20:00-22:00 here.  A log wholly outside it is
// refused with the dates of both; a line before the start is listed and
// not counted; rejected lines come in the order of the file.
// `log` with `count` more lines that the rules reject (no contest band).
std::string withRejectedLines(std::string log, int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i) {
        char line[100];
        std::snprintf(line, sizeof line, "QSO:  1830 CW 2025-12-20 21%02d UA3ABC        599 16     DL%dAA  599 48\r\n",
                      i % 60, i);
        lines += line;
    }
    return log.insert(log.find("END-OF-LOG"), lines);
}

// A receipt's page is the answer as the pre-check gave it at upload: kept
// then, never run again, whatever became of the bytes.  An upload kept
// before pre-checks were is checked once, then kept.
TEST(RobotUpload, AReceiptShowsThePrecheckKeptAtUpload)
{
    RunningRobot robot;
    Browser browser(robot.port());
    const std::string database = robot.config().dataDir + "/robot.db";
    const auto answer = browser.upload(withRejectedLines(cabrilloLog("UA3ABC", {"RK3DZB"}), 3), "op@example.org");
    ASSERT_EQ(answer->status, 200) << answer->body;
    const std::string receipt = "/receipt/" + receiptOf(answer);

    runSqlOn(database, "DELETE FROM rejected_lines; DELETE FROM prechecks");
    EXPECT_EQ(browser.get(receipt)->body, answer->body);
    runSqlOn(database, "UPDATE uploads SET original = 'not a log any more'");
    EXPECT_EQ(browser.get(receipt)->body, answer->body);
}

// A page holds a screenful of rejected lines and of err.txt; the whole of
// each is a download.
TEST(RobotUpload, LongListsAreCutToAScreenfulAndDownloadedWhole)
{
    RunningRobot robot;
    Browser browser(robot.port());
    for (int rejected : {kLinesOnAPage, kLinesOnAPage + 1, 3 * kLinesOnAPage}) {
        const auto answer =
            browser.upload(withRejectedLines(cabrilloLog("UA3ABC", {"RK3DZB"}), rejected), "op@example.org");
        ASSERT_EQ(answer->status, 200) << answer->body;
        const std::string& page = answer->body;
        EXPECT_EQ(tableRows(page, "rejected"), static_cast<std::size_t>(std::min(rejected, kLinesOnAPage)))
            << rejected;
        const std::string note = "The first 50 of " + std::to_string(rejected) + " are shown.";
        EXPECT_EQ(contains(page, note), rejected > kLinesOnAPage) << rejected;

        const std::string all = browser.get("/receipt/" + receiptOf(answer) + "/rejected.txt")->body;
        EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), rejected);
        EXPECT_EQ(all.rfind("6\tQSO:  1830 CW 2025-12-20 2100 UA3ABC", 0), 0u) << all.substr(0, 80);
        const auto pre = page.find("<pre id=\"err\">"), preEnd = page.find("</pre>", pre);
        const auto errLines = std::count(page.begin() + pre, page.begin() + preEnd, '\n');
        EXPECT_LE(errLines, kLinesOnAPage);
        const std::string errTxt = browser.get("/receipt/" + receiptOf(answer) + "/err.txt")->body;
        EXPECT_EQ(std::count(errTxt.begin(), errTxt.end(), '\n') > errLines, contains(page, "id=\"all-err\""));
    }
    EXPECT_EQ(browser.get("/receipt/ZZZZZZZZZZ/rejected.txt")->status, 404);
}

// The database of a robot from before versions and kept pre-checks opens
// with all it held: each callsign's latest upload is the one checked, and
// a version without proof waits behind it.  Opening it again changes nothing.
TEST(RobotStore, AnEarlierRobotsDatabaseOpensWithAllItHeld)
{
    ScratchFolder folder;
    const std::string path = (folder.path() / "robot.db").string();
    runSqlOn(path, std::string(kFirstRobotsSchema) + R"sql(
        INSERT INTO uploads VALUES(1, 'R1', 1, 'a@x.org', 'a.log', 'log 1', 1, 'UA3ABC', '', 2, NULL, 10),
                                  (2, 'R2', 2, 'b@x.org', 'b.log', 'log 2', 1, 'UA3ABC', '', 3, NULL, 20),
                                  (3, 'R3', 3, 'c@x.org', 'c.log', 'not a log', 0, 'RN9C', '', 0, NULL, 0);
    )sql");
    for (int opening = 0; opening < 2; ++opening) {
        UploadStore store(path);
        const std::vector<StoredUpload> versions = store.everyVersion();
        ASSERT_EQ(versions.size(), 2u + opening);
        EXPECT_EQ(versions[0].standing, VersionStanding::Replaced);
        EXPECT_EQ(versions[1].standing, VersionStanding::Checked);
        EXPECT_EQ(store.latestLogs().at(0).receipt, "R2");
        EXPECT_EQ(store.originalBytes(1), "log 1");
        EXPECT_FALSE(store.keptPrecheck(1, kLinesOnAPage));
        if (opening == 0) {
            NewUpload unproven;
            unproven.receipt = "R4";
            unproven.accepted = true;
            unproven.callsign = "UA3ABC";
            store.add(unproven);
        }
        EXPECT_EQ(store.findByReceipt("R4")->standing, VersionStanding::Waiting);
    }
}

TEST(RobotUpload, TheContestPeriodDecidesWhatCounts)
{
    RunningRobot robot([](RobotConfig& config) { config.checkerConfig = ROBOT_CONTEST_INI; });
    Browser browser(robot.port());
    std::string lastYear = cabrilloLog("UA3ABC", {"RK3DZB", "RN9C"});
    lastYear.replace(lastYear.find("2025-12-20"), 10, "2024-12-22");
    lastYear.replace(lastYear.find("2025-12-20"), 10, "2024-12-21");
    const auto refused = browser.upload(lastYear, "op@example.org");
    EXPECT_EQ(refused->status, 422);
    EXPECT_TRUE(contains(refused->body, "No QSO of this log falls in the contest period, 2025-12-20 20:00 – "
                                        "2025-12-20 22:00 UTC. Its QSOs are dated 2024-12-21 – 2024-12-22."))
        << refused->body;

    std::string log = cabrilloLog("UA3ABC", {"RK3DZB", "RN9C"});
    log.insert(log.find("END-OF-LOG"),
               "QSO:  1830 CW 2025-12-20 2002 UA3ABC        599 16     DL1AA         599 48\r\n"
               "QSO:  3527 CW 2025-12-20 1959 UA3ABC        599 16     RU6M          599 48\r\n");
    const auto answer = browser.upload(log, "op@example.org");
    ASSERT_EQ(answer->status, 200) << answer->body;
    const std::string& page = answer->body;
    EXPECT_TRUE(contains(page, "<td>8</td><td><code>QSO:  3527 CW 2025-12-20 1959")) << page;
    EXPECT_TRUE(contains(page, "outside the contest period"));
    EXPECT_LT(page.find("<td>7</td>"), page.find("<td>8</td>"));
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
    for (const char* callsign : {"../../../EVIL", "..", "/TMP/X", "CON", "UA9ABC/P", "UA9ABC", "VP2E/W1ABC/QRP"})
        browser.upload(cabrilloLog(callsign, {"RK3DZB"}), "op@example.org");
    ASSERT_TRUE(browser.logIn());
    browser.runCrossCheck();
    // Every accepted call has a report and a whole-log page of its own, and
    // their links lead to them.
    const std::string runPage = browser.get("/organiser/run/1")->body;
    std::set<std::string> reports;
    for (auto at = runPage.find("/ubn/"); at != std::string::npos; at = runPage.find("/ubn/", at + 1))
        reports.insert(runPage.substr(at, runPage.find('"', at) - at));
    EXPECT_EQ(reports.size(), 8u) << runPage;
    for (const std::string& report : reports)
        EXPECT_EQ(browser.get("/organiser/run/1" + report)->status, 200) << report;
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
                                               "runs/1/out/lists.html",
                                               "runs/1/out/qsos.csv",
                                               "runs/1/out/results.csv",
                                               "runs/1/out/results.html",
                                               "runs/1/out/results.json",
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
    browser.runCrossCheck();
    EXPECT_EQ(browser.post("/organiser/publish", {{"csrf", browser.csrf()}, {"run", "1"}, {"confirm", "yes"}})->status,
              303);
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

// The organiser's long lists come a page of rows at a time: a list of
// exactly a page has no links, one row more makes a second page; a page
// number out of range or not a number shows the nearest page.
TEST(RobotOrganiser, LongListsComeAPageAtATime)
{
    RunningRobot robot;
    Browser organiser(robot.port());
    ASSERT_TRUE(organiser.logIn());
    UploadStore store(robot.databasePath());
    std::size_t received = 0;
    const auto receiveUpTo = [&](std::size_t logs) {
        for (; received < logs; ++received) {
            NewUpload upload;
            upload.receipt = "P" + std::to_string(1000000 + received);
            upload.accepted = true;
            upload.callsign = "R" + std::to_string(received) + "AA";
            store.add(upload);
        }
    };
    const struct {
        std::size_t logs;
        const char* query;
        std::size_t rowsShown;
        bool links;
    } cases[] = {
        {kRowsOnAPage, "", kRowsOnAPage, false},   {kRowsOnAPage + 1, "", kRowsOnAPage, true},
        {kRowsOnAPage + 1, "?page=2", 1, true},    {kRowsOnAPage + 1, "?page=3", 1, true},
        {kRowsOnAPage + 1, "?page=0", kRowsOnAPage, true}, {kRowsOnAPage + 1, "?page=x", kRowsOnAPage, true},
    };
    for (const auto& c : cases) {
        receiveUpTo(c.logs);
        const std::string trace = std::to_string(c.logs) + " logs, " + c.query;
        for (const auto& [path, table] : {std::pair<std::string, std::string>{"/organiser", "logs"},
                                          std::pair<std::string, std::string>{"/organiser/versions", "versions"}}) {
            const auto page = organiser.get(path + c.query);
            ASSERT_EQ(page->status, 200) << path << " " << trace;
            EXPECT_EQ(tableRows(page->body, table), c.rowsShown) << path << " " << trace;
            EXPECT_EQ(contains(page->body, "class=\"pages\""), c.links) << path << " " << trace;
        }
    }
}

TEST(RobotOrganiser, SeesLogsAndMissingCallsRunsTheCheckAndPublishes)
{
    RunningRobot robot;
    Browser participant(robot.port());
    ASSERT_EQ(participant.upload(cabrilloLog("UA3ABC", {"RK3DZB", "QZ3ZBB", "DL1AA"}), "a@x.org")->status, 200);
    ASSERT_EQ(participant.upload(cabrilloLog("RK3DZB", {"UA3ABC", "QZ3ZBB", "DL1AA"}), "b@x.org")->status, 200);
    ASSERT_EQ(participant.upload(cabrilloLog("RN9C", {"QZ3ZBB", "UA3ABC"}), "c@x.org")->status, 200);
    // A refused log is no log: its call is still missing.
    std::string otherContest = cabrilloLog("QZ3ZBB", {"UA3ABC"});
    otherContest.replace(otherContest.find("ZEMRIX"), 6, "CQ-WW-CW");
    ASSERT_EQ(participant.upload(otherContest, "d@x.org")->status, 422);

    Browser organiser(robot.port());
    ASSERT_TRUE(organiser.logIn());
    const std::string list = organiser.get("/organiser")->body;
    EXPECT_TRUE(contains(list, "Logs received (3)"));
    // QZ3ZBB worked by three, DL1AA by two; UA3ABC sent its log.
    const auto qz = list.find("<td>QZ3ZBB</td><td>3</td>"), dl = list.find("<td>DL1AA</td><td>2</td>");
    EXPECT_TRUE(qz != std::string::npos && dl != std::string::npos && qz < dl) << list;
    const auto missing = list.find("id=\"missing\"");
    EXPECT_FALSE(contains(list.substr(missing, list.find("</table>", missing) - missing), "<td>UA3ABC</td>"));

    EXPECT_EQ(organiser.get("/results/")->status, 404);
    EXPECT_EQ(organiser.runCrossCheck(), "/organiser/run/1");
    const std::string runPage = organiser.get("/organiser/run/1")->body;
    EXPECT_TRUE(contains(runPage, "ubn/UA3ABC.txt")) << runPage;
    EXPECT_TRUE(contains(runPage, "Logs read: 3. Its results are not published.")) << runPage;
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

    EXPECT_EQ(organiser.post("/organiser/publish", {{"csrf", "forged"}, {"run", "1"}, {"confirm", "yes"}})->status,
              403);
    EXPECT_EQ(
        organiser.post("/organiser/publish", {{"csrf", organiser.csrf()}, {"run", "1"}, {"confirm", "yes"}})->status,
        303);
    Browser visitor(robot.port());
    const auto results = visitor.get("/results/");
    ASSERT_EQ(results->status, 200);
    EXPECT_TRUE(contains(results->body, "UA3ABC") && contains(results->body, "RN9C"));
    EXPECT_EQ(visitor.get("/results/ubn/UA3ABC.txt")->status, 200);
    EXPECT_TRUE(contains(organiser.get("/organiser/run/1")->body, "Its results are the published ones."));
    // The pages the published results link to lie beside them.
    for (const char* path : {"/results/ubn/UA3ABC.html", "/results/lists.html", "/results/results.html"})
        EXPECT_EQ(visitor.get(path)->status, 200) << path;
    EXPECT_EQ(visitor.get("/results/qsos.csv")->status, 404);
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

    // "Until HH:MM" takes the whole of that minute.  Should the minute run
    // out while the robot starts, the next one is tried.
    for (int attempt = 0; attempt < 3; ++attempt) {
        RunningRobot lastMinute([](RobotConfig& config) { config.deadline = std::time(nullptr) / 60 * 60; });
        const auto inTime = Browser(lastMinute.port()).upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org");
        if (std::time(nullptr) >= lastMinute.config().deadline + 60)
            continue;
        EXPECT_EQ(inTime->status, 200) << inTime->body;
        break;
    }
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
