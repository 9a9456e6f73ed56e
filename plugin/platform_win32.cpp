#include "plugin/platform_win32.h"

#include <windows.h>

#include "cabrillo/header_dialog_win32.h"
#include "cabrillo/host_version_win32.h"
#include "ui/windows_win32.h"

std::time_t Win32Platform::currentTime() const
{
    return std::time(nullptr);
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
