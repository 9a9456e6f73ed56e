// What the open internet may send the robot: bodies chunked or compressed
// past the limit, clients that dribble or stall, a burst of connections, a
// second robot on the same port, parallel password guesses, forged client
// addresses and look-alike cookies; and the access log that records it all.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <iterator>
#include <regex>

#include "robot_fixture.h"

namespace {

constexpr std::size_t kUploadLimit = 64 * 1024;
// The whole body may hold the form's other fields beside a log at the limit.
constexpr std::size_t kBodyLimit = kUploadLimit + 64 * 1024;

void limitUploads(RobotConfig& config)
{
    config.uploadLimit = kUploadLimit;
}

std::string gzipped(const std::string& bytes)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    std::string packed(deflateBound(&stream, bytes.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return packed;
}

// `bytes` in chunks of 4 KB; without the closing chunk the body never ends.
std::string chunked(const std::string& bytes, bool closed)
{
    std::string body;
    for (std::size_t at = 0; at < bytes.size(); at += 4096) {
        const std::string chunk = bytes.substr(at, 4096);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
        body += size + chunk + "\r\n";
    }
    return closed ? body + "0\r\n\r\n" : body;
}

std::string withoutItsEnd(const std::string& bytes)
{
    return bytes.substr(0, bytes.size() - 16);
}

std::string request(const std::string& method, const std::string& path, const std::string& headers,
                    const std::string& body)
{
    return method + " " + path + " HTTP/1.1\r\nHost: robot\r\n" + headers + "\r\n" + body;
}

std::string statusOf(const std::string& answerLine)
{
    return answerLine.size() >= 12 ? answerLine.substr(9, 3) : "no answer: " + answerLine;
}

TEST(RobotBodies, ChunkedAndCompressedBodiesAreCutOffAtTheLimitAsTheyArrive)
{
    RunningRobot robot(limitUploads);
    const std::string atLimit(kBodyLimit, 'x'), pastLimit(kBodyLimit + 1, 'x');
    const std::string bomb = gzipped(std::string(16 * 1024 * 1024, '\0'));
    const std::string bombForm = "--b\r\nContent-Disposition: form-data; name=\"log\"; filename=\"a.log\"\r\n\r\n" +
                                 std::string(16 * 1024 * 1024, ' ') + "\r\n--b--\r\n";
    const std::string text = "Content-Type: text/plain\r\n", isChunked = "Transfer-Encoding: chunked\r\n",
                      isGzip = "Content-Encoding: gzip\r\n";
    const auto length = [](const std::string& body) { return "Content-Length: " + std::to_string(body.size()) + "\r\n"; };
    // A body that never ends is answered all the same once it passes the
    // limit, unpacked; the form without its token is refused once it is
    // whole (403).
    struct Case {
        const char* what;
        std::string request;
        const char* status;
    } const cases[] = {
        {"chunked, exactly the limit", request("POST", "/upload", text + isChunked, chunked(atLimit, true)), "403"},
        {"chunked, one byte past it", request("POST", "/upload", text + isChunked, chunked(pastLimit, false)), "413"},
        {"gzip, unpacking to exactly the limit",
         request("POST", "/upload", text + isGzip + length(gzipped(atLimit)), gzipped(atLimit)), "403"},
        {"gzip, unpacking to one byte past it",
         request("POST", "/upload", text + isGzip + length(gzipped(pastLimit)), gzipped(pastLimit)), "413"},
        {"gzip of 16 MB", request("POST", "/upload", text + isGzip + length(bomb), withoutItsEnd(bomb)), "413"},
        {"gzip of 16 MB, chunked",
         request("POST", "/upload", text + isGzip + isChunked, chunked(withoutItsEnd(bomb), false)), "413"},
        {"a form of 16 MB, gzip",
         request("POST", "/upload",
                 "Content-Type: multipart/form-data; boundary=b\r\n" + isGzip + length(gzipped(bombForm)),
                 withoutItsEnd(gzipped(bombForm))),
         "413"},
        {"a POST to no route, chunked past the limit",
         request("POST", "/nowhere", text + isChunked, chunked(pastLimit, false)), "413"},
        {"a GET with a chunked body", request("GET", "/", isChunked, chunked("x", true)), "400"},
        {"a GET with a gzip body", request("GET", "/", isGzip + length(bomb), bomb), "400"},
        {"gzip that is not gzip", request("POST", "/upload", text + isGzip + length(atLimit), atLimit), "400"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(statusOf(rawExchange(robot.port(), c.request)), c.status) << c.what;
}

TEST(RobotBodies, BodiesHeldAtOnceStayWithinTheirBoundAndOthersAreAskedToComeBack)
{
    RunningRobot robot([](RobotConfig& config) {
        limitUploads(config);
        config.readTimeoutSeconds = 60;
    });
    // The robot holds 32 bodies at the limit at once.  Forty bodies just under
    // it, each left unfinished, are more than that: some must be refused.
    const std::size_t held = 32 * kBodyLimit, each = kBodyLimit - 8 * 1024, senders = 40;
    const std::size_t mustBeRefused = senders - held / each;
    std::vector<std::unique_ptr<RawConnection>> unfinished;
    for (std::size_t i = 0; i < senders; ++i) {
        unfinished.push_back(std::make_unique<RawConnection>(robot.port()));
        unfinished.back()->send(request("POST", "/upload", "Content-Type: text/plain\r\nTransfer-Encoding: chunked\r\n",
                                        chunked(std::string(each, 'x'), false)));
    }
    std::vector<std::string> answers;
    for (int wait = 0; wait < 300 && answers.size() < mustBeRefused; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        answers.clear();
        for (const auto& connection : unfinished)
            if (!connection->isOpenAndUnanswered())
                answers.push_back(statusOf(connection->answerLine()));
    }
    EXPECT_GE(answers.size(), mustBeRefused);
    EXPECT_EQ(std::count(answers.begin(), answers.end(), "503"), static_cast<long>(answers.size()));
    // What the others hold leaves room for a log of ordinary size.
    EXPECT_EQ(Browser(robot.port()).upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org")->status, 200);
}

TEST(RobotServing, AClientSendingAByteAtATimeIsCutOffAtTheRequestDeadline)
{
    RunningRobot robot([](RobotConfig& config) {
        config.readTimeoutSeconds = 5;
        config.requestDeadlineSeconds = 2;
    });
    RawConnection slow(robot.port());
    slow.send("GET / HTTP/1.1\r\nX-Slow: ");
    // A byte every half second never lets the read timeout pass; fifteen
    // seconds of them is far past the deadline.
    int sent = 0;
    for (; sent < 30 && slow.isOpenAndUnanswered(); ++sent) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        slow.send("a");
    }
    EXPECT_LT(sent, 30);
    EXPECT_EQ(statusOf(slow.answerLine()), "400");
}

TEST(RobotServing, StalledClientsDoNotHoldUpAnotherRequest)
{
    RunningRobot robot([](RobotConfig& config) {
        config.readTimeoutSeconds = 60;
        config.requestDeadlineSeconds = 120;
    });
    std::vector<std::unique_ptr<RawConnection>> stalled;
    for (int i = 0; i < 100; ++i) {
        stalled.push_back(std::make_unique<RawConnection>(robot.port()));
        stalled.back()->send("GET / HTTP/1.1\r\nX-Slow: a");
    }
    Browser browser(robot.port());
    EXPECT_EQ(browser.get("/")->status, 200);
    // Served while every stalled client still waited for its turn to be cut off.
    EXPECT_EQ(std::count_if(stalled.begin(), stalled.end(), [](const auto& c) { return c->isOpenAndUnanswered(); }),
              100);
}

// Starts a non-blocking connection to 127.0.0.1:port.
int startConnecting(int port)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return socket;
}

TEST(RobotServing, ABurstOfClientsFindsRoomInTheListenQueue)
{
    RunningRobot robot(nullptr, /*serving=*/false);
    // Nobody accepts yet, so the whole burst must fit in the listen queue.  A
    // connection the kernel dropped would retry after 1, 3, 7 s into a queue
    // that stays full: it never connects, however long this waits.
    std::vector<pollfd> burst;
    for (int i = 0; i < 100; ++i)
        burst.push_back({startConnecting(robot.port()), POLLOUT, 0});
    std::size_t connected = 0;
    for (int round = 0; round < 100 && connected < burst.size(); ++round) {
        ::poll(burst.data(), burst.size(), 100);
        connected = std::count_if(burst.begin(), burst.end(), [](const pollfd& p) { return p.revents & POLLOUT; });
    }
    EXPECT_EQ(connected, burst.size());
    for (const pollfd& p : burst)
        ::close(p.fd);
    robot.startServing();
    EXPECT_EQ(Browser(robot.port()).get("/")->status, 200);
}

TEST(RobotServing, APortInUseIsAnErrorAtStartUp)
{
    RunningRobot first;
    RobotConfig config = first.config();
    config.listenAddress = "127.0.0.1";
    config.port = first.port();
    RobotServer second(config, first.checker());
    std::string error;
    EXPECT_FALSE(second.bind(error));
    EXPECT_NE(error.find("the port is in use"), std::string::npos) << error;
}

TEST(RobotOrganiser, WrongPasswordsInParallelGetNoMoreChecksThanOneAfterAnother)
{
    RunningRobot robot;
    std::vector<std::unique_ptr<Browser>> guessers;
    for (int i = 0; i < 60; ++i) {
        guessers.push_back(std::make_unique<Browser>(robot.port()));
        guessers.back()->csrf();
    }
    std::vector<int> statuses(guessers.size());
    std::vector<std::thread> attempts;
    for (std::size_t i = 0; i < guessers.size(); ++i)
        attempts.emplace_back([&, i] {
            const auto result = guessers[i]->post("/organiser/login", {{"csrf", guessers[i]->csrf()}, {"password", "guess"}});
            statuses[i] = result ? result->status : 0;
        });
    for (auto& attempt : attempts)
        attempt.join();
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 403), 5);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 429), 55);
    EXPECT_FALSE(guessers[0]->logIn());
}

TEST(RobotOrganiser, BehindTheProxyOnlyTheLastForwardedAddressNamesTheClient)
{
    RunningRobot robot([](RobotConfig& config) { config.proxyAddress = "127.0.0.1"; });
    Browser guesser(robot.port());
    // Whatever the client writes before the address the proxy appended
    // changes with every attempt; the proxy's address does not.
    for (int attempt = 1; attempt <= 5; ++attempt) {
        const std::string own = std::to_string(attempt);
        guesser.setHeader("X-Forwarded-For", "198.51.100." + own + ", 192.0.2." + own + ", 203.0.113.5");
        EXPECT_FALSE(guesser.logIn("guess")) << attempt;
    }
    guesser.setHeader("X-Forwarded-For", "203.0.113.6, 192.0.2.9, 203.0.113.5");
    EXPECT_EQ(guesser.post("/organiser/login", {{"csrf", guesser.csrf()}, {"password", kPassword}})->status, 429);
    Browser organiser(robot.port());
    organiser.setHeader("X-Forwarded-For", "198.51.100.1, 192.0.2.1, 203.0.113.6");
    EXPECT_TRUE(organiser.logIn());
}

TEST(RobotClients, ACookieIsFoundByItsWholeName)
{
    RunningRobot robot;
    struct Case {
        const char* cookies;
        const char* heading;
    } const cases[] = {
        {"lang=ru", "Отправить отчёт"},
        {"language=en; lang=ru", "Отправить отчёт"},
        {"lang=ru; language=en", "Отправить отчёт"},
        {"xlang=ru", "Send your log"},
        {"language=ru", "Send your log"},
    };
    httplib::Client client("127.0.0.1", robot.port());
    for (const Case& c : cases) {
        const auto page = client.Get("/", {{"Cookie", c.cookies}, {"Accept-Language", "en"}});
        ASSERT_TRUE(page) << c.cookies;
        EXPECT_NE(page->body.find(c.heading), std::string::npos) << c.cookies;
    }
}

TEST(RobotLog, EachRequestLeavesALineAndAFailureItsCause)
{
    RunningRobot robot;
    Browser browser(robot.port());
    EXPECT_EQ(browser.get("/")->status, 200);
    EXPECT_EQ(browser.get("/no/such%0Apage")->status, 404);
    EXPECT_EQ(browser.upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org")->status, 200);
    runSqlOn(robot.databasePath(), "ALTER TABLE uploads RENAME TO gone");
    EXPECT_EQ(browser.upload(cabrilloLog("UA3ABC", {"RK3DZB"}), "a@x.org")->status, 500);

    const std::vector<std::string> lines = robot.logLines(4);
    ASSERT_EQ(lines.size(), 4u);
    const std::regex shape(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ 127\.0\.0\.1 (GET|POST) \S+ \d{3} \d+ \d+ms( failed: .+)?)");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, shape)) << line;
    // Each request came on a connection of its own, whose worker logs it:
    // the lines may come in any order.
    const auto lineWith = [&](const std::string& part) {
        std::vector<std::string> found;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
                     [&](const std::string& line) { return contains(line, part); });
        EXPECT_EQ(found.size(), 1u) << part;
        return found.empty() ? std::string() : found[0];
    };
    for (const char* part : {" GET / 200 ", " GET /no/such\\x0apage 404 ", " POST /upload 200 "})
        lineWith(part);
    EXPECT_TRUE(contains(lineWith(" POST /upload 500 "), "ms failed: database: no such table: uploads"));
}

}  // namespace
