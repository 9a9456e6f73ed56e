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
#include <windows.h>

#include "contest/file_system_win32.h"
#endif

namespace {

enum class Fault {
    DiskFullAtOnce,
    DiskFullMidLine,
    OpenRefused,
    ReplaceRefused,
    HeldSharingNothing,
    HeldThenDiskFullInPlace
};

struct FaultCase {
    Fault fault;
    const char* cause;
    bool replaceOnly;  // an append meets no such fault
};

const FaultCase kFaults[] = {
    {Fault::DiskFullAtOnce, FailingFileSystem::kDiskFull, false},
    {Fault::DiskFullMidLine, FailingFileSystem::kDiskFull, false},
    {Fault::OpenRefused, FailingFileSystem::kOpenRefused, false},
    {Fault::ReplaceRefused, FailingFileSystem::kReplaceRefused, true},
    {Fault::HeldSharingNothing, FailingFileSystem::kHeldOpen, true},
    {Fault::HeldThenDiskFullInPlace, FailingFileSystem::kDiskFull, true},
};

void inject(FailingFileSystem& files, Fault fault)
{
    switch (fault) {
    case Fault::DiskFullAtOnce: files.spaceLeft = 0; break;
    case Fault::DiskFullMidLine: files.spaceLeft = 7; break;
    case Fault::OpenRefused: files.refuseOpen = true; break;
    case Fault::ReplaceRefused: files.refuseReplace = true; break;
    case Fault::HeldSharingNothing:
        files.heldOpen = true;
        files.holderSharesNothing = true;
        break;
    case Fault::HeldThenDiskFullInPlace:
        files.heldOpen = true;
        files.firstWriteInPlaceFailsAfter = 7;
        break;
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

    // The operator confirms the header of a log for "FULL".
    static void confirmHeader(CCabrilloLog& cabrillo)
    {
        FakePlatform platform;
        platform.answerHeaderDialog = [](CabrilloHeader&) { return true; };
        std::mutex contest;
        std::unique_lock<std::mutex> entry(contest);
        ASSERT_TRUE(cabrillo.EditHeader("FULL", platform, entry));
    }

    ScratchDir dir;
    FileSystem& real = GetParam()();
};

TEST_P(FailingWrite, TheCabrilloFileOfTheLastGoodExportSurvivesAndTheMessageNamesTheCause)
{
    for (const FaultCase& c : kFaults) {
        CCabrilloLog cabrillo;
        confirmHeader(cabrillo);
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

// The new log goes to "<file>.tmp" first, whatever an earlier run left
// there; when a viewer holds the file open, sharing writing, it is written
// in place.  Either way the file holds the new log alone, and no temporary
// file is left.
TEST_P(FailingWrite, TheNewLogReplacesTheOldWholeWhateverWasThere)
{
    struct Case {
        const char* what;
        std::string staleTemporary;
        bool heldOpen;
    };
    const Case cases[] = {
        {"a longer stale temporary file", std::string(20000, 'x'), false},
        {"a shorter stale temporary file", "x", false},
        {"a viewer sharing writing", "", true},
        {"a viewer and a longer stale temporary file", std::string(20000, 'x'), true},
    };
    CCabrilloLog cabrillo;
    confirmHeader(cabrillo);
    for (const Case& c : cases) {
        for (int i = 0; i < 300; ++i)
            cabrillo.AddQsoLine("DL" + std::to_string(i), 7012, "PH", utc(2015, 6, 14, 14, 0), "59", "2", "59", "3");
        ASSERT_EQ(cabrillo.WriteLog(real, 1, "2.19"), "File produced: FULL.cbr");
        cabrillo.ClearQsoLines();
        cabrillo.AddQsoLine("K1ABC", 3512, "CW", utc(2015, 6, 14, 13, 5), "599", "001", "579", "12");
        auto expected = everyFile();
        expected.at("./FULL.cbr") = cabrillo.FileText(2, "2.19");
        if (!c.staleTemporary.empty())
            writeFileBytes("FULL.cbr.tmp", c.staleTemporary);
        FailingFileSystem files(real);
        files.heldOpen = c.heldOpen;
        EXPECT_EQ(cabrillo.WriteLog(files, 2, "2.19"), "File produced: FULL.cbr") << c.what;
        EXPECT_EQ(everyFile(), expected) << c.what;
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
        if (c.replaceOnly)
            continue;
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

// The error log over a run: lines that a failed write could not take are
// owed and written, in order, by the next write that succeeds, and a file
// deleted under the run comes back whole.  The log keeps three lines here:
// exactly three owed fit and a fourth is lost, and of the lines written
// only the latest are kept for a deleted file.  "H" is the header line, a
// letter a rejection line.
TEST_P(FailingWrite, NoErrorLogLineIsLostToAFailedWriteOrADeletedFile)
{
    struct Step {
        enum Op { Restart, Line, Accepted, Deleted, Fail, Heal } op;
        char line = 0;
        Fault fault = Fault::DiskFullAtOnce;
    };
    const auto line = [](char letter) { return Step{Step::Line, letter}; };
    const auto fail = [](Fault fault) { return Step{Step::Fail, 0, fault}; };
    const Step restart{Step::Restart}, accepted{Step::Accepted}, deleted{Step::Deleted}, heal{Step::Heal};
    struct Case {
        const char* what;
        std::vector<Step> steps;
        const char* expected;
    };
    const Case cases[] = {
        {"deleted, then an accepted QSO and a line", {restart, line('A'), deleted, accepted, line('B')}, "HAB"},
        {"deleted while a viewer holds it, gone once it lets go",
         {restart, line('A'), fail(Fault::OpenRefused), line('B'), heal, deleted, line('C')},
         "HABC"},
        {"the disk full mid-line, then room again",
         {restart, line('A'), fail(Fault::DiskFullMidLine), line('B'), heal, line('C')},
         "HABC"},
        {"an accepted QSO writes what is owed",
         {restart, fail(Fault::DiskFullAtOnce), line('A'), line('B'), heal, accepted},
         "HAB"},
        {"exactly the bound owed, and one past it",
         {restart, fail(Fault::DiskFullAtOnce), line('A'), line('B'), line('C'), line('D'), heal, line('E')},
         "HABCE"},
        {"deleted past the bound: the latest lines come back",
         {restart, line('A'), line('B'), line('C'), line('D'), deleted, line('E')},
         "HBCDE"},
        {"a failed restart starts the file afresh at the next write",
         {restart, line('A'), fail(Fault::OpenRefused), restart, line('B'), heal, line('C')},
         "HBC"},
        {"a restart forgets the run before",
         {restart, line('A'), fail(Fault::OpenRefused), line('B'), heal, restart, line('C'), deleted, line('D')},
         "HCD"},
        {"never restarted: no header, nothing brought back", {line('A'), deleted, line('B')}, "B"},
    };
    const std::string header = "ZEMRIX TEST UBN file ";
    const auto lineText = [](char letter) {
        return "QSO:  3512  CW  2015-06-14 1305  OWN  599  001  " + std::string(1, letter) +
               "  579  12   NO TEST MODE !!!";
    };
    for (const Case& c : cases) {
        real.remove("err.txt");
        FailingFileSystem files(real);
        const ErrorLog errors(files, "err.txt", 3 * (lineText('A').size() + 2));
        for (const Step& step : c.steps) {
            switch (step.op) {
            case Step::Restart: errors.restart(header); break;
            case Step::Line: errors.append({lineText(step.line)}); break;
            case Step::Accepted: errors.append({}); break;
            case Step::Deleted: real.remove("err.txt"); break;
            case Step::Fail: inject(files, step.fault); break;
            case Step::Heal: files.heal(); break;
            }
        }
        std::string expected;
        for (const char* letter = c.expected; *letter; ++letter)
            expected += (*letter == 'H' ? header : lineText(*letter)) + "\r\n";
        EXPECT_EQ(everyFile(), (std::map<std::string, std::string>{{"./err.txt", expected}})) << c.what;
    }
}

#ifndef _WIN32
// The operator reads the cause of a failed export: it must be the real one,
// however far into the write the failure came.
TEST(PortableFiles, AFailedWriteNamesItsRealCause)
{
    struct Case {
        const char* what;
        std::function<FileStatus(FileSystem&)> attempt;
        const char* cause;
    };
    const std::string bytes(100, 'x');
    const Case cases[] = {
        {"write to a full disk", [&](FileSystem& f) { return f.write("/dev/full", bytes); }, "No space left on device"},
        {"append to a full disk", [&](FileSystem& f) { return f.append("/dev/full", bytes); }, "No space left on device"},
        {"write into no folder", [&](FileSystem& f) { return f.write("none/FULL.cbr", bytes); },
         "No such file or directory"},
        {"replace from no file", [&](FileSystem& f) { return f.replace("none.tmp", "FULL.cbr"); },
         "No such file or directory"},
    };
    ScratchDir dir;
    for (const Case& c : cases)
        EXPECT_EQ(c.attempt(portableFileSystem()).failure, c.cause) << c.what;
}
#endif

#ifdef _WIN32
// A whole file reaches the disk before it replaces the old one, so a flush
// that fails (the disk filled as the cache was written back) fails the
// export and keeps the old log.  An append to err.txt waits for no disk.
TEST(Win32Files, AWholeFileIsOnTheDiskBeforeItReplacesTheOld)
{
    ScratchDir dir;
    const auto files = win32FileSystemFlushingWith([](void*) {
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    });
    writeFileBytes("FULL.cbr", "old log");
    EXPECT_FALSE(replaceFileContents(*files, "FULL.cbr", "new log").ok());
    EXPECT_EQ(fileBytes("FULL.cbr"), "old log");
    EXPECT_TRUE(files->append("err.txt", "line\r\n").ok());
    EXPECT_EQ(fileBytes("err.txt"), "line\r\n");
}
#endif

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
