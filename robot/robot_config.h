// The robot's settings, read from a `key = value` file with `;` comments.
#pragma once

#include <cstddef>
#include <ctime>
#include <stdexcept>
#include <string>

struct RobotConfig {
    std::string listenAddress = "127.0.0.1";
    int port = 8080;
    std::string dataDir;  // the database, the cross-check runs
    std::string contestName = "ZEMRIX";
    std::time_t deadline = 0;  // UTC, the last minute taken whole; 0 = open until the organiser closes it
    std::string passwordHash;  // the organiser's, as crypto_pwhash_str writes it
    std::size_t uploadLimit = 2 * 1024 * 1024;
    std::string checkerConfig;  // the checker's contest.ini; empty = its defaults
    std::string countryFile = "/usr/share/hamradio-files/cty.dat";
    bool secureCookies = false;  // yes behind a TLS proxy
    std::string proxyAddress;    // the reverse proxy's address, whose X-Forwarded-For is believed
    int readTimeoutSeconds = 10;      // silence allowed between two bytes of a request
    int requestDeadlineSeconds = 60;  // for a request's whole header and body
    std::string logFile;              // the access and error log; empty = stderr
};

class RobotConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the text of a configuration file.  Throws RobotConfigError naming the
// line for an unknown key, a value that does not parse, or a missing `data`.
RobotConfig parseRobotConfig(const std::string& text, const std::string& fileName);

RobotConfig readRobotConfigFile(const std::string& path);

// "YYYY-MM-DD HH:MM" in UTC, as the config and the pages write times.  The
// parse takes exactly that shape and a minute that exists (no 31 February,
// no 24:00); false otherwise, `out` unchanged.
bool parseUtcMinute(const std::string& text, std::time_t& out);
std::string formatUtcMinute(std::time_t t);
std::string formatUtcSecond(std::time_t t);
