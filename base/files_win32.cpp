#include "base/files_win32.h"

#include "base/text_win32.h"

std::filesystem::path pathOf(const std::string& utf8Path)
{
    return std::filesystem::u8path(utf8Path);
}

bool underWine()
{
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string systemPath(const std::string& path)
{
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return path;
    std::filesystem::path known = pathOf(path), missing;
    for (; !known.empty() && known != known.root_path(); known = known.parent_path()) {
        if (char* unixName = toUnix(known.wstring().c_str())) {
            std::string name(unixName);
            ::HeapFree(::GetProcessHeap(), 0, unixName);
            for (const auto& part : missing)
                name += "/" + part.u8string();
            return name;
        }
        missing = missing.empty() ? known.filename() : known.filename() / missing;
    }
    return path;
}

std::string absolutePath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(pathOf(path), error);
    return path.empty() || error ? path : absolute.u8string();
}

bool fileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string programFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::string program = utf8(path);
    return program.substr(0, program.find_last_of("\\/") + 1);
}

std::string currentFolder()
{
    wchar_t folder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    return utf8(folder);
}

namespace {

WriteFailure lastFailure()
{
    return {WriteFailure::System, systemMessage(::GetLastError())};
}

std::optional<WriteFailure> writeInto(HANDLE file, const std::string& bytes)
{
    std::optional<WriteFailure> failure;
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        failure = lastFailure();
    if (!::CloseHandle(file) && !failure)
        failure = lastFailure();
    return failure;
}

}  // namespace

std::optional<WriteFailure> writeWholeFileWin32(const std::string& path, const std::string& bytes)
{
    const std::wstring name = wide(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return WriteFailure{WriteFailure::Folder, {}};
    // Said here too, since an administrator could write over it.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return WriteFailure{WriteFailure::ReadOnly, {}};
    const HANDLE file =
        ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return lastFailure();
    return writeInto(file, bytes);
}
