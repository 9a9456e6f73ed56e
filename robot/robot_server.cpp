#include "robot/robot_server.h"

#include <sodium.h>

#include <filesystem>

#include "contest/text.h"
#include "logfile/text.h"
#include "robot/http_transport.h"
#include "robot/pages.h"
#include "robot/server_request.h"

namespace fs = std::filesystem;

namespace {

// The organiser's pages that everyone may see.
const char* const kPublicOrganiserPaths[] = {"/organiser/login"};

// Receipts avoid the letters and digits that read alike (0/O, 1/I).
std::string newReceipt()
{
    static const char kAlphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    std::string receipt(10, ' ');
    for (char& c : receipt)
        c = kAlphabet[randombytes_uniform(sizeof kAlphabet - 1)];
    return receipt;
}

bool isEmailAddress(const std::string& text)
{
    const auto at = text.find('@');
    if (text.size() > 254 || at == std::string::npos || at == 0 || at + 1 == text.size())
        return false;
    for (unsigned char c : text)
        if (c <= ' ' || c == 0x7f || c == '<' || c == '>' || c == '"')
            return false;
    return text.find('@', at + 1) == std::string::npos;
}

// The words for a request answered outside the routes: in the language its
// cookie or its browser asks for.
PageTexts textsOutsideRoutes(const httplib::Request& req, const std::string& contestName)
{
    return PageTexts(chooseLanguage(cookieValue(req, "lang"), req.get_header_value("Accept-Language")), contestName);
}

TransportLimits transportLimits(const RobotConfig& config)
{
    TransportLimits limits;
    limits.readTimeout = std::chrono::seconds(config.readTimeoutSeconds);
    limits.requestDeadline = std::chrono::seconds(config.requestDeadlineSeconds);
    // Room for the form's other fields around a log of the largest size.
    limits.bodyLimit = config.uploadLimit + 64 * 1024;
    // Some thirty of the largest uploads at once, far more than ever arrive
    // together; past that a body is refused with 503, to be sent again.
    limits.bodiesAtOnce = 32 * limits.bodyLimit;
    return limits;
}

std::string whatWasThrown(std::exception_ptr thrown)
{
    try {
        std::rethrow_exception(thrown);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "an exception that is no std::exception";
    }
}

bool isOrganiserPath(const std::string& path)
{
    if (path != "/organiser" && path.rfind("/organiser/", 0) != 0)
        return false;
    for (const char* open : kPublicOrganiserPaths)
        if (path == open)
            return false;
    return true;
}

}  // namespace

struct RobotServer::Route {
    const char* method;
    const char* pattern;
    const char* example;  // a path it serves
    void (RobotServer::*handle)(Request&);
};

// Every route, and the only way one is installed: each passes the gate.
const RobotServer::Route RobotServer::kRoutes[] = {
    {"GET", "/", "/", &RobotServer::showUploadForm},
    {"POST", "/upload", "/upload", &RobotServer::takeUpload},
    {"GET", "/receipt/([0-9A-Z]{1,20})", "/receipt/ABC", &RobotServer::showReceipt},
    {"GET", "/receipt/([0-9A-Z]{1,20})/(rejected|err)\\.txt", "/receipt/ABC/err.txt", &RobotServer::sendReceiptList},
    {"GET", "/organiser/login", "/organiser/login", &RobotServer::showLogin},
    {"POST", "/organiser/login", "/organiser/login", &RobotServer::logIn},
    {"POST", "/organiser/logout", "/organiser/logout", &RobotServer::logOut},
    {"GET", "/organiser", "/organiser", &RobotServer::showOrganiser},
    {"GET", "/organiser/versions", "/organiser/versions", &RobotServer::showVersions},
    {"POST", "/organiser/check", "/organiser/check", &RobotServer::startCrossCheck},
    {"POST", "/organiser/publish", "/organiser/publish", &RobotServer::publish},
    {"POST", "/organiser/close", "/organiser/close", &RobotServer::closeNow},
    {"POST", "/organiser/reopen", "/organiser/reopen", &RobotServer::reopen},
    {"POST", "/organiser/version", "/organiser/version", &RobotServer::decideVersion},
    {"GET", "/organiser/received.zip", "/organiser/received.zip", &RobotServer::sendReceived},
    {"GET", "/organiser/run/([0-9]{1,12})", "/organiser/run/1", &RobotServer::showRun},
    {"GET", "/organiser/run/([0-9]{1,12})/(ubn/)?([^/]+)", "/organiser/run/1/results.html", &RobotServer::sendRunFile},
    {"GET", "/results", "/results", &RobotServer::sendResults},
    {"GET", "/results/", "/results/", &RobotServer::sendResults},
    {"GET", "/results/ubn/([^/]+)", "/results/ubn/A.txt", &RobotServer::sendPublishedReport},
    {"GET", "/results/(results|lists)\\.html", "/results/lists.html", &RobotServer::sendPublishedPage},
};

std::vector<std::pair<std::string, std::string>> RobotServer::routeExamples()
{
    std::vector<std::pair<std::string, std::string>> examples;
    for (const Route& route : kRoutes)
        examples.emplace_back(route.method, route.example);
    return examples;
}

RobotServer::RobotServer(const RobotConfig& config, const LogChecker& checker)
    : config_(config), checker_(checker),
      store_((fs::create_directories(config.dataDir), (fs::path(config.dataDir) / "robot.db").string())),
      runs_((fs::path(config.dataDir) / "robot.db").string()),
      sessions_((fs::path(config.dataDir) / "robot.db").string()), auth_(config.passwordHash, sessions_),
      log_(config.logFile), runner_((fs::path(config.dataDir) / "runs").string(), checker, store_, runs_, log_),
      http_(std::make_unique<RobotHttpServer>(transportLimits(config)))
{
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot start");
    fs::create_directories(fs::path(config_.dataDir) / "runs");
    // Exports are made for one download each; what a stop left behind goes.
    fs::remove_all(fs::path(config_.dataDir) / "exports");
    installRoutes();
}

RobotServer::~RobotServer()
{
    stop();
}

bool RobotServer::bind(std::string& error)
{
    return http_->bindExclusively(config_.listenAddress, config_.port, error);
}
int RobotServer::bindToAnyPort(const std::string& host)
{
    return http_->bindAnyPort(host);
}
bool RobotServer::serveAfterBind()
{
    return http_->listen_after_bind();
}
void RobotServer::stop()
{
    http_->stop();
}
bool RobotServer::isRunning() const
{
    return http_->is_running();
}

void RobotServer::installRoutes()
{
    RobotHttpServer& http = *http_;
    http.set_default_headers({
        {"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; img-src data:; form-action 'self'; "
                                    "frame-ancestors 'none'; base-uri 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"Cache-Control", "no-store"},
    });

    // Each route runs with the request's language (?lang= also sets it for
    // the pages that follow), once past the gate.
    for (const Route& route : kRoutes) {
        auto handler = [this, &route](const httplib::Request& req, httplib::Response& res) {
            const std::string chosen = req.get_param_value("lang");
            const std::string choice = chosen.empty() ? cookieValue(req, "lang") : chosen;
            const Language language = chooseLanguage(choice, req.get_header_value("Accept-Language"));
            Request r{req, res, PageTexts(language, config_.contestName), config_.secureCookies};
            if (chosen == "ru" || chosen == "en")
                r.setCookie("lang", chosen, "; Max-Age=31536000");
            if (passesGate(r))
                (this->*route.handle)(r);
        };
        if (std::string(route.method) == "GET")
            http.Get(route.pattern, handler);
        else
            http.Post(route.pattern, handler);
    }
    http.set_logger([this](const httplib::Request& req, const httplib::Response& res) { logAnswer(req, res); });

    // Pages for what went wrong outside the handlers: no route, a body over
    // the limit, a request that does not parse.  A handler's own page stays.
    http.set_error_handler(
        httplib::Server::HandlerWithResponse([this](const httplib::Request& req, httplib::Response& res) {
            if (!res.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            const PageTexts texts = textsOutsideRoutes(req, config_.contestName);
            std::string text = texts(MessageId::RobotBadRequest);
            if (res.status == 404)
                text = texts(MessageId::RobotNotFound);
            if (res.status == 413)
                text = texts(MessageId::RobotTooLarge, {sizeText(texts, config_.uploadLimit)});
            if (res.status == 503)
                text = texts(MessageId::RobotBusy);
            res.set_content(messagePage(texts, texts.contestName(), text, "/"), kHtml);
            return httplib::Server::HandlerResponse::Handled;
        }));
    http.set_exception_handler([this](const httplib::Request& req, httplib::Response& res,
                                      std::exception_ptr thrown) {
        noteRequestFailure(whatWasThrown(thrown));
        const PageTexts texts = textsOutsideRoutes(req, config_.contestName);
        res.status = 500;
        res.set_content(messagePage(texts, texts.contestName(), texts(MessageId::RobotServerError), "/"),
                        kHtml);
    });
}

// The one gate in front of every route: the organiser's pages, but for the
// public ones, want the organiser's session; every form sent wants the
// visitor's form token.  A route need not, and cannot, do it itself.
bool RobotServer::passesGate(Request& r)
{
    if (isOrganiserPath(r.req.path) && !auth_.isSession(cookieValue(r.req, "session"))) {
        r.redirect("/organiser/login");
        return false;
    }
    if (r.req.method == "POST" && !r.formIsGenuine()) {
        r.message(403, r.texts(MessageId::RobotRefusedHeading), r.texts(MessageId::RobotBadForm));
        return false;
    }
    return true;
}

// The robot closes at the earlier of the config's deadline and the
// organiser's "close now".
bool RobotServer::uploadsClosed(std::time_t now, std::time_t& deadline)
{
    deadline = config_.deadline;
    // The deadline's own minute is still open: "until 23:59" takes logs
    // through 23:59:59.  "Close now" closes at the second it was pressed.
    std::time_t closesAt = deadline ? deadline + 60 : 0;
    if (const auto closedAt = store_.setting(kClosedAtKey)) {
        const std::time_t closed = static_cast<std::time_t>(std::stoll(*closedAt));
        if (!closesAt || closed < closesAt)
            deadline = closesAt = closed;
    }
    return closesAt && now >= closesAt;
}

void RobotServer::showUploadForm(Request& r)
{
    UploadWindow window;
    window.closed = uploadsClosed(std::time(nullptr), window.deadline);
    // An edit link from an answer page brings its receipt along.
    const std::string replace = r.req.get_param_value("replace");
    r.page(200,
           uploadPage(r.texts, window, config_.uploadLimit, r.csrfToken(), isReceiptShaped(replace) ? replace : ""));
}

void RobotServer::takeUpload(Request& r)
{
    const std::time_t now = std::time(nullptr);
    std::time_t deadline = 0;
    if (uploadsClosed(now, deadline))
        return r.message(403, r.texts(MessageId::RobotClosedHeading),
                         r.texts(MessageId::RobotClosedSince, {formatUtcMinute(deadline)}));

    NewUpload upload;
    upload.receivedAt = now;
    if (r.req.has_file("log") && !r.req.get_file_value("log").content.empty()) {
        const auto& file = r.req.get_file_value("log");
        upload.original = file.content;
        upload.fileName = file.filename;
    } else {
        upload.original = formField(r.req, "text");
        upload.fileName = "pasted";
    }
    if (upload.original.size() > config_.uploadLimit)
        return r.message(413, r.texts(MessageId::RobotRefusedHeading),
                         r.texts(MessageId::RobotTooLarge, {sizeText(r.texts, config_.uploadLimit)}));
    if (trimmed(upload.original).empty())
        return r.message(400, r.texts(MessageId::RobotRefusedHeading), r.texts(MessageId::RobotNoLogSent));
    upload.email = trimmed(formField(r.req, "email"));
    if (!isEmailAddress(upload.email))
        return r.message(400, r.texts(MessageId::RobotRefusedHeading), r.texts(MessageId::RobotBadEmail));
    upload.earlierReceipt = upperCase(trimmed(formField(r.req, "earlier")));

    upload.precheck = checker_.precheck(upload.original, upload.fileName);
    const Precheck& precheck = upload.precheck;
    upload.accepted = precheck.accepted();
    upload.callsign = precheck.callsign;
    upload.category = precheck.category;
    upload.qsoLines = precheck.qsoLines;
    upload.claimedScore = precheck.claimedScore;
    upload.computedScore = precheck.computedScore;
    if (upload.accepted)
        upload.workedCallsigns = precheck.workedCallsigns;
    // 50 random bits: a receipt drawn twice fails the insert, and the
    // participant is asked to send again, with nothing stored.
    upload.receipt = newReceipt();
    store_.add(upload);
    Answer answer{*store_.findByReceipt(upload.receipt), std::move(upload.precheck)};
    answer.rejectedLineCount = static_cast<int>(answer.precheck.rejectedLines.size());
    answer.receiptProvedNothing = !upload.earlierReceipt.empty() && answer.upload.standing == VersionStanding::Waiting;
    r.page(upload.accepted ? 200 : 422, answerPage(r.texts, answer));
}

std::optional<StoredUpload> RobotServer::requestedUpload(Request& r)
{
    auto stored = store_.findByReceipt(r.req.matches[1]);
    if (!stored)
        r.message(404, r.texts.contestName(), r.texts(MessageId::RobotNotFound));
    return stored;
}

void RobotServer::showReceipt(Request& r)
{
    const auto stored = requestedUpload(r);
    if (!stored)
        return;
    KeptPrecheck kept = keptPrecheck(*stored, kLinesOnAPage);
    Answer answer{*stored, std::move(kept.precheck), kept.rejectedLineCount};
    r.page(200, answerPage(r.texts, answer));
}

KeptPrecheck RobotServer::keptPrecheck(const StoredUpload& upload, int rejectedLinesShown)
{
    if (auto kept = store_.keptPrecheck(upload.id, rejectedLinesShown))
        return std::move(*kept);
    // Stored before pre-checks were kept with their uploads: run once, kept.
    store_.keepPrecheck(upload.id, checker_.precheck(store_.originalBytes(upload.id), upload.fileName));
    return *store_.keptPrecheck(upload.id, rejectedLinesShown);
}

void RobotServer::sendReceiptList(Request& r)
{
    const auto stored = requestedUpload(r);
    if (!stored)
        return;
    const std::string text = r.req.matches[2] == "rejected"
                                 ? rejectedLinesText(store_.rejectedLines(stored->id), r.texts.language())
                                 : keptPrecheck(*stored, 0).precheck.errorLines;
    r.res.set_content(text, "text/plain; charset=utf-8");
}

std::string RobotServer::clientAddress(const httplib::Request& req) const
{
    // Behind the configured proxy every connection comes from it; the last
    // address it appended is the client's.  Anyone else's header is ignored.
    const std::string forwarded = req.get_header_value("X-Forwarded-For");
    if (config_.proxyAddress.empty() || req.remote_addr != config_.proxyAddress || forwarded.empty())
        return req.remote_addr;
    return trimmed(forwarded.substr(forwarded.rfind(',') + 1));
}

void RobotServer::logAnswer(const httplib::Request& req, const httplib::Response& res)
{
    log_.answered({clientAddress(req), req.method, req.path, res.status, res.body.size(), timeSinceRequestBegan(),
                   takeRequestFailure()});
}

void RobotServer::showLogin(Request& r)
{
    r.page(200, loginPage(r.texts, r.csrfToken(), ""));
}

void RobotServer::logIn(Request& r)
{
    const std::string address = clientAddress(r.req);
    std::string session;
    switch (auth_.logIn(address, r.req.get_param_value("password"), session)) {
    case OrganiserAuth::Login::Ok:
        r.setCookie("session", session);
        return r.redirect("/organiser");
    case OrganiserAuth::Login::Wrong:
        return r.page(403, loginPage(r.texts, r.csrfToken(), r.texts(MessageId::RobotWrongPassword)));
    case OrganiserAuth::Login::Throttled: {
        const std::string wait = std::to_string(auth_.secondsToWait(address));
        r.res.set_header("Retry-After", wait);
        return r.page(429, loginPage(r.texts, r.csrfToken(), r.texts(MessageId::RobotThrottled, {wait})));
    }
    }
}

void RobotServer::logOut(Request& r)
{
    auth_.logOut(cookieValue(r.req, "session"));
    r.setCookie("session", "", "; Max-Age=0");
    r.redirect("/organiser/login");
}
