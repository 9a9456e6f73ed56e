// A robot served in-process on a free port of 127.0.0.1, with its data in a
// scratch folder under the build tree that goes when the test ends, and a
// browser-like client that keeps its cookies.
#pragma once

#include <httplib.h>

#include <filesystem>
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

// The organiser's password in every test robot.
inline const char* const kPassword = "correct horse";

class RunningRobot {
public:
    // `configure` may change the config before the server starts.
    explicit RunningRobot(void (*configure)(RobotConfig&) = nullptr);
    ~RunningRobot();

    int port() const { return port_; }
    const RobotConfig& config() const { return config_; }

private:
    std::filesystem::path scratch_;
    RobotConfig config_;
    std::unique_ptr<LogChecker> checker_;
    std::unique_ptr<RobotServer> server_;
    std::thread serving_;
    int port_ = -1;
};

class Browser {
public:
    explicit Browser(int port, std::string language = "en");

    httplib::Result get(const std::string& path);
    httplib::Result post(const std::string& path, const httplib::Params& fields);
    // `earlier`: the receipt of an earlier version, as the form takes it.
    httplib::Result upload(const std::string& bytes, const std::string& email,
                           const std::string& fileName = "log.cbr", const std::string& earlier = "");
    // The log pasted into the form's text box instead.
    httplib::Result paste(const std::string& text, const std::string& email);

    // The form token the pages gave; fetches the upload form when there is none yet.
    std::string csrf();
    bool logIn(const std::string& password = kPassword);
    std::string cookie(const std::string& name) const;
    void setCookie(const std::string& name, const std::string& value) { cookies_[name] = value; }
    // A header sent with every request from now on.
    void setHeader(const std::string& name, const std::string& value) { extraHeaders_.emplace(name, value); }
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
