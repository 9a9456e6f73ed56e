// The files of a cross-check run, found by listing the folders the robot
// wrote, never by joining a requested name onto a path.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The regular files directly inside `folder`, by name, sorted; empty when
// the folder does not exist.
std::vector<std::string> listedFiles(const std::string& folder);
// The folders directly inside `folder` whose names begin with `prefix`.
std::vector<std::string> listedFolders(const std::string& folder, const std::string& prefix);

// The path of the file in `folder` whose name is exactly `name`, if the
// folder lists one.  A name with a slash or a leading dot never matches.
std::optional<std::string> listedFile(const std::string& folder, const std::string& name);

// Creates a folder in `parent` that did not exist before, named `base`, else
// `base`-2, `base`-3 and so on, and returns its name: whatever lies in
// `parent` already (a run of a database restored from a backup, a file) is
// never written into.  Throws std::runtime_error when none can be made.
std::string createFreshFolder(const std::string& parent, const std::string& base);

// Moves the folder `from` into `parent` under a fresh name chosen as by
// createFreshFolder, in one rename: whoever finds the new name finds it
// whole.  Returns the name; throws std::runtime_error, leaving `from` as it
// was.
std::string moveToFreshFolder(const std::string& from, const std::string& parent, const std::string& base);

// Zips everything under `folder` (entries named relative to it) into
// `zipPath`, which may lie inside it and is then left out.  Throws
// std::runtime_error saying what went wrong.
void zipFolder(const std::string& folder, const std::string& zipPath);
