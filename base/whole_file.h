// Whole files in one read or one write, for every program, with one form of
// error: "cannot read PATH: reason" and "cannot write PATH: reason".
#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

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
void writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

// A file written piece by piece, for a text too big to hold whole (a table
// of a million QSO lines), with writeWholeFile's errors: the constructor
// throws when the file cannot be opened, close() when any piece could not
// be written.  A writer not closed leaves the file as far as it got.
class FileWriter {
public:
    explicit FileWriter(const std::filesystem::path& path);
    void write(std::string_view bytes);
    void close();

private:
    std::filesystem::path path_;
    std::ofstream out_;
    int failure_ = 0;  // errno of the first piece that failed
};
