// A fresh, empty working directory for one test, with the "Plugins" folder
// the settings file lives in; the previous directory is restored after and
// the scratch one removed.  Scratch directories lie in "scratch" beside the
// test program, inside the build folder: a test that is killed half way
// leaves its files there, never in the system's temporary folder.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The settings file, as the platform's own path rules spell it.
#ifdef _WIN32
inline constexpr char kSettingsPath[] = "Plugins\\ZEMRIX.ini";
#else
inline constexpr char kSettingsPath[] = "Plugins/ZEMRIX.ini";
#endif

class ScratchDir {
public:
    ScratchDir()
    {
        namespace fs = std::filesystem;
        previous_ = fs::current_path();
        static int counter = 0;
        path_ = scratchRoot() / ("zemrix-test-" + std::to_string(stamp()) + "-" + std::to_string(++counter));
        fs::remove_all(path_);
        fs::create_directories(path_ / "Plugins");
        fs::current_path(path_);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // The folder of the running test program, plus "scratch".
    static std::filesystem::path scratchRoot()
    {
#ifdef _WIN32
        wchar_t program[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, program, MAX_PATH);
        return std::filesystem::path(program).parent_path() / "scratch";
#else
        return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "scratch";
#endif
    }

private:
    static long long stamp()
    {
        return static_cast<long long>(std::filesystem::file_time_type::clock::now().time_since_epoch().count());
    }

    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// The whole file, byte for byte; empty when it does not exist.
inline std::string fileBytes(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFileBytes(const std::string& name, const std::string& bytes)
{
    std::ofstream(name, std::ios::binary) << bytes;
}
