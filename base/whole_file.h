// Whole files in one read or one write, for every program, with one form of
// error: "cannot read PATH: reason" and "cannot write PATH: reason".
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file's bytes as they stand.  Throws FileError when it cannot be read,
// a folder among them.
std::string readWholeFile(const std::filesystem::path& path);

// Puts `bytes` in place of whatever the file held.  Throws FileError when
// the whole of them could not be written (a folder, a read-only file, a
// missing folder on the way, a full disk).
void writeWholeFile(const std::filesystem::path& path, const std::string& bytes);
