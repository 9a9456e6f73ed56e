// A private-profile ("ini") file reader and writer of our own, for builds
// without the Windows profile functions.  It answers as they do: section and
// key names match without regard to case, values are trimmed and lose one
// pair of enclosing quotes, a missing key gives the default with its trailing
// blanks trimmed, and a write creates the file and the section as needed.
// A write replaces the whole file through a temporary one beside it, so a
// failure leaves the file as it was.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "contest/file_system.h"
#include "contest/settings.h"

class ProfileFile final : public Settings {
public:
    ProfileFile(FileSystem& files, std::string path, std::string section);

    std::string read(const char* key, const char* defaultValue = "") const override;
    void write(const char* key, const std::string& value) override;

private:
    std::vector<std::string> readLines() const;

    FileSystem& files_;
    std::string path_;
    std::string section_;
    // The Windows functions serialise access to a file; so does this.
    mutable std::mutex lock_;
};
