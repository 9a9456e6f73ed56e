#include "robot_fixture.h"

#include <arpa/inet.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "robot/organiser_auth.h"

std::string cabrilloLog(const std::string& callsign, const std::vector<std::string>& worked,
                        const std::string& extraHeader)
{
    std::string log = "START-OF-LOG: 3.0\r\nCONTEST: ZEMRIX\r\nCALLSIGN: " + callsign + "\r\n" + extraHeader +
                      "CATEGORY-OPERATOR: SINGLE-OP\r\n";
    int minute = 0;
    for (const std::string& call : worked) {
        char line[160];
        std::snprintf(line, sizeof line, "QSO:  3527 CW 2025-12-20 20%02d %-13s 599 16     %-13s 599 48\r\n",
                      minute++ % 60, callsign.c_str(), call.c_str());
        log += line;
    }
    return log + "END-OF-LOG:\r\n";
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

void runSqlOn(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    const bool ran = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                     sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    if (!ran)
        throw std::runtime_error(path + ": " + why);
}

namespace {

// Calls `visit` with the open archive, if the bytes are one.
template <typename Visit> void withZip(const std::string& bytes, Visit visit)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        zip_source_free(source);
        return;
    }
    visit(archive);
    zip_discard(archive);
}

}  // namespace

std::vector<std::string> zipEntries(const std::string& zipBytes)
{
    std::vector<std::string> names;
    withZip(zipBytes, [&](zip_t* archive) {
        for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
            names.push_back(zip_get_name(archive, i, 0));
    });
    return names;
}

std::string zipEntry(const std::string& zipBytes, const std::string& name)
{
    std::string bytes;
    withZip(zipBytes, [&](zip_t* archive) {
        zip_stat_t stat;
        zip_file_t* file =
            zip_stat(archive, name.c_str(), 0, &stat) == 0 ? zip_fopen(archive, name.c_str(), 0) : nullptr;
        if (!file)
            return;
        bytes.resize(stat.size);
        if (zip_fread(file, bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
            bytes.clear();
        zip_fclose(file);
    });
    return bytes;
}

namespace {
const std::string& passwordHash()
{
    static const std::string hash = hashPassword(kPassword);
    return hash;
}
}  // namespace

ScratchFolder::ScratchFolder()
{
    static int serial = 0;
    path_ = std::filesystem::path(ROBOT_SCRATCH_DIR) /
            ("robot-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder()
{
    std::filesystem::remove_all(path_);
}

RunningRobot::RunningRobot(void (*configure)(RobotConfig&), bool serving)
{
    config_.dataDir = (scratch_.path() / "data").string();
    config_.passwordHash = passwordHash();
    config_.readTimeoutSeconds = 1;
    config_.logFile = (scratch_.path() / "robot.log").string();
    config_.countryFile = ROBOT_COUNTRY_FILE;
    if (configure)
        configure(config_);
    checker_ = std::make_unique<LogChecker>(config_.countryFile, config_.checkerConfig);
    bind();
    if (serving)
        startServing();
}

RunningRobot::~RunningRobot()
{
    stop();
}

void RunningRobot::bind()
{
    server_ = std::make_unique<RobotServer>(config_, *checker_);
    port_ = server_->bindToAnyPort("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("no free port");
}

void RunningRobot::startServing()
{
    serving_ = std::thread([this] { server_->serveAfterBind(); });
    while (!server_->isRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

void RunningRobot::stop()
{
    server_->stop();
    if (serving_.joinable())
        serving_.join();
    server_.reset();
}

void RunningRobot::restart(const std::function<void()>& meanwhile)
{
    stop();
    if (meanwhile)
        meanwhile();
    bind();
    startServing();
}

std::vector<std::string> RunningRobot::logLines(std::size_t count) const
{
    for (;;) {
        std::ifstream log(config_.logFile);
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);)
            lines.push_back(line);
        if (lines.size() >= count)
            return lines;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

Browser::Browser(int port, std::string language) : client_("127.0.0.1", port), language_(std::move(language))
{
    client_.set_read_timeout(30, 0);
}

httplib::Headers Browser::headers() const
{
    httplib::Headers headers = extraHeaders_;
    headers.emplace("Accept-Language", language_);
    std::string cookieLine;
    for (const auto& cookie : cookies_)
        cookieLine += (cookieLine.empty() ? "" : "; ") + cookie.first + "=" + cookie.second;
    if (!cookieLine.empty())
        headers.emplace("Cookie", cookieLine);
    return headers;
}

httplib::Result Browser::remember(httplib::Result result)
{
    lastSetCookies_.clear();
    if (!result)
        return result;
    const auto range = result->headers.equal_range("Set-Cookie");
    for (auto it = range.first; it != range.second; ++it) {
        lastSetCookies_.push_back(it->second);
        const std::string pair = it->second.substr(0, it->second.find(';'));
        const auto equals = pair.find('=');
        const std::string name = pair.substr(0, equals), value = pair.substr(equals + 1);
        if (value.empty())
            cookies_.erase(name);
        else
            cookies_[name] = value;
    }
    return result;
}

httplib::Result Browser::get(const std::string& path)
{
    return remember(client_.Get(path.c_str(), headers()));
}

httplib::Result Browser::post(const std::string& path, const httplib::Params& fields)
{
    return remember(client_.Post(path.c_str(), headers(), fields));
}

httplib::Result Browser::upload(const std::string& bytes, const std::string& email, const std::string& fileName,
                                const std::string& earlier)
{
    const httplib::MultipartFormDataItems items = {
        {"csrf", csrf(), "", ""},     {"log", bytes, fileName, "application/octet-stream"},
        {"text", "", "", ""},         {"email", email, "", ""},
        {"earlier", earlier, "", ""},
    };
    return remember(client_.Post("/upload", headers(), items));
}

httplib::Result Browser::paste(const std::string& text, const std::string& email)
{
    const httplib::MultipartFormDataItems items = {
        {"csrf", csrf(), "", ""},
        {"log", "", "", "application/octet-stream"},
        {"text", text, "", ""},
        {"email", email, "", ""},
    };
    return remember(client_.Post("/upload", headers(), items));
}

std::string Browser::csrf()
{
    if (cookies_.count("csrf") == 0)
        get("/");
    return cookie("csrf");
}

std::string Browser::cookie(const std::string& name) const
{
    const auto found = cookies_.find(name);
    return found == cookies_.end() ? std::string() : found->second;
}

bool Browser::logIn(const std::string& password)
{
    const auto result = post("/organiser/login", {{"csrf", csrf()}, {"password", password}});
    return result && result->status == 303 && !cookie("session").empty();
}

std::string Browser::runCrossCheck(long long newestSeen)
{
    const auto started = post("/organiser/check", {{"csrf", csrf()}, {"newest", std::to_string(newestSeen)}});
    if (!started || started->status != 303)
        throw std::runtime_error("the cross-check did not start");
    const std::string run = started->get_header_value("Location");
    // Bounded by the test's own time limit; a run of a few logs takes well
    // under a second.
    for (;;) {
        const auto page = get(run);
        if (page && page->status == 200 && !contains(page->body, "id=\"run-state\">running"))
            return run;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

RawConnection::RawConnection(int port) : socket_(::socket(AF_INET, SOCK_STREAM, 0))
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ < 0 || ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("no connection to port " + std::to_string(port));
}

RawConnection::~RawConnection()
{
    ::close(socket_);
}

bool RawConnection::send(const std::string& bytes)
{
    return ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::string RawConnection::answerLine()
{
    std::string answer;
    char buffer[4096];
    for (ssize_t got; answer.find("\r\n") == std::string::npos && (got = ::recv(socket_, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, got);
    return answer.substr(0, answer.find("\r\n"));
}

bool RawConnection::isOpenAndUnanswered() const
{
    char byte;
    return ::recv(socket_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

std::string rawExchange(int port, const std::string& bytes)
{
    RawConnection connection(port);
    connection.send(bytes);
    return connection.answerLine();
}
