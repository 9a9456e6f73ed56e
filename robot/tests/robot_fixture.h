// A robot served in-process on a free port of 127.0.0.1, with its data in a
// scratch folder under the build tree that goes when the test ends, and a
// browser-like client that keeps its cookies.
#pragma once

#include <httplib.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "robot/precheck.h"
#include "robot/robot_server.h"

// A Cabrillo log of `callsign` working each of `worked` once on 80 m CW,
// with `extraHeader` lines after the CALLSIGN line.
std::string cabrilloLog(const std::string& callsign, const std::vector<std::string>& worked,
                        const std::string& extraHeader = "");

bool contains(const std::string& text, const std::string& part);

// robot.db's tables as the first robot made them, before any schema step.
inline const char* const kFirstRobotsSchema = R"sql(
CREATE TABLE uploads(id INTEGER PRIMARY KEY, receipt TEXT NOT NULL UNIQUE, received_at INTEGER NOT NULL,
    email TEXT NOT NULL, file_name TEXT NOT NULL, original BLOB NOT NULL, accepted INTEGER NOT NULL,
    callsign TEXT NOT NULL, category TEXT NOT NULL, qso_lines INTEGER NOT NULL, claimed_score INTEGER,
    computed_score INTEGER NOT NULL);
CREATE INDEX uploads_by_callsign ON uploads(callsign, id);
CREATE TABLE worked(upload_id INTEGER NOT NULL REFERENCES uploads(id), callsign TEXT NOT NULL,
    PRIMARY KEY(upload_id, callsign)) WITHOUT ROWID;
CREATE TABLE runs(id INTEGER PRIMARY KEY, started_at INTEGER NOT NULL);
CREATE TABLE settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);
)sql";

// Runs `sql` on the database file at `path` as it is, with no schema step;
// throws std::runtime_error saying why it could not.
void runSqlOn(const std::string& path, const std::string& sql);

// The names of a zip's entries, in order; and one entry's bytes (empty when
// it has none of that name).
std::vector<std::string> zipEntries(const std::string& zipBytes);
std::string zipEntry(const std::string& zipBytes, const std::string& name);

// The organiser's password in every test robot.
inline const char* const kPassword = "correct horse";

// A folder of its own under the build tree's scratch folder, removed with
// the object.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class RunningRobot {
public:
    // `configure` may change the config, and prepare the data folder, before
    // the server starts.  A robot that is not `serving` has its port bound
    // until startServing().
    explicit RunningRobot(void (*configure)(RobotConfig&) = nullptr, bool serving = true);
    ~RunningRobot();

    void startServing();

    // Stops the robot as SIGTERM would, and starts it again on the same data
    // (on another port); `meanwhile` may change the data folder in between.
    void restart(const std::function<void()>& meanwhile = {});

    int port() const { return port_; }
    const RobotConfig& config() const { return config_; }
    std::string databasePath() const { return config_.dataDir + "/robot.db"; }
    const LogChecker& checker() const { return *checker_; }
    // The lines of the access log (the config's log file) once it has at
    // least `count` of them; the server writes a line after its answer.
    std::vector<std::string> logLines(std::size_t count) const;

private:
    void bind();
    void stop();

    ScratchFolder scratch_;
    RobotConfig config_;
    std::unique_ptr<LogChecker> checker_;
    std::unique_ptr<RobotServer> server_;
    std::thread serving_;
    int port_ = -1;
};

// Raw bytes to the server on a connection of their own, which stays open
// for the answer; its first line, or "" when the server closes without one.
// Waits as long as the server takes: its deadline bounds the wait.
std::string rawExchange(int port, const std::string& bytes);

// A connection to 127.0.0.1:port, closed when this goes.
class RawConnection {
public:
    explicit RawConnection(int port);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool send(const std::string& bytes);
    // The first line of the server's answer, read until the server closes
    // the connection or the line is whole.
    std::string answerLine();
    // True while the server has neither answered nor closed the connection.
    bool isOpenAndUnanswered() const;

private:
    int socket_;
};

class Browser {
public:
    explicit Browser(int port, std::string language = "en");

    httplib::Result get(const std::string& path);
    httplib::Result post(const std::string& path, const httplib::Params& fields);
    // `earlier`: the receipt of an earlier version, as the form takes it.
    httplib::Result upload(const std::string& bytes, const std::string& email, const std::string& fileName = "log.cbr",
                           const std::string& earlier = "");
    // The log pasted into the form's text box instead.
    httplib::Result paste(const std::string& text, const std::string& email);

    // The form token the pages gave; fetches the upload form when there is none yet.
    std::string csrf();
    bool logIn(const std::string& password = kPassword);
    // Clicks "Run the cross-check" as the organiser's page showing run
    // `newestSeen` would, then follows the run's page until the run has
    // ended (done or failed); the run's address.
    std::string runCrossCheck(long long newestSeen = 0);
    std::string cookie(const std::string& name) const;
    void setCookie(const std::string& name, const std::string& value) { cookies_[name] = value; }
    // A header sent with every request from now on, in place of any earlier value.
    void setHeader(const std::string& name, const std::string& value)
    {
        extraHeaders_.erase(name);
        extraHeaders_.emplace(name, value);
    }
    // The Set-Cookie lines of the last answer.
    const std::vector<std::string>& lastSetCookies() const { return lastSetCookies_; }

private:
    httplib::Headers headers() const;
    httplib::Result remember(httplib::Result result);

    httplib::Client client_;
    std::string language_;
    std::map<std::string, std::string> cookies_;
    std::vector<std::string> lastSetCookies_;
    httplib::Headers extraHeaders_;
};
