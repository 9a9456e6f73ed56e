// The programs' text at the Windows boundary: UTF-8 inside, UTF-16 for the
// system's wide calls, and the system's own words for an error code.
#pragma once

#include <windows.h>

#include <string>

std::string utf8(const std::wstring& text);
std::wstring wide(const std::string& utf8Text);

// The system's text for `code`, in the system's language and in `codePage`,
// without the line break and full stop it ends with; "error N" when the
// system has no text for it.
std::string systemMessage(DWORD code, UINT codePage = CP_UTF8);
