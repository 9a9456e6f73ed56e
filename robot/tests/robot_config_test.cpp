// The robot's config file: what it accepts, and that a mistake names its line.
#include <gtest/gtest.h>

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

TEST(RobotConfigFile, MistakesNameTheirLine)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"data = /d\nport = 0\n", "robot.ini:2: bad value for port"},
        {"data = /d\nport = 80x\n", "robot.ini:2: bad value for port"},
        {"data = /d\n\ndeadline = 2026-13-01 00:00\n", "robot.ini:3: bad value for deadline"},
        {"data = /d\ndeadline = tomorrow\n", "robot.ini:2: bad value for deadline"},
        {"data = /d\nsecure_cookies = maybe\n", "robot.ini:2: bad value for secure_cookies"},
        {"data = /d\nupload_limit_bytes = 12\n", "robot.ini:2: bad value for upload_limit_bytes"},
        {"data = /d\nrequest_deadline_seconds = 0\n", "robot.ini:2: bad value for request_deadline_seconds"},
        {"data = /d\ncolour = blue\n", "robot.ini:2: unknown key colour"},
        {"data /d\n", "robot.ini:1: expected key = value"},
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

}  // namespace
