#include "contest/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

FileStatus failedWith(int error) { return {std::strerror(error)}; }
FileStatus failedWith(const std::error_code& error) { return {error.message()}; }

// Writes through the C library, taking errno at the step that failed: a
// later call may overwrite it with something unrelated.
FileStatus writeThrough(const std::string& path, const char* openMode, const std::string& bytes)
{
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), openMode);
    if (!file)
        return failedWith(errno);
    int error = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0)
        error = errno ? errno : EIO;
    errno = 0;
    if (std::fclose(file) != 0 && error == 0)
        error = errno ? errno : EIO;
    return error ? failedWith(error) : FileStatus::success();
}

class PortableFileSystem final : public FileSystem {
public:
    std::optional<std::string> read(const std::string& path) override
    {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file)
            return std::nullopt;
        const std::optional<std::string> bytes =
            readInPieces([file](char* buffer, std::size_t size) -> std::optional<std::size_t> {
                const std::size_t got = std::fread(buffer, 1, size, file);
                return got == 0 && std::ferror(file) ? std::nullopt : std::optional<std::size_t>(got);
            });
        std::fclose(file);
        return bytes;
    }

    std::optional<std::uint64_t> size(const std::string& path) override
    {
        std::error_code error;
        if (!fs::is_regular_file(path, error))
            return std::nullopt;
        const std::uintmax_t bytes = fs::file_size(path, error);
        if (error)
            return std::nullopt;
        return bytes;
    }

    FileStatus write(const std::string& path, const std::string& bytes) override
    {
        return writeThrough(path, "wb", bytes);
    }

    FileStatus append(const std::string& path, const std::string& bytes) override
    {
        return writeThrough(path, "ab", bytes);
    }

    FileStatus truncate(const std::string& path, std::uint64_t size) override
    {
        std::error_code error;
        fs::resize_file(path, size, error);
        return error ? failedWith(error) : FileStatus::success();
    }

    FileStatus replace(const std::string& from, const std::string& to) override
    {
        std::error_code error;
        fs::rename(from, to, error);
        return error ? failedWith(error) : FileStatus::success();
    }

    // Files only: an empty folder of the same name stays.
    void remove(const std::string& path) override
    {
        std::error_code error;
        if (fs::is_regular_file(fs::symlink_status(path, error)))
            fs::remove(path, error);
    }
};

}  // namespace

FileSystem& portableFileSystem()
{
    static PortableFileSystem files;
    return files;
}

std::string temporaryFileFor(const std::string& path)
{
    return path + ".tmp";
}

namespace {

// A holder that shares nothing makes the write fail as it opens the file,
// before a byte is written.  Without a copy of the old bytes (a holder that
// shares writing but not reading) a write that fails half way cannot be
// undone.
FileStatus writeInPlace(FileSystem& files, const std::string& path, const std::string& bytes)
{
    const std::optional<std::string> before = files.read(path);
    const FileStatus status = files.write(path, bytes);
    if (!status.ok() && before)
        files.write(path, *before);
    return status;
}

}  // namespace

FileStatus replaceFileContents(FileSystem& files, const std::string& path, const std::string& bytes)
{
    const std::string temporary = temporaryFileFor(path);
    FileStatus status = files.write(temporary, bytes);
    if (status.ok())
        status = files.replace(temporary, path);
    if (!status.ok())
        files.remove(temporary);
    if (status.heldOpen)
        return writeInPlace(files, path, bytes);
    return status;
}

FileStatus appendWhole(FileSystem& files, const std::string& path, const std::string& bytes)
{
    const std::optional<std::uint64_t> sizeBefore = files.size(path);
    const FileStatus status = files.append(path, bytes);
    if (!status.ok()) {
        if (sizeBefore)
            files.truncate(path, *sizeBefore);
        else
            files.remove(path);
    }
    return status;
}
