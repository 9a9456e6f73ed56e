#include "cabrillo/host_version_win32.h"

#include <windows.h>

#include <vector>

#include "cabrillo/cabrillo_log.h"

namespace {

bool canOpen(const char* fileName)
{
    const HANDLE file = ::CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

}  // namespace

std::string readHostVersionText()
{
    const char* host = canOpen("Vexo2.exe") ? "Vexo2.exe" : "Vexo3.exe";
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(host, &ignored);
    if (size == 0)
        return {};
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::GetFileVersionInfoA(host, 0, size, info.data()) ||
        !::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return {};
    return hostVersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}
