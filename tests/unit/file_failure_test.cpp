// Files that fail half way: whatever step of a write fails (the disk fills
// up, the file is locked, the replace is refused), the file that was there
// stays whole, nothing is left of the attempt, and only the Cabrillo export,
// which has an operator to tell, reports the real cause.  Natively over the
// portable files; under Wine over the Win32 ones too.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

#include "cabrillo/cabrillo_log.h"
#include "contest/profile_file.h"
#include "rules/error_log.h"
#include "support/failing_file_system.h"
#include "support/fake_platform.h"
#include "support/qso_builder.h"
#include "support/scratch_dir.h"
#ifdef _WIN32
#include "contest/file_system_win32.h"
#endif

namespace {

enum class Fault { DiskFullAtOnce, DiskFullMidLine, OpenRefused, ReplaceRefused };

struct FaultCase {
    Fault fault;
    const char* cause;
};

const FaultCase kFaults[] = {
    {Fault::DiskFullAtOnce, FailingFileSystem::kDiskFull},
    {Fault::DiskFullMidLine, FailingFileSystem::kDiskFull},
    {Fault::OpenRefused, FailingFileSystem::kOpenRefused},
    {Fault::ReplaceRefused, FailingFileSystem::kReplaceRefused},
};

void inject(FailingFileSystem& files, Fault fault)
{
    switch (fault) {
    case Fault::DiskFullAtOnce: files.spaceLeft = 0; break;
    case Fault::DiskFullMidLine: files.spaceLeft = 7; break;
    case Fault::OpenRefused: files.refuseOpen = true; break;
    case Fault::ReplaceRefused: files.refuseReplace = true; break;
    }
}

using RealFiles = std::function<FileSystem&()>;

class FailingWrite : public ::testing::TestWithParam<RealFiles> {
protected:
    // Every file in the working directory and its bytes.
    std::map<std::string, std::string> everyFile() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator("."))
            if (entry.is_regular_file())
                files[entry.path().generic_string()] = fileBytes(entry.path().string());
        return files;
    }

    ScratchDir dir;
    FileSystem& real = GetParam()();
};

TEST_P(FailingWrite, TheCabrilloFileOfTheLastGoodExportSurvivesAndTheMessageNamesTheCause)
{
    for (const FaultCase& c : kFaults) {
        FakePlatform platform;
        platform.answerHeaderDialog = [](CabrilloHeader&) { return true; };
        CCabrilloLog cabrillo;
        std::mutex contest;
        std::unique_lock<std::mutex> entry(contest);
        ASSERT_TRUE(cabrillo.EditHeader("FULL", platform, entry));
        cabrillo.AddQsoLine("K1ABC", 3512, "CW", utc(2015, 6, 14, 13, 5), "599", "001", "579", "12");
        ASSERT_EQ(cabrillo.WriteLog(real, 1, "2.19"), "File produced: FULL.cbr");
        const auto before = everyFile();

        for (int i = 0; i < 1500; ++i)
            cabrillo.AddQsoLine("DL" + std::to_string(i), 7012, "PH", utc(2015, 6, 14, 14, 0), "59", "2", "59", "3");
        FailingFileSystem files(real);
        inject(files, c.fault);
        EXPECT_EQ(cabrillo.WriteLog(files, 1500, "2.19"), std::string("File not produced: FULL.cbr (") + c.cause + ")");
        EXPECT_EQ(everyFile(), before) << c.cause;
    }
}

TEST_P(FailingWrite, TheSettingsFileKeepsEveryKeyWhenAWriteFails)
{
    ProfileFile good(real, kSettingsPath, "Settings");
    good.write("Name", "Ivan Petrov");
    good.write("Claimed", "39");
    const auto before = everyFile();
    for (const FaultCase& c : kFaults) {
        FailingFileSystem files(real);
        ProfileFile failing(files, kSettingsPath, "Settings");
        inject(files, c.fault);
        failing.write("SoapBox", std::string(500, 's'));
        EXPECT_EQ(everyFile(), before) << c.cause;
        EXPECT_EQ(failing.read("Name"), "Ivan Petrov") << c.cause;
    }
}

TEST_P(FailingWrite, AFailedRestartOfTheErrorLogLeavesTheOldOneWhole)
{
    ErrorLog(real).restart("ZEMRIX TEST UBN file ");
    ErrorLog(real).append({"QSO:  3512  CW  earlier line   DUPE !!!"});
    const auto before = everyFile();
    for (const FaultCase& c : kFaults) {
        FailingFileSystem files(real);
        inject(files, c.fault);
        ErrorLog(files).restart("ZEMRIX TEST UBN file ");
        EXPECT_EQ(everyFile(), before) << c.cause;
    }
}

// A line cut off by a full disk would glue itself to the next one written.
TEST_P(FailingWrite, AFailedAppendToTheErrorLogLeavesOnlyWholeLines)
{
    const std::string header = "ZEMRIX TEST UBN file \r\n";
    const std::string line = "QSO:  3512  CW  2015-06-14 1305  OWN  599  001  DX  579  12   DUPE !!!";
    for (const FaultCase& c : kFaults) {
        if (c.fault == Fault::ReplaceRefused)
            continue;  // an append replaces nothing
        std::filesystem::remove("err.txt");
        for (bool exists : {false, true}) {
            if (exists)
                ErrorLog(real).restart("ZEMRIX TEST UBN file ");
            FailingFileSystem files(real);
            inject(files, c.fault);
            ErrorLog(files).append({line, line});
            EXPECT_EQ(fileBytes("err.txt"), exists ? header : "") << c.cause;
            EXPECT_EQ(std::filesystem::exists("err.txt"), exists) << c.cause;
            ErrorLog(real).append({line});
            EXPECT_EQ(fileBytes("err.txt"), (exists ? header : "") + line + "\r\n") << c.cause;
        }
    }
}

std::string fileSystemName(const ::testing::TestParamInfo<RealFiles>& info)
{
    return info.index == 0 ? "Portable" : "Win32";
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Files, FailingWrite,
                         ::testing::Values(RealFiles(portableFileSystem), RealFiles(win32FileSystem)),
                         fileSystemName);
#else
INSTANTIATE_TEST_SUITE_P(Files, FailingWrite, ::testing::Values(RealFiles(portableFileSystem)), fileSystemName);
#endif

}  // namespace
