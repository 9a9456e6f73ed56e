// A FileSystem that passes every call to a real one until a test tells it
// to fail: the disk fills up after so many more bytes, files cannot be
// opened for writing, or the replace step is refused.  What it lets through
// reaches the real disk, so a test sees the files a real failure leaves.
#pragma once

#include <optional>
#include <string>

#include "contest/file_system.h"

class FailingFileSystem final : public FileSystem {
public:
    static constexpr char kDiskFull[] = "disk full (injected)";
    static constexpr char kOpenRefused[] = "file locked (injected)";
    static constexpr char kReplaceRefused[] = "replace refused (injected)";

    explicit FailingFileSystem(FileSystem& real) : real_(real) {}

    std::optional<std::size_t> spaceLeft;  // bytes that still fit; empty: no limit
    bool refuseOpen = false;
    bool refuseReplace = false;

    std::optional<std::string> read(const std::string& path) override { return real_.read(path); }
    std::optional<std::uint64_t> size(const std::string& path) override { return real_.size(path); }

    FileStatus write(const std::string& path, const std::string& bytes) override
    {
        return writeSome(bytes, [&](const std::string& part) { return real_.write(path, part); });
    }

    FileStatus append(const std::string& path, const std::string& bytes) override
    {
        return writeSome(bytes, [&](const std::string& part) { return real_.append(path, part); });
    }

    FileStatus truncate(const std::string& path, std::uint64_t size) override { return real_.truncate(path, size); }

    FileStatus replace(const std::string& from, const std::string& to) override
    {
        if (refuseReplace)
            return {kReplaceRefused};
        return real_.replace(from, to);
    }

    void remove(const std::string& path) override { real_.remove(path); }

private:
    // As a full disk does: what fits is written, then the write fails.
    template <typename Write>
    FileStatus writeSome(const std::string& bytes, Write write)
    {
        if (refuseOpen)
            return {kOpenRefused};
        if (!spaceLeft || *spaceLeft >= bytes.size()) {
            if (spaceLeft)
                *spaceLeft -= bytes.size();
            return write(bytes);
        }
        const std::string part = bytes.substr(0, *spaceLeft);
        spaceLeft = 0;
        const FileStatus status = write(part);
        return status.ok() ? FileStatus{kDiskFull} : status;
    }

    FileSystem& real_;
};
