#include "robot/run_folder.h"

#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The names of the entries directly inside `folder` that `wanted` takes, sorted.
template <typename Wanted> std::vector<std::string> listed(const std::string& folder, Wanted wanted)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        if (wanted(*entry))
            names.push_back(entry->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::vector<std::string> listedFiles(const std::string& folder)
{
    return listed(folder, [](const fs::directory_entry& entry) { return entry.is_regular_file(); });
}

std::vector<std::string> listedFolders(const std::string& folder, const std::string& prefix)
{
    return listed(folder, [&prefix](const fs::directory_entry& entry) {
        return entry.is_directory() && entry.path().filename().string().rfind(prefix, 0) == 0;
    });
}

std::optional<std::string> listedFile(const std::string& folder, const std::string& name)
{
    if (name.empty() || name[0] == '.' || name.find('/') != std::string::npos)
        return std::nullopt;
    for (const std::string& listed : listedFiles(folder))
        if (listed == name)
            return (fs::path(folder) / listed).string();
    return std::nullopt;
}

std::string createFreshFolder(const std::string& parent, const std::string& base)
{
    // mkdir either creates or fails: unlike a look before, two callers can
    // never both get the same name.
    for (int suffix = 1; suffix < 10000; ++suffix) {
        const std::string name = suffix == 1 ? base : base + "-" + std::to_string(suffix);
        const std::string path = (fs::path(parent) / name).string();
        if (::mkdir(path.c_str(), 0777) == 0)
            return name;
        if (errno != EEXIST)
            throw std::runtime_error(path + ": " + std::generic_category().message(errno));
    }
    throw std::runtime_error((fs::path(parent) / base).string() + ": no free name");
}

std::string moveToFreshFolder(const std::string& from, const std::string& parent, const std::string& base)
{
    // rename(2) puts a folder in place of an empty one at once.
    const std::string name = createFreshFolder(parent, base);
    std::error_code error;
    fs::rename(from, fs::path(parent) / name, error);
    if (error) {
        fs::remove(fs::path(parent) / name);
        throw std::runtime_error(from + ": cannot be moved into " + parent + ": " + error.message());
    }
    return name;
}

void zipFolder(const std::string& folder, const std::string& zipPath)
{
    int status = 0;
    zip_t* archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &status);
    if (!archive)
        throw std::runtime_error(zipPath + ": cannot be created");
    std::error_code error;
    std::vector<fs::path> files;
    const fs::path zipFile = fs::absolute(zipPath).lexically_normal();
    for (fs::recursive_directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        if (entry->is_regular_file() && fs::absolute(entry->path()).lexically_normal() != zipFile)
            files.push_back(entry->path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::string entryName = fs::relative(file, folder).generic_string();
        zip_source_t* source = zip_source_file(archive, file.c_str(), 0, -1);
        if (!source || zip_file_add(archive, entryName.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error(zipPath + ": cannot add " + entryName);
        }
    }
    if (zip_close(archive) != 0) {
        const std::string why = zip_strerror(archive);
        zip_discard(archive);
        throw std::runtime_error(zipPath + ": " + why);
    }
}
