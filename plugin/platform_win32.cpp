#include "plugin/platform_win32.h"

#include <windows.h>

#include <cstdint>

#include "cabrillo/header_dialog_win32.h"
#include "cabrillo/host_version_win32.h"
#include "ui/windows_win32.h"

// Read from the system clock directly: the C library's time() also looks up
// the time zone, which under Wine costs more than all the rest of a call
// check.
std::time_t Win32Platform::currentTime() const
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const uint64_t ticks = uint64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime;  // 100 ns since 1601
    constexpr uint64_t kTicksPerSecond = 10000000, kTicksBefore1970 = 116444736000000000;
    return static_cast<std::time_t>((ticks - kTicksBefore1970) / kTicksPerSecond);
}

void Win32Platform::showOutput(const std::string& message)
{
    ::MessageBoxA(::GetActiveWindow(), message.c_str(), "Output", MB_OK | MB_ICONINFORMATION);
}

bool Win32Platform::editCabrilloHeader(CabrilloHeader& header)
{
    return runCabrilloHeaderDialog(header);
}

std::string Win32Platform::hostVersionText()
{
    return readHostVersionText();
}

bool Win32Platform::isModePanelOpen() const
{
    return ui::isModePanelOpen();
}

void Win32Platform::showModePanel()
{
    ui::showModePanel();
}

void Win32Platform::closeWindows()
{
    ui::closeWindows();
}

void Win32Platform::stopMultiplierRefresh()
{
    ui::stopMultiplierRefresh();
}

void Win32Platform::postponeMultiplierRefresh()
{
    ui::postponeMultiplierRefresh();
}
