#include "base/text_win32.h"

namespace {

std::string narrow(const std::wstring& text, UINT codePage)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

bool endsASentence(char c)
{
    return c == '\n' || c == '\r' || c == ' ' || c == '\t' || c == '.';
}

}  // namespace

std::string utf8(const std::wstring& text)
{
    return narrow(text, CP_UTF8);
}

std::wstring wide(const std::string& utf8Text)
{
    if (utf8Text.empty())
        return {};
    const int length = static_cast<int>(utf8Text.size());
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), length, nullptr, 0);
    std::wstring units(size, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), length, units.data(), size);
    return units;
}

std::string systemMessage(DWORD code, UINT codePage)
{
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length ? narrow(std::wstring(text, length), codePage) : std::string();
    if (text)
        ::LocalFree(text);
    while (!message.empty() && endsASentence(message.back()))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}
