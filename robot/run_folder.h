// The files of a cross-check run, found by listing the folders the robot
// wrote, never by joining a requested name onto a path.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The regular files directly inside `folder`, by name, sorted; empty when
// the folder does not exist.
std::vector<std::string> listedFiles(const std::string& folder);

// The path of the file in `folder` whose name is exactly `name`, if the
// folder lists one.  A name with a slash or a leading dot never matches.
std::optional<std::string> listedFile(const std::string& folder, const std::string& name);

// Zips everything under `folder` (entries named relative to it) into
// `zipPath`, which may lie inside it and is then left out.  Returns an empty
// string, or what went wrong.
std::string zipFolder(const std::string& folder, const std::string& zipPath);

std::string readWholeFile(const std::string& path);
// False when the file could not be written whole.
bool writeWholeFile(const std::string& path, const std::string& bytes);
