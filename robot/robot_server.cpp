#include "robot/robot_server.h"

#include <httplib.h>
#include <sodium.h>

#include <filesystem>

#include "contest/text.h"
#include "logfile/text.h"
#include "robot/pages.h"
#include "robot/run_folder.h"

namespace fs = std::filesystem;

namespace {

const char* const kHtml = "text/html; charset=utf-8";
const char* const kClosedAtKey = "closed_at";
const char* const kPublishedKey = "published_run";
constexpr int kMinimumWorkedBy = 2;

// Receipts avoid the letters and digits that read alike (0/O, 1/I).
std::string newReceipt()
{
    static const char kAlphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    std::string receipt(10, ' ');
    for (char& c : receipt)
        c = kAlphabet[randombytes_uniform(sizeof kAlphabet - 1)];
    return receipt;
}

bool isHexToken(const std::string& text)
{
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

std::string cookieValue(const httplib::Request& req, const std::string& name)
{
    const std::string header = req.get_header_value("Cookie");
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find(';', at);
        if (end == std::string::npos)
            end = header.size();
        std::string pair = header.substr(at, end - at);
        pair.erase(0, pair.find_first_not_of(' '));
        if (pair.compare(0, name.size() + 1, name + "=") == 0)
            return pair.substr(name.size() + 1);
        at = end + 1;
    }
    return {};
}

// A form's field, from a multipart or a url-encoded body.
std::string formField(const httplib::Request& req, const std::string& name)
{
    if (req.has_file(name))
        return req.get_file_value(name).content;
    return req.get_param_value(name);
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

std::string sizeText(std::size_t bytes)
{
    if (bytes % (1024 * 1024) == 0)
        return std::to_string(bytes / (1024 * 1024)) + " MB";
    return std::to_string(bytes / 1024) + " KB";
}

// A path segment of a run number: digits only, within range.
bool parseRunNumber(const std::string& text, long long& run)
{
    if (text.empty() || text.size() > 12)
        return false;
    run = std::stoll(text);
    return run > 0;
}

}  // namespace

// One request and its answer, with the language and the form token.
struct RobotServer::Request {
    const httplib::Request& req;
    httplib::Response& res;
    const PageTexts& texts;
    bool secureCookies;

    void setCookie(const std::string& name, const std::string& value, const std::string& extra = "")
    {
        res.set_header("Set-Cookie", name + "=" + value + "; Path=/; HttpOnly; SameSite=Strict" +
                                         (secureCookies ? "; Secure" : "") + extra);
    }

    // The visitor's form token: the cookie's when it has a sound one, else a
    // new one sent along.  POST forms must carry it back.
    std::string csrfToken()
    {
        std::string token = cookieValue(req, "csrf");
        if (isHexToken(token))
            return token;
        token = randomToken();
        setCookie("csrf", token);
        return token;
    }

    void page(int status, const std::string& html)
    {
        res.status = status;
        res.set_content(html, kHtml);
    }

    // The language switch of an answer to a form leads to the upload form,
    // which a GET can fetch.
    void message(int status, const std::string& heading, const std::string& text)
    {
        page(status, messagePage(texts, heading, text, req.method == "GET" ? req.path : "/"));
    }

    void redirect(const std::string& to)
    {
        res.status = 303;
        res.set_header("Location", to);
    }
};

RobotServer::RobotServer(const RobotConfig& config, const LogChecker& checker)
    : config_(config), checker_(checker),
      store_((fs::create_directories(config.dataDir), (fs::path(config.dataDir) / "robot.db").string())),
      auth_(config.passwordHash), http_(std::make_unique<httplib::Server>())
{
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot start");
    fs::create_directories(fs::path(config_.dataDir) / "runs");
    installRoutes();
}

RobotServer::~RobotServer()
{
    stop();
}

bool RobotServer::listen()
{
    return http_->listen(config_.listenAddress.c_str(), config_.port);
}
int RobotServer::bindToAnyPort(const std::string& host)
{
    return http_->bind_to_any_port(host);
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
    httplib::Server& http = *http_;
    // Slow clients hold a worker thread only until the timeout; many workers
    // keep the others served meanwhile.
    http.new_task_queue = [] { return new httplib::ThreadPool(64); };
    http.set_read_timeout(config_.readTimeoutSeconds, 0);
    http.set_write_timeout(config_.readTimeoutSeconds, 0);
    http.set_keep_alive_timeout(3);
    // Room for the form's other fields around a log of the largest size.
    http.set_payload_max_length(config_.uploadLimit + 64 * 1024);
    http.set_default_headers({
        {"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; img-src data:; form-action 'self'; "
                                    "frame-ancestors 'none'; base-uri 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"Cache-Control", "no-store"},
    });

    // Each route runs with the request's language; ?lang= also sets it for
    // the pages that follow.
    auto route = [this](auto handler) {
        return [this, handler](const httplib::Request& req, httplib::Response& res) {
            const std::string chosen = req.get_param_value("lang");
            const std::string choice = chosen.empty() ? cookieValue(req, "lang") : chosen;
            const Language language = chooseLanguage(choice, req.get_header_value("Accept-Language"));
            Request r{req, res, pageTexts(language), config_.secureCookies};
            if (chosen == "ru" || chosen == "en")
                r.setCookie("lang", chosen, "; Max-Age=31536000");
            handler(r);
        };
    };
    http.Get("/", route([this](Request& r) { showUploadForm(r); }));
    http.Post("/upload", route([this](Request& r) { takeUpload(r); }));
    http.Get("/receipt/([0-9A-Z]{1,20})", route([this](Request& r) { showReceipt(r, r.req.matches[1]); }));
    http.Get("/receipt/([0-9A-Z]{1,20})/(rejected|err)\\.txt",
             route([this](Request& r) { sendReceiptList(r, r.req.matches[1], r.req.matches[2]); }));
    http.Get("/organiser/login", route([this](Request& r) { showLogin(r); }));
    http.Post("/organiser/login", route([this](Request& r) { logIn(r); }));
    http.Post("/organiser/logout", route([this](Request& r) { logOut(r); }));
    http.Get("/organiser", route([this](Request& r) { showOrganiser(r); }));
    http.Post("/organiser/check", route([this](Request& r) { runCrossCheck(r); }));
    http.Post("/organiser/publish", route([this](Request& r) { publish(r); }));
    http.Post("/organiser/close", route([this](Request& r) { closeNow(r); }));
    http.Post("/organiser/version", route([this](Request& r) { decideVersion(r); }));
    http.Get("/organiser/run/([0-9]{1,12})", route([this](Request& r) {
                 long long run = 0;
                 if (parseRunNumber(r.req.matches[1], run))
                     showRun(r, run);
             }));
    http.Get("/organiser/run/([0-9]{1,12})/(ubn/)?([^/]+)", route([this](Request& r) {
                 long long run = 0;
                 if (parseRunNumber(r.req.matches[1], run))
                     sendRunFile(r, run, r.req.matches[2].matched ? "out/ubn" : "out", r.req.matches[3]);
             }));
    http.Get("/results", route([](Request& r) { r.redirect("/results/"); }));
    http.Get("/results/", route([this](Request& r) { sendPublished(r, "out", "results.html"); }));
    http.Get("/results/ubn/([^/]+)", route([this](Request& r) { sendPublished(r, "out/ubn", r.req.matches[1]); }));

    // Pages for what went wrong outside the handlers: no route, a body over
    // the limit, a request that does not parse.  A handler's own page stays.
    http.set_error_handler(
        httplib::Server::HandlerWithResponse([this](const httplib::Request& req, httplib::Response& res) {
            if (!res.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            const PageTexts& texts =
                pageTexts(chooseLanguage(cookieValue(req, "lang"), req.get_header_value("Accept-Language")));
            std::string text = texts.badRequest;
            if (res.status == 404)
                text = texts.notFound;
            if (res.status == 413)
                text = fill(texts.tooLarge, sizeText(config_.uploadLimit));
            res.set_content(messagePage(texts, texts.robotTitle, text, "/"), kHtml);
            return httplib::Server::HandlerResponse::Handled;
        }));
    http.set_exception_handler([](const httplib::Request& req, httplib::Response& res, std::exception_ptr) {
        const PageTexts& texts =
            pageTexts(chooseLanguage(cookieValue(req, "lang"), req.get_header_value("Accept-Language")));
        res.status = 500;
        res.set_content(messagePage(texts, texts.robotTitle, texts.serverError, "/"), kHtml);
    });
}

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

bool RobotServer::formIsGenuine(Request& r)
{
    const std::string cookie = cookieValue(r.req, "csrf");
    return isHexToken(cookie) && sameToken(cookie, formField(r.req, "csrf"));
}

void RobotServer::showUploadForm(Request& r)
{
    UploadWindow window;
    window.closed = uploadsClosed(std::time(nullptr), window.deadline);
    // An edit link from an answer page brings its receipt along.
    const std::string replace = r.req.get_param_value("replace");
    r.page(200,
           uploadPage(r.texts, config_.contestName, window, r.csrfToken(), isReceiptShaped(replace) ? replace : ""));
}

void RobotServer::takeUpload(Request& r)
{
    const std::time_t now = std::time(nullptr);
    std::time_t deadline = 0;
    if (uploadsClosed(now, deadline))
        return r.message(403, r.texts.closedHeading, fill(r.texts.closedSince, formatUtcMinute(deadline)));
    if (!formIsGenuine(r))
        return r.message(403, r.texts.refusedHeading, r.texts.badForm);

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
        return r.message(413, r.texts.refusedHeading, fill(r.texts.tooLarge, sizeText(config_.uploadLimit)));
    if (trimmed(upload.original).empty())
        return r.message(400, r.texts.refusedHeading, r.texts.noLogSent);
    upload.email = trimmed(formField(r.req, "email"));
    if (!isEmailAddress(upload.email))
        return r.message(400, r.texts.refusedHeading, r.texts.badEmail);
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
    // A receipt that is taken fails the insert as a whole; a fresh one is
    // drawn.  With 50 random bits that is a matter of principle only.
    for (int attempt = 0;; ++attempt) {
        upload.receipt = newReceipt();
        try {
            store_.add(upload);
            break;
        } catch (const StoreError&) {
            if (attempt == 2 || store_.findByReceipt(upload.receipt) == std::nullopt)
                throw;
        }
    }
    Answer answer{*store_.findByReceipt(upload.receipt), std::move(upload.precheck)};
    answer.rejectedLineCount = static_cast<int>(answer.precheck.rejectedLines.size());
    answer.receiptProvedNothing = !upload.earlierReceipt.empty() && answer.upload.standing == VersionStanding::Waiting;
    r.page(upload.accepted ? 200 : 422, answerPage(r.texts, answer));
}

KeptPrecheck RobotServer::keptPrecheck(const StoredUpload& upload, int rejectedLinesShown)
{
    if (auto kept = store_.keptPrecheck(upload.id, rejectedLinesShown))
        return std::move(*kept);
    // Stored before pre-checks were kept with their uploads: run once, kept.
    store_.keepPrecheck(upload.id, checker_.precheck(store_.originalBytes(upload.id), upload.fileName));
    return *store_.keptPrecheck(upload.id, rejectedLinesShown);
}

void RobotServer::showReceipt(Request& r, const std::string& receipt)
{
    const auto stored = store_.findByReceipt(receipt);
    if (!stored)
        return r.message(404, r.texts.robotTitle, r.texts.notFound);
    KeptPrecheck kept = keptPrecheck(*stored, kLinesOnAPage);
    Answer answer{*stored, std::move(kept.precheck), kept.rejectedLineCount};
    r.page(200, answerPage(r.texts, answer));
}

void RobotServer::sendReceiptList(Request& r, const std::string& receipt, const std::string& list)
{
    const auto stored = store_.findByReceipt(receipt);
    if (!stored)
        return r.message(404, r.texts.robotTitle, r.texts.notFound);
    const std::string text = list == "rejected" ? rejectedLinesText(store_.rejectedLines(stored->id))
                                                : keptPrecheck(*stored, 0).precheck.errorLines;
    r.res.set_content(text, "text/plain; charset=utf-8");
}

bool RobotServer::isOrganiser(Request& r)
{
    if (auth_.isSession(cookieValue(r.req, "session")))
        return true;
    r.redirect("/organiser/login");
    return false;
}

std::string RobotServer::clientAddress(const Request& r) const
{
    // Behind the configured proxy every connection comes from it; the last
    // address it appended is the client's.  Anyone else's header is ignored.
    const std::string forwarded = r.req.get_header_value("X-Forwarded-For");
    if (config_.proxyAddress.empty() || r.req.remote_addr != config_.proxyAddress || forwarded.empty())
        return r.req.remote_addr;
    return trimmed(forwarded.substr(forwarded.rfind(',') + 1));
}

void RobotServer::showLogin(Request& r)
{
    r.page(200, loginPage(r.texts, r.csrfToken(), ""));
}

void RobotServer::logIn(Request& r)
{
    if (!formIsGenuine(r))
        return r.page(403, loginPage(r.texts, r.csrfToken(), r.texts.badForm));
    const std::string address = clientAddress(r);
    std::string session;
    switch (auth_.logIn(address, r.req.get_param_value("password"), session)) {
    case OrganiserAuth::Login::Ok:
        r.setCookie("session", session);
        return r.redirect("/organiser");
    case OrganiserAuth::Login::Wrong:
        return r.page(403, loginPage(r.texts, r.csrfToken(), r.texts.wrongPassword));
    case OrganiserAuth::Login::Throttled: {
        const std::string wait = std::to_string(auth_.secondsToWait(address));
        r.res.set_header("Retry-After", wait);
        return r.page(429, loginPage(r.texts, r.csrfToken(), fill(r.texts.throttled, wait)));
    }
    }
}

void RobotServer::logOut(Request& r)
{
    if (!formIsGenuine(r))
        return r.message(403, r.texts.refusedHeading, r.texts.badForm);
    auth_.logOut(cookieValue(r.req, "session"));
    r.setCookie("session", "", "; Max-Age=0");
    r.redirect("/organiser/login");
}

void RobotServer::showOrganiser(Request& r)
{
    if (!isOrganiser(r))
        return;
    OrganiserView view;
    view.logs = store_.latestLogs();
    view.missing = store_.missingLogs(kMinimumWorkedBy);
    view.versions = store_.everyVersion();
    view.window.closed = uploadsClosed(std::time(nullptr), view.window.deadline);
    view.lastRun = lastRun();
    view.published = store_.setting(kPublishedKey).has_value();
    r.page(200, organiserPage(r.texts, r.csrfToken(), view));
}

std::string RobotServer::runFolder(long long run) const
{
    return (fs::path(config_.dataDir) / "runs" / std::to_string(run)).string();
}

long long RobotServer::lastRun()
{
    const auto last = store_.setting("last_run");
    return last ? std::stoll(*last) : 0;
}

void RobotServer::runCrossCheck(Request& r)
{
    if (!isOrganiser(r))
        return;
    if (!formIsGenuine(r))
        return r.message(403, r.texts.refusedHeading, r.texts.badForm);
    std::lock_guard<std::mutex> lock(runMutex_);
    const long long run = store_.startRun(std::time(nullptr));
    const fs::path folder = runFolder(run);
    fs::create_directories(folder / "out");
    fs::create_directories(folder / "logs");
    // The logs go into the run as sent, named by their receipts, so the zip
    // holds everything the results came from.
    std::vector<LogToCheck> logs;
    std::string failure;
    for (const StoredUpload& log : store_.latestLogs()) {
        logs.push_back({log.callsign + " (" + log.receipt + ")", store_.originalBytes(log.id)});
        if (!writeWholeFile((folder / "logs" / (log.receipt + ".log")).string(), logs.back().bytes))
            failure = log.receipt + ".log: cannot be written";
    }
    if (failure.empty())
        failure = checker_.crossCheck(logs, (folder / "out").string());
    if (failure.empty())
        failure = zipFolder(folder.string(), (folder / "all.zip").string());
    if (!failure.empty())
        return r.page(500, runPage(r.texts, r.csrfToken(), run, {}, failure));
    store_.setSetting("last_run", std::to_string(run));
    r.redirect("/organiser/run/" + std::to_string(run));
}

void RobotServer::showRun(Request& r, long long run)
{
    if (!isOrganiser(r))
        return;
    const std::string folder = runFolder(run);
    if (!fs::is_directory(folder))
        return r.message(404, r.texts.robotTitle, r.texts.notFound);
    r.page(200, runPage(r.texts, r.csrfToken(), run, listedFiles((fs::path(folder) / "out" / "ubn").string()), ""));
}

namespace {

const char* contentTypeOf(const std::string& name)
{
    const auto dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    if (extension == ".html")
        return "text/html; charset=utf-8";
    if (extension == ".csv")
        return "text/csv; charset=utf-8";
    if (extension == ".zip")
        return "application/zip";
    return "text/plain; charset=utf-8";
}

}  // namespace

void RobotServer::sendRunFile(Request& r, long long run, const std::string& folder, const std::string& name)
{
    if (!isOrganiser(r))
        return;
    // The zip lies beside the run's outputs, not among them.
    const std::string base = name == "all.zip" ? runFolder(run) : (fs::path(runFolder(run)) / folder).string();
    const auto path = listedFile(base, name);
    if (!path)
        return r.message(404, r.texts.robotTitle, r.texts.notFound);
    r.res.set_content(readWholeFile(*path), contentTypeOf(name));
    if (name == "all.zip")
        r.res.set_header("Content-Disposition",
                         "attachment; filename=\"zemrix-check-" + std::to_string(run) + ".zip\"");
}

void RobotServer::publish(Request& r)
{
    if (!isOrganiser(r))
        return;
    if (!formIsGenuine(r))
        return r.message(403, r.texts.refusedHeading, r.texts.badForm);
    const long long run = lastRun();
    if (!run)
        return r.message(409, r.texts.robotTitle, r.texts.noRunYet);
    store_.setSetting(kPublishedKey, std::to_string(run));
    r.redirect("/organiser");
}

void RobotServer::closeNow(Request& r)
{
    if (!isOrganiser(r))
        return;
    if (!formIsGenuine(r))
        return r.message(403, r.texts.refusedHeading, r.texts.badForm);
    store_.setSetting(kClosedAtKey, std::to_string(static_cast<long long>(std::time(nullptr))));
    r.redirect("/organiser");
}

void RobotServer::decideVersion(Request& r)
{
    if (!isOrganiser(r))
        return;
    if (!formIsGenuine(r))
        return r.message(403, r.texts.refusedHeading, r.texts.badForm);
    const std::string choice = formField(r.req, "choice");
    if (choice != "check" && choice != "keep")
        return r.message(400, r.texts.organiserHeading, r.texts.badRequest);
    if (!store_.decideVersion(formField(r.req, "receipt"), choice == "check"))
        return r.message(409, r.texts.organiserHeading, r.texts.notWaiting);
    r.redirect("/organiser");
}

void RobotServer::sendPublished(Request& r, const std::string& folder, const std::string& name)
{
    const auto published = store_.setting(kPublishedKey);
    if (!published)
        return r.message(404, r.texts.publicResults, r.texts.notPublished);
    const auto path = listedFile((fs::path(runFolder(std::stoll(*published))) / folder).string(), name);
    if (!path)
        return r.message(404, r.texts.robotTitle, r.texts.notFound);
    r.res.set_content(readWholeFile(*path), contentTypeOf(name));
}
