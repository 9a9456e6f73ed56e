#include "robot/robot_config.h"

#include <cctype>
#include <vector>

#include "base/key_value_lines.h"
#include "base/whole_file.h"

namespace {

bool parseCount(const std::string& text, long long low, long long high, long long& out)
{
    if (text.empty() || text.size() > 12)
        return false;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high)
        return false;
    out = value;
    return true;
}

bool parseYesNo(const std::string& text, bool& out)
{
    if (text == "yes") {
        out = true;
        return true;
    }
    if (text == "no") {
        out = false;
        return true;
    }
    return false;
}

// Applies one setting; false when the value does not parse, with `problem`
// saying why when "bad value" would not be enough to find the mistake.
bool applySetting(RobotConfig& config, const std::string& key, const std::string& value, std::string& problem)
{
    long long number = 0;
    if (key == "listen") {
        config.listenAddress = value;
        return !value.empty();
    }
    if (key == "port") {
        if (!parseCount(value, 1, 65535, number))
            return false;
        config.port = static_cast<int>(number);
        return true;
    }
    if (key == "data") {
        config.dataDir = value;
        return !value.empty();
    }
    if (key == "contest") {
        config.contestName = value;
        return !value.empty();
    }
    if (key == "deadline") {
        if (value.empty() || parseUtcMinute(value, config.deadline))
            return true;
        problem = "deadline \"" + value + "\" is not a UTC date and time written YYYY-MM-DD HH:MM";
        return false;
    }
    if (key == "organiser_password_hash") {
        config.passwordHash = value;
        return true;
    }
    if (key == "upload_limit_bytes") {
        if (!parseCount(value, 1024, 1LL << 30, number))
            return false;
        config.uploadLimit = static_cast<std::size_t>(number);
        return true;
    }
    if (key == "checker_config") {
        config.checkerConfig = value;
        return true;
    }
    if (key == "country_file") {
        config.countryFile = value;
        return !value.empty();
    }
    if (key == "proxy") {
        config.proxyAddress = value;
        return true;
    }
    if (key == "secure_cookies")
        return parseYesNo(value, config.secureCookies);
    if (key == "read_timeout_seconds") {
        if (!parseCount(value, 1, 600, number))
            return false;
        config.readTimeoutSeconds = static_cast<int>(number);
        return true;
    }
    if (key == "request_deadline_seconds") {
        if (!parseCount(value, 1, 3600, number))
            return false;
        config.requestDeadlineSeconds = static_cast<int>(number);
        return true;
    }
    if (key == "log_file") {
        config.logFile = value;
        return true;
    }
    problem = "unknown key " + key;
    return false;
}

}  // namespace

bool parseUtcMinute(const std::string& text, std::time_t& out)
{
    // Exactly "YYYY-MM-DD HH:MM": a two-digit year, a stray letter or a
    // second time are mistakes to report, not something to guess around.
    static const char kShape[] = "dddd-dd-dd dd:dd";
    if (text.size() != sizeof kShape - 1)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (kShape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != kShape[i])
            return false;
    std::tm tm{};
    tm.tm_year = std::stoi(text.substr(0, 4)) - 1900;
    tm.tm_mon = std::stoi(text.substr(5, 2)) - 1;
    tm.tm_mday = std::stoi(text.substr(8, 2));
    tm.tm_hour = std::stoi(text.substr(11, 2));
    tm.tm_min = std::stoi(text.substr(14, 2));
    const std::tm written = tm;
    const std::time_t t = timegm(&tm);
    // timegm carries 31 February into March and 24:00 into the next day;
    // a date that comes back changed did not exist.
    if (t == -1 || tm.tm_year != written.tm_year || tm.tm_mon != written.tm_mon || tm.tm_mday != written.tm_mday ||
        tm.tm_hour != written.tm_hour || tm.tm_min != written.tm_min)
        return false;
    out = t;
    return true;
}

namespace {
std::string formatUtc(std::time_t t, const char* format)
{
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, format, &tm);
    return text;
}
}  // namespace

std::string formatUtcMinute(std::time_t t)
{
    return formatUtc(t, "%Y-%m-%d %H:%M");
}
std::string formatUtcSecond(std::time_t t)
{
    return formatUtc(t, "%Y-%m-%d %H:%M:%S");
}

RobotConfig parseRobotConfig(const std::string& text, const std::string& fileName)
{
    RobotConfig config;
    forEachKeyValueLine<RobotConfigError>(text, fileName, [&config](const KeyValueLine& setting) {
        std::string problem;
        if (!applySetting(config, setting.key, setting.value, problem))
            throw RobotConfigError(setting.place + ": " + (problem.empty() ? "bad value for " + setting.key : problem));
    });
    if (config.dataDir.empty())
        throw RobotConfigError(fileName + ": no data folder (data = ...)");
    return config;
}

RobotConfig readRobotConfigFile(const std::string& path)
{
    return parseRobotConfig(readWholeFile(path), path);
}
