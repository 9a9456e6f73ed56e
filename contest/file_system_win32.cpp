#include "contest/file_system_win32.h"

#include <windows.h>

#include <algorithm>

#include "base/text_win32.h"

namespace {

bool isHeldOpen(DWORD code)
{
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

// The system's text for the last error, without its closing line break.  A
// file held open by another program is named as such: the system's words
// for it do not tell an operator what to do.
FileStatus lastError()
{
    const DWORD code = ::GetLastError();
    if (isHeldOpen(code))
        return {"the file is open in another program", true};
    return {systemMessage(code, CP_ACP)};
}

// Others may read or write the file meanwhile, as with the C library.
HANDLE openFile(const std::string& path, DWORD access, DWORD disposition)
{
    return ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A whole file is flushed to the disk before it may replace another; an
// append is not: a line of err.txt per duplicate would cost half a
// millisecond under Wine, and a failed append is cut back anyway.
enum class Flush { ToDisk, Lazily };

FileStatus writeAll(HANDLE file, const std::string& bytes, Flush flush, FlushToDisk flushToDisk)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr))
            return lastError();
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return lastError();
        }
        done += written;
    }
    if (flush == Flush::Lazily || flushToDisk(file))
        return FileStatus::success();
    return lastError();
}

FileStatus writeThrough(HANDLE file, const std::string& bytes, Flush flush, FlushToDisk flushToDisk)
{
    if (file == INVALID_HANDLE_VALUE)
        return lastError();
    FileStatus status = writeAll(file, bytes, flush, flushToDisk);
    if (!::CloseHandle(file) && status.ok())
        status = lastError();
    return status;
}

bool flushFileBuffers(void* file) { return ::FlushFileBuffers(file) != FALSE; }

class Win32FileSystem final : public FileSystem {
public:
    explicit Win32FileSystem(FlushToDisk flush) : flush_(flush) {}

    std::optional<std::string> read(const std::string& path) override
    {
        const HANDLE file = openFile(path, GENERIC_READ, OPEN_EXISTING);
        if (file == INVALID_HANDLE_VALUE)
            return std::nullopt;
        const std::optional<std::string> bytes =
            readInPieces([file](char* buffer, std::size_t size) -> std::optional<std::size_t> {
                DWORD got = 0;
                if (!::ReadFile(file, buffer, static_cast<DWORD>(size), &got, nullptr))
                    return std::nullopt;
                return got;
            });
        ::CloseHandle(file);
        return bytes;
    }

    std::optional<std::uint64_t> size(const std::string& path) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return std::nullopt;
        return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }

    FileStatus write(const std::string& path, const std::string& bytes) override
    {
        return writeThrough(openFile(path, GENERIC_WRITE, CREATE_ALWAYS), bytes, Flush::ToDisk, flush_);
    }

    FileStatus append(const std::string& path, const std::string& bytes) override
    {
        return writeThrough(openFile(path, FILE_APPEND_DATA, OPEN_ALWAYS), bytes, Flush::Lazily, flush_);
    }

    FileStatus truncate(const std::string& path, std::uint64_t size) override
    {
        const HANDLE file = openFile(path, GENERIC_WRITE, OPEN_EXISTING);
        if (file == INVALID_HANDLE_VALUE)
            return lastError();
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(size);
        FileStatus status = ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(file)
                                ? FileStatus::success()
                                : lastError();
        ::CloseHandle(file);
        return status;
    }

    // A file that another program holds open without sharing its deletion
    // refuses the replace with "Access denied".
    FileStatus replace(const std::string& from, const std::string& to) override
    {
        if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return FileStatus::success();
        const bool mayBeHeld = ::GetLastError() == ERROR_ACCESS_DENIED;
        FileStatus status = lastError();
        status.heldOpen = status.heldOpen || mayBeHeld;
        return status;
    }

    void remove(const std::string& path) override { ::DeleteFileA(path.c_str()); }

private:
    FlushToDisk flush_;
};

}  // namespace

FileSystem& win32FileSystem()
{
    static Win32FileSystem files(flushFileBuffers);
    return files;
}

std::unique_ptr<FileSystem> win32FileSystemFlushingWith(FlushToDisk flush)
{
    return std::make_unique<Win32FileSystem>(flush);
}
