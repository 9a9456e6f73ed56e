// A FileSystem that passes every call to a real one until a test tells it
// to fail: the disk fills up after so many more bytes, files cannot be
// opened for writing, the replace step is refused, or another program holds
// the replaced file open.  What it lets through
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
    static constexpr char kHeldOpen[] = "held open (injected)";

    explicit FailingFileSystem(FileSystem& real) : real_(real) {}

    std::optional<std::size_t> spaceLeft;  // bytes that still fit; empty: no limit
    bool refuseOpen = false;
    bool refuseReplace = false;
    // The file a replace would go over is held open: the replace is refused
    // as for a held file.  A holder that shares nothing refuses writes to
    // the file too; otherwise the first write to it may fail after so many
    // bytes (the disk full at that moment), and later ones pass.
    bool heldOpen = false;
    bool holderSharesNothing = false;
    std::optional<std::size_t> firstWriteInPlaceFailsAfter;

    // Every call passes again.
    void heal()
    {
        spaceLeft.reset();
        refuseOpen = refuseReplace = heldOpen = holderSharesNothing = false;
        firstWriteInPlaceFailsAfter.reset();
        held_.clear();
    }

    std::optional<std::string> read(const std::string& path) override { return real_.read(path); }
    std::optional<std::uint64_t> size(const std::string& path) override { return real_.size(path); }

    FileStatus write(const std::string& path, const std::string& bytes) override
    {
        const auto write = [&](const std::string& part) { return real_.write(path, part); };
        if (path != held_)
            return writeSome(spaceLeft, bytes, write);
        if (holderSharesNothing)
            return {kHeldOpen, true};
        std::optional<std::size_t> space;
        space.swap(firstWriteInPlaceFailsAfter);
        return writeSome(space, bytes, write);
    }

    FileStatus append(const std::string& path, const std::string& bytes) override
    {
        return writeSome(spaceLeft, bytes, [&](const std::string& part) { return real_.append(path, part); });
    }

    FileStatus truncate(const std::string& path, std::uint64_t size) override { return real_.truncate(path, size); }

    FileStatus replace(const std::string& from, const std::string& to) override
    {
        if (refuseReplace)
            return {kReplaceRefused};
        if (heldOpen) {
            held_ = to;
            return {kHeldOpen, true};
        }
        return real_.replace(from, to);
    }

    void remove(const std::string& path) override { real_.remove(path); }

private:
    // As a full disk does: what fits is written, then the write fails.
    template <typename Write>
    FileStatus writeSome(std::optional<std::size_t>& space, const std::string& bytes, Write write)
    {
        if (refuseOpen)
            return {kOpenRefused};
        if (!space || *space >= bytes.size()) {
            if (space)
                *space -= bytes.size();
            return write(bytes);
        }
        const std::string part = bytes.substr(0, *space);
        space = 0;
        const FileStatus status = write(part);
        return status.ok() ? FileStatus{kDiskFull} : status;
    }

    FileSystem& real_;
    std::string held_;
};
