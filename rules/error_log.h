// "err.txt": a header line written by every contest reset, then one line per
// rejected or duplicate QSO.  Lines end in CR LF on every platform.  The log
// is best effort: when the file cannot be written its lines are lost and the
// contest goes on unchanged, but the file never holds part of a line.
#pragma once

#include <string>
#include <vector>

#include "contest/file_system.h"

inline constexpr char kErrorLogFile[] = "err.txt";

class ErrorLog {
public:
    explicit ErrorLog(FileSystem& files, std::string path = kErrorLogFile) : files_(files), path_(std::move(path)) {}

    // Replaces the file with one holding only the header line; when that
    // fails the file keeps what it held.
    void restart(const std::string& header) const;

    // Appends the lines all together or not at all; with no lines it only
    // makes sure the file exists, without the cost of opening it every time.
    void append(const std::vector<std::string>& lines) const;

private:
    FileSystem& files_;
    std::string path_;
};
