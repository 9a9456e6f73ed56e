// The files the plug-in writes (err.txt, the settings file, the .cbr) reach
// the disk through this small interface, so that the rules for a write that
// fails half way live once, in portable code, and tests can make any step
// fail.  The DLL passes the Win32 implementation; the native build the
// portable one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// How a file operation ended: `failure` names the cause in the platform's
// words ("No space left on device"), empty on success.  `heldOpen`: the
// cause may be another program holding the file open, which leaves it
// writable in place.
struct FileStatus {
    std::string failure;
    bool heldOpen = false;

    bool ok() const { return failure.empty(); }
    static FileStatus success() { return {}; }
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The whole file; empty when it does not exist or cannot be read.
    virtual std::optional<std::string> read(const std::string& path) = 0;

    // Its size in bytes; empty when it does not exist.
    virtual std::optional<std::uint64_t> size(const std::string& path) = 0;

    // Creates or empties the file, writes the bytes and closes it, flushed.
    // A failure may leave part of the bytes behind.
    virtual FileStatus write(const std::string& path, const std::string& bytes) = 0;

    // Adds the bytes at the end, creating the file if needed, without
    // waiting for the disk.  A failure may leave part of the bytes behind.
    virtual FileStatus append(const std::string& path, const std::string& bytes) = 0;

    // Cuts the file back to `size` bytes.
    virtual FileStatus truncate(const std::string& path, std::uint64_t size) = 0;

    // Puts `from` in the place of `to` in one step, replacing any file there.
    virtual FileStatus replace(const std::string& from, const std::string& to) = 0;

    virtual void remove(const std::string& path) = 0;
};

// The whole of a file, read a piece at a time by `readPiece(buffer, size)`:
// the bytes it put into the buffer, 0 at the end of the file, or nothing
// when the read failed (and so the whole is nothing).
template <typename ReadPiece>
std::optional<std::string> readInPieces(ReadPiece readPiece)
{
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const std::optional<std::size_t> got = readPiece(buffer, sizeof buffer);
        if (!got)
            return std::nullopt;
        if (*got == 0)
            return bytes;
        bytes.append(buffer, *got);
    }
}

// Standard C++ files, for builds without Win32.
FileSystem& portableFileSystem();

// Gives `path` the bytes, or leaves the file that was there untouched: the
// bytes go to a temporary file beside it, which then replaces it.  Nothing
// of the attempt is left behind on failure.  A file that another program
// holds open cannot be replaced; it is written in place instead, and when
// that fails half way its old bytes are put back.
FileStatus replaceFileContents(FileSystem& files, const std::string& path, const std::string& bytes);

// Adds the bytes at the end of `path`, or leaves the file as it was: what a
// failed append wrote is cut off again, so a later append never continues a
// broken line.
FileStatus appendWhole(FileSystem& files, const std::string& path, const std::string& bytes);

// The temporary file replaceFileContents writes first.
std::string temporaryFileFor(const std::string& path);
