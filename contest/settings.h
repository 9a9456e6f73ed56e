// Keys of section "Settings" in "Plugins\ZEMRIX.ini", the plug-in's only
// persistent store.  The DLL reaches the file through the platform's
// private-profile functions; the portable build has ProfileFile, which
// answers the same way.
#pragma once

#include <string>

inline constexpr char kSettingsFile[] = "Plugins\\ZEMRIX.ini";
inline constexpr char kSettingsSection[] = "Settings";

// Values come back cut to this many characters, as through a 100-byte buffer.
inline constexpr std::size_t kSettingsValueMax = 99;

class Settings {
public:
    virtual ~Settings() = default;

    // The stored value, or the default when the file, section or key is
    // missing.  Safe to call from any thread: each read has its own buffer.
    virtual std::string read(const char* key, const char* defaultValue = "") const = 0;

    // Failures (no "Plugins" folder, a read-only file) are ignored, as the
    // plug-in has nowhere to report them.
    virtual void write(const char* key, const std::string& value) = 0;

    // atoi semantics: leading blanks, optional sign, digits up to the first
    // other character; a missing key or text without digits gives 0.
    int readNumber(const char* key) const;
    void writeNumber(const char* key, long value) { write(key, std::to_string(value)); }
};

int parseDecimal(const std::string& text);
