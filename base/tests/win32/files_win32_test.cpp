// Replay's writes through the system's wide calls: the bytes land whole
// under a Cyrillic name, and a refusal comes back as what an operator can
// put right (a folder, a read-only file) or in the system's words.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/files_win32.h"
#include "base/text_win32.h"

namespace {

const std::string kFolder = "files-win32-scratch";

std::string freshFolder()
{
    std::filesystem::remove_all(pathOf(kFolder));
    std::filesystem::create_directories(pathOf(kFolder));
    return kFolder;
}

TEST(FilesWin32, WritesTheWholeFileUnderAnyName)
{
    const std::string file = freshFolder() + "\\Отчёт RK3DZB.html";
    const std::string bytes = std::string("line\r\n\0end", 11);
    ASSERT_EQ(writeWholeFileWin32(file, "a longer text first"), std::nullopt);
    ASSERT_EQ(writeWholeFileWin32(file, bytes), std::nullopt);
    EXPECT_TRUE(fileExists(file));
    EXPECT_EQ(std::filesystem::file_size(pathOf(file)), bytes.size()) << "the longer text is gone";
}

TEST(FilesWin32, SaysWhyAFileCannotBeWritten)
{
    const std::string folder = freshFolder();
    const std::string readOnly = folder + "\\kept.txt";
    ASSERT_EQ(writeWholeFileWin32(readOnly, "kept"), std::nullopt);
    ::SetFileAttributesW(wide(readOnly).c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(writeWholeFileWin32(folder, "x")->kind, WriteFailure::Folder);
    EXPECT_EQ(writeWholeFileWin32(readOnly, "lost")->kind, WriteFailure::ReadOnly);
    const auto missing = writeWholeFileWin32(folder + "\\no\\a.txt", "x");
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->kind, WriteFailure::System);
    EXPECT_FALSE(missing->systemReason.empty());
    EXPECT_FALSE(fileExists(folder + "\\no\\a.txt"));

    ::SetFileAttributesW(wide(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(std::filesystem::file_size(pathOf(readOnly)), 4u) << "the read-only file kept its bytes";
}

}  // namespace
