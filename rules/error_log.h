// "err.txt": a header line written by every contest reset, then one line per
// rejected or duplicate QSO.  Lines end in CR LF on every platform.  The file
// never holds part of a line, and a line is not lost to a write that fails:
// lines that cannot be written now (a full disk, a file being deleted while
// a viewer holds it) are owed and go first with the next write that
// succeeds, in their order.  What is owed is kept in memory up to
// kMostOwedBytes; lines beyond that are lost, and the contest goes on
// unchanged.  A file the operator deletes comes back with its header line.
//
// Not safe for two threads at once: the plug-in calls it under its lock.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "contest/file_system.h"

inline constexpr char kErrorLogFile[] = "err.txt";

class ErrorLog {
public:
    // About ten thousand lines.
    static constexpr std::size_t kMostOwedBytes = 1 << 20;

    explicit ErrorLog(FileSystem& files, std::string path = kErrorLogFile, std::size_t mostOwedBytes = kMostOwedBytes)
        : files_(files), path_(std::move(path)), mostOwedBytes_(mostOwedBytes)
    {
    }

    // Replaces the file with one holding only the header line, and forgets
    // the lines owed to the run before.  When that fails the file keeps what
    // it held until the next write, which starts it afresh.
    void restart(const std::string& header) const;

    // Appends the lines all together or not at all; with no lines it only
    // makes sure the file exists, and writes what is owed, without the cost
    // of opening it every time.
    void append(const std::vector<std::string>& lines) const;

private:
    bool writeOwed() const;

    FileSystem& files_;
    std::string path_;
    std::size_t mostOwedBytes_;

    // The state of the file rather than of this object, which stands for
    // it: hence mutable, so that the rules keep taking the log by const
    // reference.
    mutable std::optional<std::string> headerLine_;  // known once restarted
    mutable bool restartOwed_ = false;
    mutable std::string owed_;
};
