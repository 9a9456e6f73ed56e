// version_resource.exe PATH: loads the DLL (or program) at PATH as a host
// would, then prints its version resource, one "Name value" line per field, for the
// release package check to compare with the project version.
// Exit status: 0 when the DLL loaded and has a version resource, else 1.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string dottedVersion(DWORD mostSignificant, DWORD leastSignificant)
{
    return std::to_string(HIWORD(mostSignificant)) + "." + std::to_string(LOWORD(mostSignificant)) + "." +
           std::to_string(HIWORD(leastSignificant)) + "." + std::to_string(LOWORD(leastSignificant));
}

// A text of the US English, Unicode string table, which is the one the
// DLL's resource has; empty when it is missing.
std::string stringValue(std::vector<char>& info, const std::string& name)
{
    const std::string path = "\\StringFileInfo\\040904b0\\" + name;
    char* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return {};
    return std::string(value, length > 0 ? length - 1 : 0);
}

int printVersionResource(const char* path)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (size == 0 || !::GetFileVersionInfoA(path, 0, size, info.data()) ||
        !::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed) {
        std::fprintf(stderr, "%s has no version resource\n", path);
        return 1;
    }
    std::printf("FILEVERSION %s\n", dottedVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS).c_str());
    std::printf("PRODUCTVERSION %s\n", dottedVersion(fixed->dwProductVersionMS, fixed->dwProductVersionLS).c_str());
    for (const char* name : {"FileVersion", "ProductVersion", "ProductName", "FileDescription", "OriginalFilename"})
        std::printf("%s %s\n", name, stringValue(info, name).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: version_resource PATH-OF-DLL\n");
        return 1;
    }
    const HMODULE dll = ::LoadLibraryA(argv[1]);
    if (!dll) {
        std::fprintf(stderr, "cannot load %s: error %lu\n", argv[1], ::GetLastError());
        return 1;
    }
    ::FreeLibrary(dll);
    return printVersionResource(argv[1]);
}
