// zemrix-robot's web server: the participant's upload and answer pages, the
// organiser's pages behind a login, the published results.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "robot/organiser_auth.h"
#include "robot/precheck.h"
#include "robot/robot_config.h"
#include "robot/upload_store.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

class RobotServer {
public:
    // Opens the database in the config's data folder, creating the folder;
    // throws StoreError or std::runtime_error when it cannot.
    RobotServer(const RobotConfig& config, const LogChecker& checker);
    ~RobotServer();

    // Serves on the config's address and port until stop(); false when the
    // address cannot be bound.
    bool listen();
    // For tests: binds `host` on a free port and returns it (-1 on failure);
    // then serveAfterBind() serves until stop().
    int bindToAnyPort(const std::string& host);
    bool serveAfterBind();
    void stop();
    bool isRunning() const;

private:
    struct Request;
    void installRoutes();
    void showUploadForm(Request& r);
    void takeUpload(Request& r);
    void showReceipt(Request& r, const std::string& receipt);
    void sendReceiptList(Request& r, const std::string& receipt, const std::string& list);
    void showLogin(Request& r);
    void logIn(Request& r);
    void logOut(Request& r);
    void showOrganiser(Request& r);
    void runCrossCheck(Request& r);
    void showRun(Request& r, long long run);
    void sendRunFile(Request& r, long long run, const std::string& folder, const std::string& name);
    void publish(Request& r);
    void closeNow(Request& r);
    void decideVersion(Request& r);
    void sendPublished(Request& r, const std::string& folder, const std::string& name);

    bool isOrganiser(Request& r);
    std::string clientAddress(const Request& r) const;
    bool formIsGenuine(Request& r);
    bool uploadsClosed(std::time_t now, std::time_t& deadline);
    KeptPrecheck keptPrecheck(const StoredUpload& upload, int rejectedLinesShown);
    std::string runFolder(long long run) const;
    long long lastRun();

    RobotConfig config_;
    const LogChecker& checker_;
    UploadStore store_;
    OrganiserAuth auth_;
    std::unique_ptr<httplib::Server> http_;
    std::mutex runMutex_;  // one cross-check at a time
};
