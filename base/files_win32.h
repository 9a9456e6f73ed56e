// Files and folders as a Windows program names them: paths in UTF-8,
// opened through the system's wide calls, shown the way the operator's
// system names them (under Wine, as Unix paths).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

std::filesystem::path pathOf(const std::string& utf8Path);

bool underWine();

// A full path as the operator's system names it: under Wine the Unix path,
// which Wine's kernel32 tells for the nearest folder that exists; on Windows
// the path itself.
std::string systemPath(const std::string& path);

// `path` made absolute against the current folder; as given when it is
// empty or cannot be.
std::string absolutePath(const std::string& path);

bool fileExists(const std::string& path);

// The running program's folder, ending in its separator.
std::string programFolder();
std::string currentFolder();

// Why a whole file could not be written: the two cases an operator can put
// right said as such, any other in the system's words.
struct WriteFailure {
    enum Kind { Folder, ReadOnly, System } kind;
    std::string systemReason;  // for System
};

// Puts `bytes` in place of whatever the file held; what went wrong when
// the whole of them could not be written.
std::optional<WriteFailure> writeWholeFileWin32(const std::string& path, const std::string& bytes);
