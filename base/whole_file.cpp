#include "base/whole_file.h"

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {

// The C library's words for what went wrong, or the plain cases an
// operator can act on said plainly.
std::string reasonFor(const std::filesystem::path& path, int code)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return "it is a folder";
    const auto permissions = std::filesystem::status(path, error).permissions();
    if (code == EACCES && !error && (permissions & std::filesystem::perms::owner_write) == std::filesystem::perms::none)
        return "the file is read-only";
    return std::generic_category().message(code ? code : EIO);
}

[[noreturn]] void fail(const char* verb, const std::filesystem::path& path, int code)
{
    throw FileError(std::string("cannot ") + verb + " " + path.u8string() + ": " + reasonFor(path, code));
}

}  // namespace

std::string readWholeFile(const std::filesystem::path& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        fail("read", path, EISDIR);
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail("read", path, errno);
    // In one read: a thousand logs byte by byte would cost the checker a
    // tenth of its time.
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        fail("read", path, errno);
    return std::move(bytes).str();
}

void writeWholeFile(const std::filesystem::path& path, std::string_view bytes)
{
    FileWriter file(path);
    file.write(bytes);
    file.close();
}

FileWriter::FileWriter(const std::filesystem::path& path) : path_(path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        fail("write", path, EISDIR);
    errno = 0;
    out_.open(path, std::ios::binary | std::ios::trunc);
    if (!out_)
        fail("write", path, errno);
}

void FileWriter::write(std::string_view bytes)
{
    if (failure_)
        return;
    errno = 0;
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out_)
        failure_ = errno ? errno : EIO;
}

void FileWriter::close()
{
    if (!failure_) {
        errno = 0;
        out_.close();
        if (!out_)
            failure_ = errno ? errno : EIO;
    }
    if (failure_)
        fail("write", path_, failure_);
}
