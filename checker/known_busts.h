// The committee's own verdicts on miscopied calls, kept in a file that
// contest.ini names (busted_calls): one "RA3AAA -> RA3AA" a line, the call
// as logged and the call really worked, ';' comments and blank lines.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "checker/contest_config.h"

// The busts of the file, by the call as logged; calls in upper case.
// Throws ConfigError "FILE:LINE: why" for a line that is no "CALL -> CALL",
// a call given twice, a call corrected to itself, or a correction that is
// itself listed as busted.
std::map<std::string, std::string> readKnownBusts(const std::string& text, const std::string& fileName);

// Reads config.bustedCallsFile, when set, into config.knownBusts; a
// relative name is taken from `configFolder`, where contest.ini lies.
// Throws ConfigError naming the file when it cannot be read or has a
// mistake.
void loadKnownBusts(ContestConfig& config, const std::filesystem::path& configFolder);
