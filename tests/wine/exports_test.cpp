// Stats.dll as the host finds it: the export table under both kinds of
// names, its imports and version resource, and the small entry points.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "dialog_answerer.h"
#include "scratch_host.h"

namespace {

template <typename T>
const T* at(HMODULE module, DWORD rva)
{
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

const IMAGE_DATA_DIRECTORY& dataDirectory(HMODULE module, int index)
{
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    return at<IMAGE_NT_HEADERS32>(module, dos->e_lfanew)->OptionalHeader.DataDirectory[index];
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

using ExportsTest = DllTest;

TEST_F(ExportsTest, EveryRowAnswersUnderBothNamesWithOneBody)
{
    const std::pair<const char*, const char*> rows[] = {
        {"AddData0", "?AddData0@@YAHPBD0PAVCOleDateTime@ATL@@111II000000000000000HHHNN00000@Z"},
        {"RemoveData0", "?RemoveData0@@YAHPBD0PAVCOleDateTime@ATL@@111II000000000000000HHHNN00000@Z"},
        {"CheckCall0", "?CheckCallFunc0@@YAHPBDII00000000000HHHNN0000000PAD1@Z"},
        {"GetResult0", "?GetResult0@@YAPBDPAH@Z"},
        {"ResetStats0", "?ResetStats0@@YAHPBDH0PAVCOleDateTime@ATL@@10000000000HHHNN000@Z"},
        {"SetupSet0", "?SetupSet0@@YAXXZ"},
        {"GetSetName", "?GetSetName@@YAPBDH@Z"},
        {"GetNumberOfSets", "?GetNumberOfSets@@YAHXZ"},
        {"GetExchgCount0", "?StatsGetExchgCount0@@YAHPBD00@Z"},
        {"IsValidExchg0", "?StatsIsValidExchg0@@YAHPBD000HHH@Z"},
    };
    for (const auto& [plain, decorated] : rows) {
        ASSERT_NE(dll->entry(plain), nullptr) << plain;
        EXPECT_EQ(dll->entry(plain), dll->entry(decorated)) << decorated;
    }
    EXPECT_EQ(dll->entry("GetNumberOfSets"), dll->entry("GetExchgCount0"));
    EXPECT_NE(dll->entry("?RunCommand0@@YAPBDHPBD@Z"), nullptr);
    EXPECT_EQ(dll->entry("RunCommand0"), nullptr);
}

TEST_F(ExportsTest, NamesItselfStatsAndImportsOnlySystemLibraries)
{
    const HMODULE module = dll->module();
    const auto& exports = dataDirectory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    EXPECT_STREQ(at<char>(module, at<IMAGE_EXPORT_DIRECTORY>(module, exports.VirtualAddress)->Name), "Stats.dll");

    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll",   "ole32.dll",  "oleaut32.dll",
                                          "version.dll",  "msvcrt.dll", "advapi32.dll", "comctl32.dll", "imm32.dll"};
    const auto& imports = dataDirectory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    std::vector<std::string> names;
    for (auto* d = at<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress); d->Name; ++d)
        names.push_back(lower(at<char>(module, d->Name)));
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names)
        EXPECT_TRUE(system.count(name)) << name << " is not a system library";
}

TEST_F(ExportsTest, CarriesAVersionResource)
{
    const std::string path = statsDllPath();
    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeA(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, info.size(), info.data()));
    char* product = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\ProductName",
                                 reinterpret_cast<void**>(&product), &length));
    EXPECT_NE(std::string(product).find("ZEMRIX"), std::string::npos);
}

TEST_F(ExportsTest, SetNamesAndCounts)
{
    EXPECT_STREQ(dll->GetSetName(0), "ZEMRIX (C)");
    EXPECT_STREQ(dll->GetSetName(1), "");
    EXPECT_STREQ(dll->GetSetName(-1), "");
    EXPECT_EQ(dll->GetNumberOfSets(), 1);
    EXPECT_EQ(dll->GetExchgCount0("a", nullptr, "c"), 1);
}

TEST_F(ExportsTest, AnExchangeIsExactlyTwoDigits)
{
    for (const char* good : {"00", "05", "59", "99"})
        EXPECT_EQ(dll->IsValidExchg0(good, "x", nullptr, "", 1, 2, 3), 1) << good;
    for (const char* bad : std::initializer_list<const char*>{"599", "9", "5", "123", "1 ", "A1", "5A", "", "\xB9\xB2", nullptr})
        EXPECT_EQ(dll->IsValidExchg0(bad, nullptr, nullptr, nullptr, 0, 0, 0), 0) << (bad ? bad : "(null)");
}

TEST_F(ExportsTest, RunCommandAlwaysAnswersTheSameEmptyText)
{
    const char* first = dll->RunCommand0(0, "showinfo");
    EXPECT_STREQ(first, "");
    for (const char* command : {"HIDEINFO", "anything", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(dll->RunCommand0(7, command), first);
}

TEST_F(ExportsTest, SetupShowsItsNoticeWithOneOkButton)
{
    MessageBoxRecord box;
    {
        DialogAnswerer answerer(pressOk(box));
        dll->SetupSet0();
        EXPECT_TRUE(answerer.answered());
    }
    EXPECT_EQ(box.text, "No additional setup for this contest");
    EXPECT_FALSE(box.hasCancel);
}

}  // namespace
