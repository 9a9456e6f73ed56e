// Text at the Windows boundary: UTF-8 and UTF-16 carry every character both
// ways, and the system's words for an error end as a sentence part would.
#include <gtest/gtest.h>

#include "base/text_win32.h"

namespace {

TEST(TextWin32, Utf8AndUtf16CarryEveryCharacterBothWays)
{
    for (const char* text : {"", "RK3DZB", "Журнал Иванова.log", "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x93\xBB radio"})
        EXPECT_EQ(utf8(wide(text)), text);
    EXPECT_EQ(wide("\xD0\xAF"), L"\u042F");
    EXPECT_EQ(wide("\xF0\x9F\x93\xBB").size(), 2u) << "a surrogate pair";
}

TEST(TextWin32, SystemWordsEndWithoutBreakOrFullStop)
{
    for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_DISK_FULL, ERROR_SHARING_VIOLATION}) {
        for (UINT codePage : {UINT(CP_UTF8), UINT(CP_ACP)}) {
            const std::string words = systemMessage(code, codePage);
            ASSERT_FALSE(words.empty()) << code;
            EXPECT_EQ(std::string(". \t\r\n").find(words.back()), std::string::npos) << words;
        }
    }
    EXPECT_EQ(systemMessage(0x2FFFFFFF), "error 805306367") << "a code the system has no words for";
}

}  // namespace
