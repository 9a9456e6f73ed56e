// One suite for every way the plug-in reaches its settings file: natively it
// runs against our own reader and writer; under Wine against the platform's
// private-profile functions as well, which vouch for ours.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "contest/profile_file.h"
#include "support/scratch_dir.h"
#ifdef _WIN32
#include "contest/settings_win32.h"
#endif

namespace {

using SettingsFactory = std::function<std::unique_ptr<Settings>()>;

class SettingsFile : public ::testing::TestWithParam<SettingsFactory> {
protected:
    ScratchDir dir;
    std::unique_ptr<Settings> settings = GetParam()();
};

TEST_P(SettingsFile, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ(settings->read("Name"), "");
    EXPECT_EQ(settings->read("Operators", "K1ABC"), "K1ABC");
    EXPECT_EQ(settings->read("Operators", "K1ABC  "), "K1ABC");
    EXPECT_EQ(settings->readNumber("Start"), 0);
    writeFileBytes(kSettingsPath, "[Other]\r\nName=x\r\n");
    EXPECT_EQ(settings->read("Name", "d"), "d");
}

TEST_P(SettingsFile, AWriteCreatesTheFileAndSection)
{
    settings->write("Start", "1");
    EXPECT_EQ(fileBytes(kSettingsPath), "[Settings]\r\nStart=1\r\n");
    EXPECT_EQ(settings->readNumber("Start"), 1);
}

TEST_P(SettingsFile, WritesReplaceInPlaceAndAppendNewKeysToTheSection)
{
    writeFileBytes(kSettingsPath, "[Settings]\r\nStart=1\r\n[Other]\r\nA=x\r\n");
    settings->write("START", "0");
    settings->write("Name", "  Ivan  ");
    settings->write("Empty", "");
    EXPECT_EQ(fileBytes(kSettingsPath), "[Settings]\r\nStart=0\r\nName=Ivan\r\nEmpty=\r\n[Other]\r\nA=x\r\n");
    EXPECT_EQ(settings->read("empty", "default"), "");
}

TEST_P(SettingsFile, NamesMatchWithoutRegardToCaseAndValuesAreTrimmed)
{
    writeFileBytes(kSettingsPath, "[settings]\r\n  baud_X =  250  \r\nQuoted=\"a b\"\r\n");
    EXPECT_EQ(settings->read("BAUD_x"), "250");
    EXPECT_EQ(settings->readNumber("baud_x"), 250);
    EXPECT_EQ(settings->read("Quoted"), "a b");
}

TEST_P(SettingsFile, ValuesComeBackCutTo99Characters)
{
    const std::string longValue(150, 'x');
    settings->write("SoapBox", longValue);
    EXPECT_EQ(settings->read("SoapBox"), longValue.substr(0, 99));
    EXPECT_EQ(settings->read("Missing", longValue.c_str()), longValue.substr(0, 99));
}

TEST_P(SettingsFile, NumbersReadWithAtoiSemantics)
{
    const std::pair<const char*, int> cases[] = {
        {"42", 42}, {"  -17", -17}, {"+8", 8}, {"12abc", 12}, {"abc", 0}, {"", 0}, {"-", 0},
        {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
    };
    for (const auto& [text, number] : cases) {
        settings->write("dxcc_x", text);
        EXPECT_EQ(settings->readNumber("dxcc_x"), number) << text;
    }
}

TEST_P(SettingsFile, WithoutThePluginsFolderAWriteIsLostQuietly)
{
    std::filesystem::remove_all("Plugins");
    settings->write("Start", "1");
    EXPECT_FALSE(std::filesystem::exists("Plugins"));
    EXPECT_EQ(settings->readNumber("Start"), 0);
}

std::string implementationName(const ::testing::TestParamInfo<SettingsFactory>&) { return "File"; }

INSTANTIATE_TEST_SUITE_P(OwnReader, SettingsFile, ::testing::Values(SettingsFactory([] {
                             return std::unique_ptr<Settings>(new ProfileFile(portableFileSystem(), kSettingsPath, "Settings"));
                         })),
                         implementationName);
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(PlatformProfile, SettingsFile, ::testing::Values(SettingsFactory([] {
                             return std::unique_ptr<Settings>(new PrivateProfileSettings);
                         })),
                         implementationName);
#endif

}  // namespace
