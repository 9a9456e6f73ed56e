#include "contest/settings_win32.h"

#include <windows.h>

std::string PrivateProfileSettings::read(const char* key, const char* defaultValue) const
{
    // A buffer per read: the host's thread and the window thread read at once.
    char buffer[kSettingsValueMax + 1] = {};
    ::GetPrivateProfileStringA(kSettingsSection, key, defaultValue ? defaultValue : "", buffer, sizeof buffer,
                               kSettingsFile);
    return buffer;
}

void PrivateProfileSettings::write(const char* key, const std::string& value)
{
    ::WritePrivateProfileStringA(kSettingsSection, key, value.c_str(), kSettingsFile);
}
