// zemrix-robot's web server: the participant's upload and answer pages, the
// organiser's pages behind a login, the published results.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "robot/check_runner.h"
#include "robot/organiser_auth.h"
#include "robot/precheck.h"
#include "robot/robot_config.h"
#include "robot/run_book.h"
#include "robot/server_log.h"
#include "robot/session_book.h"
#include "robot/upload_store.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib
class RobotHttpServer;

class RobotServer {
public:
    // Opens the database in the config's data folder, creating the folder;
    // throws StoreError or std::runtime_error when it cannot.
    RobotServer(const RobotConfig& config, const LogChecker& checker);
    ~RobotServer();

    // Binds the config's address and port for this server alone; false with
    // `error` saying why when it cannot (another program holds the port).
    // Then serveAfterBind() serves until stop().
    bool bind(std::string& error);
    // For tests: binds `host` on a free port and returns it (-1 on failure).
    int bindToAnyPort(const std::string& host);
    bool serveAfterBind();
    void stop();
    bool isRunning() const;

    // Every route the server answers, as its method and a path it serves:
    // what the gate's test walks.
    static std::vector<std::pair<std::string, std::string>> routeExamples();

private:
    struct Request;
    struct Route;
    static const Route kRoutes[];

    void installRoutes();
    bool passesGate(Request& r);
    void showUploadForm(Request& r);
    void takeUpload(Request& r);
    void showReceipt(Request& r);
    void sendReceiptList(Request& r);
    void showLogin(Request& r);
    void logIn(Request& r);
    void logOut(Request& r);
    void showOrganiser(Request& r);
    void showVersions(Request& r);
    void startCrossCheck(Request& r);
    void showRun(Request& r);
    void sendRunFile(Request& r);
    void publish(Request& r);
    void closeNow(Request& r);
    void reopen(Request& r);
    void sendReceived(Request& r);
    void sendResults(Request& r);
    void sendPublishedReport(Request& r);
    void sendPublishedPage(Request& r);
    void decideVersion(Request& r);
    void sendPublished(Request& r, const std::string& folder, const std::string& name);

    std::string clientAddress(const httplib::Request& req) const;
    void logAnswer(const httplib::Request& req, const httplib::Response& res);
    bool uploadsClosed(std::time_t now, std::time_t& deadline);
    std::optional<RunRecord> requestedRun(Request& r);
    KeptPrecheck keptPrecheck(const StoredUpload& upload, int rejectedLinesShown);
    // The upload whose receipt the address names; without one, a 404 page is
    // sent and nothing returned.
    std::optional<StoredUpload> requestedUpload(Request& r);

    RobotConfig config_;
    const LogChecker& checker_;
    UploadStore store_;
    RunBook runs_;
    SessionBook sessions_;
    OrganiserAuth auth_;
    ServerLog log_;
    CheckRunner runner_;
    std::unique_ptr<RobotHttpServer> http_;
};
