// "err.txt": a header line written by every contest reset, then one line per
// rejected or duplicate QSO.  Lines end in CR LF on every platform.  The file
// never holds part of a line, and no line is lost to the disk or to the
// operator:
// - lines that a write cannot take (a full disk, a file that is being
//   deleted while a viewer holds it) are owed, and go first, in their order,
//   with the next write that succeeds;
// - a file deleted during the run comes back whole, header and every line of
//   the run, at the next write.  A deletion still pending behind a viewer is
//   not always seen (Wine, unlike Windows, lets the file be opened and
//   written until the viewer lets go), so a line written into it is known
//   lost only once the file is gone.
// Memory is bounded: the lines kept, owed or written, take at most
// kMostKeptBytes.  Beyond that the oldest written lines are no longer kept
// for a deleted file, and lines that would be owed are lost; the contest goes
// on unchanged.  Before the first restart there is no header to bring back,
// and a deleted file is not rebuilt.
//
// Not safe for two threads at once: the plug-in calls it under its lock.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "contest/file_system.h"

inline constexpr char kErrorLogFile[] = "err.txt";

class ErrorLog {
public:
    // About ten thousand lines.
    static constexpr std::size_t kMostKeptBytes = 1 << 20;

    explicit ErrorLog(FileSystem& files, std::string path = kErrorLogFile, std::size_t mostKeptBytes = kMostKeptBytes)
        : files_(files), path_(std::move(path)), mostKeptBytes_(mostKeptBytes)
    {
    }

    // Replaces the file with one holding only the header line, and forgets
    // the lines of the run before.  When that fails the file keeps what it
    // held until the next write, which starts it afresh.
    void restart(const std::string& header) const;

    // Appends the lines all together or not at all; with no lines it only
    // makes sure the file exists and holds what is owed, without the cost
    // of opening it every time.
    void append(const std::vector<std::string>& lines) const;

private:
    bool writeOwed() const;
    std::string wholeFile() const;
    void keepWritten() const;
    void forgetOldestBeyondBound() const;

    FileSystem& files_;
    std::string path_;
    std::size_t mostKeptBytes_;

    // What the file should hold, rather than a state of this object, which
    // only stands for the file: hence mutable, so that the rules keep taking
    // the log by const reference.
    mutable std::optional<std::string> headerLine_;  // known once restarted
    mutable bool restartOwed_ = false;
    mutable std::deque<std::string> written_;  // the run's lines in the file, a batch each
    mutable std::size_t writtenBytes_ = 0;
    mutable std::string owed_;
};
