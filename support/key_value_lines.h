// The settings files of the programs: one "key = value" a line, anything
// after ";" a comment, blank lines ignored, a UTF-8 byte order mark (as
// Notepad writes one) passed over.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class KeyValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct KeyValueLine {
    std::string place;  // "FILE:LINE", to begin a message about the line
    std::string key, value;
};

// Key and value, each without its blanks; nothing when there is no "=".
std::optional<std::pair<std::string, std::string>> splitKeyValue(const std::string& text);

// Every setting of the file in order, repeats included: what a key means,
// and whether it may come twice, is the reader's to say.  Throws
// KeyValueError "FILE:LINE: "TEXT" is not key = value" for a line with no
// "=".
std::vector<KeyValueLine> readKeyValueLines(const std::string& text, const std::string& fileName);
