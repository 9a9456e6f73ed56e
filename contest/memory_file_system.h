// Files kept in memory: the checker plays each log with its err.txt and
// settings here, and a fuzz run spends its time in the code under test
// rather than on the disk.  Behaves as the real ones do for the calls the
// plug-in makes; knows no folders.
#pragma once

#include <map>
#include <string>

#include "contest/file_system.h"

class MemoryFileSystem final : public FileSystem {
public:
    std::optional<std::string> read(const std::string& path) override
    {
        const auto file = files.find(path);
        if (file == files.end())
            return std::nullopt;
        return file->second;
    }

    std::optional<std::uint64_t> size(const std::string& path) override
    {
        const auto file = files.find(path);
        if (file == files.end())
            return std::nullopt;
        return file->second.size();
    }

    FileStatus write(const std::string& path, const std::string& bytes) override
    {
        files[path] = bytes;
        return FileStatus::success();
    }

    FileStatus append(const std::string& path, const std::string& bytes) override
    {
        files[path] += bytes;
        return FileStatus::success();
    }

    FileStatus truncate(const std::string& path, std::uint64_t size) override
    {
        const auto file = files.find(path);
        if (file == files.end())
            return {"no such file"};
        file->second.resize(size);
        return FileStatus::success();
    }

    FileStatus replace(const std::string& from, const std::string& to) override
    {
        const auto file = files.find(from);
        if (file == files.end())
            return {"no such file"};
        files[to] = std::move(file->second);
        files.erase(from);
        return FileStatus::success();
    }

    void remove(const std::string& path) override { files.erase(path); }

    std::map<std::string, std::string> files;
};
