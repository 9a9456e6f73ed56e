// The plug-in's files through the Win32 file functions, whose replace
// (MoveFileExA) puts a new file over an old one, and whose error texts name
// the real cause of a failure.
#pragma once

#include <memory>

#include "contest/file_system.h"

FileSystem& win32FileSystem();

// The same over another flush of a file's buffers to the disk (true when
// done, else the cause in the thread's last error), for tests to make fail.
using FlushToDisk = bool (*)(void* file);
std::unique_ptr<FileSystem> win32FileSystemFlushingWith(FlushToDisk flush);
