// The plug-in's files through the Win32 file functions, whose replace
// (MoveFileExA) puts a new file over an old one, and whose error texts name
// the real cause of a failure.
#pragma once

#include "contest/file_system.h"

FileSystem& win32FileSystem();
