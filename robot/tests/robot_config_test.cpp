// The robot's config file: what it accepts, and that a mistake names its line.
#include <gtest/gtest.h>

#include <cstdio>

#include "robot/robot_config.h"

namespace {

TEST(RobotConfigFile, ReadsEveryKey)
{
    const RobotConfig config = parseRobotConfig(
        "; the contest's robot\n"
        "data = /srv/robot   ; its folder\n"
        "listen = 0.0.0.0\r\nport = 9090\ncontest = ZEMRIX 2026\n"
        "deadline = 2026-12-21 20:00\n"
        "organiser_password_hash = $argon2id$v=19$m=65536,t=2,p=1$c2FsdA$aGFzaA\n"
        "upload_limit_bytes = 1048576\nchecker_config = /srv/contest.ini\ncountry_file = /srv/cty.dat\n"
        "secure_cookies = yes\nproxy = 127.0.0.1\nread_timeout_seconds = 30\n"
        "request_deadline_seconds = 90\nlog_file = /var/log/zemrix-robot.log\n",
        "robot.ini");
    EXPECT_EQ(config.dataDir, "/srv/robot");
    EXPECT_EQ(config.listenAddress, "0.0.0.0");
    EXPECT_EQ(config.port, 9090);
    EXPECT_EQ(config.contestName, "ZEMRIX 2026");
    EXPECT_EQ(formatUtcMinute(config.deadline), "2026-12-21 20:00");
    EXPECT_EQ(config.passwordHash, "$argon2id$v=19$m=65536,t=2,p=1$c2FsdA$aGFzaA");
    EXPECT_EQ(config.uploadLimit, 1048576u);
    EXPECT_EQ(config.checkerConfig, "/srv/contest.ini");
    EXPECT_EQ(config.countryFile, "/srv/cty.dat");
    EXPECT_TRUE(config.secureCookies);
    EXPECT_EQ(config.proxyAddress, "127.0.0.1");
    EXPECT_EQ(config.readTimeoutSeconds, 30);
    EXPECT_EQ(config.requestDeadlineSeconds, 90);
    EXPECT_EQ(config.logFile, "/var/log/zemrix-robot.log");
}

// The lowest and highest value of every bounded key is taken.
TEST(RobotConfigFile, TakesTheEdgesOfEveryRange)
{
    const struct {
        const char* line;
        long long (*read)(const RobotConfig&);
        long long expected;
    } cases[] = {
        {"port = 1", [](const RobotConfig& c) -> long long { return c.port; }, 1},
        {"port = 65535", [](const RobotConfig& c) -> long long { return c.port; }, 65535},
        {"read_timeout_seconds = 1", [](const RobotConfig& c) -> long long { return c.readTimeoutSeconds; }, 1},
        {"read_timeout_seconds = 600", [](const RobotConfig& c) -> long long { return c.readTimeoutSeconds; }, 600},
        {"upload_limit_bytes = 1024", [](const RobotConfig& c) -> long long { return c.uploadLimit; }, 1024},
        {"upload_limit_bytes = 1073741824", [](const RobotConfig& c) -> long long { return c.uploadLimit; }, 1LL << 30},
        {"deadline = 2028-02-29 23:59", [](const RobotConfig& c) -> long long { return c.deadline; }, 1835481540},
        {"deadline = 1970-01-01 00:00", [](const RobotConfig& c) -> long long { return c.deadline; }, 0},
    };
    for (const auto& c : cases) {
        try {
            EXPECT_EQ(c.read(parseRobotConfig(std::string("data = /d\n") + c.line + "\n", "robot.ini")), c.expected)
                << c.line;
        } catch (const RobotConfigError& error) {
            ADD_FAILURE() << c.line << ": " << error.what();
        }
    }
}

// Against a model of the calendar: every day number of every month of
// years around leap-year rules parses exactly when the day exists, and
// reads back as written.
TEST(RobotConfigFile, DeadlineParsesExactlyTheDaysThatExist)
{
    for (int year : {1999, 2000, 2024, 2026, 2100}) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int monthDays[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (int month = 0; month <= 13; ++month)
            for (int day = 0; day <= 32; ++day) {
                char text[32];
                std::snprintf(text, sizeof text, "%04d-%02d-%02d 23:59", year, month, day);
                const bool exists = month >= 1 && month <= 12 && day >= 1 && day <= monthDays[month - 1];
                std::time_t parsed = 0;
                EXPECT_EQ(parseUtcMinute(text, parsed), exists) << text;
                if (exists)
                    EXPECT_EQ(formatUtcMinute(parsed), text);
            }
    }
}

TEST(RobotConfigFile, MistakesNameTheirLine)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"data = /d\nport = 0\n", "robot.ini:2: bad value for port"},
        {"data = /d\nport = 80x\n", "robot.ini:2: bad value for port"},
        {"data = /d\nport = 65536\n", "robot.ini:2: bad value for port"},
        {"data = /d\nread_timeout_seconds = 0\n", "robot.ini:2: bad value for read_timeout_seconds"},
        {"data = /d\nread_timeout_seconds = 601\n", "robot.ini:2: bad value for read_timeout_seconds"},
        {"data = /d\nupload_limit_bytes = 1023\n", "robot.ini:2: bad value for upload_limit_bytes"},
        {"data = /d\n\ndeadline = 2026-13-01 00:00\n",
         "robot.ini:3: deadline \"2026-13-01 00:00\" is not a UTC date and time written YYYY-MM-DD HH:MM"},
        {"data = /d\ndeadline = tomorrow\n",
         "robot.ini:2: deadline \"tomorrow\" is not a UTC date and time written YYYY-MM-DD HH:MM"},
        {"data = /d\ndeadline = 2027-02-31 23:59\n",
         "robot.ini:2: deadline \"2027-02-31 23:59\" is not a UTC date and time written YYYY-MM-DD HH:MM"},
        {"data = /d\ndeadline = 27-12-28 23:59\n",
         "robot.ini:2: deadline \"27-12-28 23:59\" is not a UTC date and time written YYYY-MM-DD HH:MM"},
        {"data = /d\ndeadline = 2026-12-21 20:00x\n",
         "robot.ini:2: deadline \"2026-12-21 20:00x\" is not a UTC date and time written YYYY-MM-DD HH:MM"},
        {"data = /d\ndeadline = 2026-12-21 24:00\n",
         "robot.ini:2: deadline \"2026-12-21 24:00\" is not a UTC date and time written YYYY-MM-DD HH:MM"},
        {"data = /d\ndeadline = 2026-12-21 23:60\n",
         "robot.ini:2: deadline \"2026-12-21 23:60\" is not a UTC date and time written YYYY-MM-DD HH:MM"},
        {"data = /d\ndeadline = 2026-12-21 20:00:00\n",
         "robot.ini:2: deadline \"2026-12-21 20:00:00\" is not a UTC date and time written YYYY-MM-DD HH:MM"},
        {"data = /d\ndeadline = 2026-12-21 -1:00\n",
         "robot.ini:2: deadline \"2026-12-21 -1:00\" is not a UTC date and time written YYYY-MM-DD HH:MM"},
        {"data = /d\nsecure_cookies = maybe\n", "robot.ini:2: bad value for secure_cookies"},
        {"data = /d\nupload_limit_bytes = 12\n", "robot.ini:2: bad value for upload_limit_bytes"},
        {"data = /d\nrequest_deadline_seconds = 0\n", "robot.ini:2: bad value for request_deadline_seconds"},
        {"data = /d\ncolour = blue\n", "robot.ini:2: unknown key colour"},
        {"data /d\n", "robot.ini:1: \"data /d\" is not key = value"},
        {"port = 8080\n", "robot.ini: no data folder (data = ...)"},
    };
    for (const auto& c : cases) {
        try {
            parseRobotConfig(c.text, "robot.ini");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const RobotConfigError& error) {
            EXPECT_STREQ(error.what(), c.message) << c.text;
        }
    }
}

// Notepad starts a UTF-8 file with a byte order mark: the first key is
// read all the same; a missing file is said in the programs' one form.
TEST(RobotConfigFile, ReadsAFileNotepadSaved)
{
    EXPECT_EQ(parseRobotConfig("\xEF\xBB\xBF" "data = /srv/robot\r\nport = 9090\r\n", "robot.ini").dataDir, "/srv/robot");
    try {
        readRobotConfigFile("/nonexistent/robot.ini");
        ADD_FAILURE() << "a missing file was read";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "cannot read /nonexistent/robot.ini: No such file or directory");
    }
}

}  // namespace
