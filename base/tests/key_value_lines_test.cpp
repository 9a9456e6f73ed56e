// Settings files as people write them: comments, blanks, Notepad's byte
// order mark and line ends, values holding "=", and the line a mistake is on.
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/key_value_lines.h"

namespace {

std::string settingsOf(const std::string& text)
{
    std::string seen;
    forEachKeyValueLine<std::runtime_error>(text, "a.ini", [&seen](const KeyValueLine& line) {
        seen += line.place + " [" + line.key + "]=[" + line.value + "]\n";
    });
    return seen;
}

TEST(KeyValueLines, ReadsEverySettingWithItsPlace)
{
    const struct {
        const char* text;
        const char* settings;
    } cases[] = {
        {"", ""},
        {"; only a comment\n\n   \n", ""},
        {"port = 8080", "a.ini:1 [port]=[8080]\n"},
        {"\xEF\xBB\xBFport=1\r\nlisten =  ::1 ; the loopback\r\n", "a.ini:1 [port]=[1]\na.ini:2 [listen]=[::1]\n"},
        {"\n\tstart = 2025-12-20 20:00\t\n", "a.ini:2 [start]=[2025-12-20 20:00]\n"},
        {"hash = a=b=c\nempty =\n", "a.ini:1 [hash]=[a=b=c]\na.ini:2 [empty]=[]\n"},
        {"key = value; comment = not a setting", "a.ini:1 [key]=[value]\n"},
        {"a = 1\na = 2\n", "a.ini:1 [a]=[1]\na.ini:2 [a]=[2]\n"},
        {"x = 1\n\xEF\xBB\xBFy = 2\n", "a.ini:1 [x]=[1]\na.ini:2 [\xEF\xBB\xBFy]=[2]\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settingsOf(c.text), c.settings) << c.text;
}

TEST(KeyValueLines, ALineWithoutEqualsIsNamedWithItsNumber)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"data /srv\n", "a.ini:1: \"data /srv\" is not key = value"},
        {"port = 1\n\n  start 2025-12-20 ; when\n", "a.ini:3: \"start 2025-12-20\" is not key = value"},
        {"\xEF\xBB\xBF"
         "word",
         "a.ini:1: \"word\" is not key = value"},
    };
    for (const auto& c : cases) {
        try {
            forEachKeyValueLine<std::invalid_argument>(c.text, "a.ini", [](const KeyValueLine&) {});
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST(KeyValueLines, SplitsOneSettingAsTheFileDoes)
{
    EXPECT_EQ(splitKeyValue(" nil_penalty = 2 "), std::make_pair(std::string("nil_penalty"), std::string("2")));
    EXPECT_EQ(splitKeyValue("nil_penalty"), std::nullopt);
}

}  // namespace
