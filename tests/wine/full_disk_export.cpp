// The Cabrillo export on a disk that fills up: a first export writes a good
// file, a second one that does not fit reports the disk as the cause and
// leaves the first file as it was.  Run by full_disk_test.sh in a folder on
// a 64 KB disk of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "dialog_answerer.h"
#include "stats_dll.h"
#include "support/scratch_dir.h"

namespace {

std::string systemText(DWORD code)
{
    char text[256] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                     nullptr);
    return text;
}

void log(const StatsDll& dll, int first, int count)
{
    for (int i = first; i < first + count; ++i) {
        QsoCall qso;
        qso.worked = "DL" + std::to_string(i);
        qso.time = {oleDateFromCivilTime({2015, 6, 14, 12 + i % 12, i % 60, 0}), OleDateTime::Valid};
        dll.addData(qso);
    }
}

std::string resultsOutputBox(const StatsDll& dll)
{
    MessageBoxRecord box;
    {
        DialogAnswerer answerer(pressOk(box));
        dll.result();
    }
    return box.text;
}

TEST(FullDisk, AFailedExportKeepsTheLastCompleteFileAndNamesTheCause)
{
    StatsDll dll;
    {
        DialogAnswerer answerer([](HWND dialog) {
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
        });
        dll.reset(1, "FULL", OleDateTime{42169.0, OleDateTime::Valid}, OleDateTime{42170.0, OleDateTime::Valid}, "DL");
    }
    log(dll, 0, 20);
    ASSERT_EQ(resultsOutputBox(dll), "File produced: FULL.cbr");
    const std::string good = fileBytes("FULL.cbr");
    ASSERT_NE(good.find(" DL19 "), std::string::npos);
    ASSERT_EQ(good.substr(good.size() - 13), "END-OF-LOG:\r\n");

    log(dll, 20, 1500);
    const std::string message = resultsOutputBox(dll);
    const std::string prefix = "File not produced: FULL.cbr (";
    ASSERT_EQ(message.rfind(prefix, 0), 0u) << message;
    const std::string cause = message.substr(prefix.size(), message.size() - prefix.size() - 1);
    EXPECT_FALSE(cause.empty());
    EXPECT_TRUE(systemText(ERROR_DISK_FULL).rfind(cause, 0) == 0 || systemText(ERROR_HANDLE_DISK_FULL).rfind(cause, 0) == 0)
        << message;
    const std::string kept = fileBytes("FULL.cbr");
    EXPECT_EQ(kept.size(), good.size());
    EXPECT_TRUE(kept == good);
    EXPECT_FALSE(std::filesystem::exists("FULL.cbr.tmp"));
}

}  // namespace
