#include "robot_fixture.h"

#include <chrono>
#include <cstdio>
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

namespace {
const std::string& passwordHash()
{
    static const std::string hash = hashPassword(kPassword);
    return hash;
}
}  // namespace

RunningRobot::RunningRobot(void (*configure)(RobotConfig&))
{
    static int serial = 0;
    scratch_ = std::filesystem::path(ROBOT_SCRATCH_DIR) /
               ("robot-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(scratch_);
    config_.dataDir = (scratch_ / "data").string();
    config_.passwordHash = passwordHash();
    config_.readTimeoutSeconds = 1;
    config_.countryFile = ROBOT_COUNTRY_FILE;
    if (configure)
        configure(config_);
    checker_ = std::make_unique<LogChecker>(config_.countryFile, config_.checkerConfig);
    server_ = std::make_unique<RobotServer>(config_, *checker_);
    port_ = server_->bindToAnyPort("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("no free port");
    serving_ = std::thread([this] { server_->serveAfterBind(); });
    while (!server_->isRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

RunningRobot::~RunningRobot()
{
    server_->stop();
    serving_.join();
    server_.reset();
    std::filesystem::remove_all(scratch_);
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
