// Where the programs find the country file cty.dat when none is named.
#pragma once

#include <filesystem>
#include <optional>

// cty.dat beside the program, else where Debian's hamradio-files puts it
// (under Wine, drive Z: is the Linux root); nothing when neither is a file.
std::optional<std::filesystem::path> findCountryFile(const std::filesystem::path& programFolder);
