// The settings reader and writer on any file: reads never fail and come back
// cut to 99 characters; a write of a plain key and one-line value reads back
// as written and leaves every other key as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>

#include "contest/profile_file.h"
#include "contest/text.h"
#include "contest/memory_file_system.h"

namespace {

constexpr char kPath[] = "ZEMRIX.ini";

void check(bool holds)
{
    if (!holds)
        std::abort();
}

bool hasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// Keys reach the settings as C strings.
std::string keyText(const std::string& bytes) { return bytes.c_str(); }

std::string upperAscii(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return text;
}

// A key the file format can hold: no '=', no line break, not a section line,
// not blank at either end.
bool isPlainKey(const std::string& key)
{
    return !key.empty() && key.find_first_of("=\r\n") == std::string::npos && key.front() != '[' &&
           trimmed(key) == key;
}

// A value that reads back as written: one line, not wrapped in quotes.
bool isPlainValue(const std::string& value)
{
    const std::string text = trimmed(value);
    return !hasLineBreak(value) && value.find('\0') == std::string::npos &&
           !(text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string key = keyText(input.ConsumeRandomLengthString(24));
    const std::string otherKey = keyText(input.ConsumeRandomLengthString(24));
    const std::string value = input.ConsumeRandomLengthString(160);
    MemoryFileSystem files;
    files.files[kPath] = input.ConsumeRemainingBytesAsString();

    ProfileFile settings(files, kPath, "Settings");
    for (const std::string* name : {&key, &otherKey})
        check(settings.read(name->c_str(), value.c_str()).size() <= kSettingsValueMax);
    const std::string otherBefore = settings.read(otherKey.c_str(), "default");

    settings.write(key.c_str(), value);
    if (!isPlainKey(key) || !isPlainValue(value))
        return 0;
    std::string expected = trimmed(value);
    expected.resize(std::min(expected.size(), kSettingsValueMax));
    check(settings.read(key.c_str(), "default") == expected);
    if (upperAscii(key) != upperAscii(otherKey))
        check(settings.read(otherKey.c_str(), "default") == otherBefore);
    return 0;
}
