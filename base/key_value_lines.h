// The settings files of the programs: one "key = value" a line, anything
// after ";" a comment, blank lines ignored, a UTF-8 byte order mark (as
// Notepad writes one) passed over.  Lists kept beside them (one item a line)
// are read the same way, but for the "=".
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ContentLine {
    int line = 0;
    std::string place;    // "FILE:LINE", to begin a message about the line
    std::string content;  // without its comment and blanks; never empty
};

// The lines of the file that hold something, in order.
std::vector<ContentLine> contentLines(const std::string& text, const std::string& fileName);

struct KeyValueLine {
    int line = 0;
    std::string place;  // "FILE:LINE", to begin a message about the line
    std::string key, value;
};

// Key and value, each without its blanks; nothing when there is no "=".
std::optional<std::pair<std::string, std::string>> splitKeyValue(const std::string& text);

// The settings up to the first line with no "=", and a message naming that
// line ("FILE:LINE: "TEXT" is not key = value"), empty when there is none.
std::vector<KeyValueLine> keyValueLines(const std::string& text, const std::string& fileName, std::string& mistake);

// Hands `apply` every setting of the file in order, repeats included: what
// a key means, and whether it may come twice, is the reader's to say.  A
// line with no "=" throws `Error`, the reader's own, made from the message,
// once the lines before it are applied.
template <typename Error, typename Apply>
void forEachKeyValueLine(const std::string& text, const std::string& fileName, Apply apply)
{
    std::string mistake;
    for (const KeyValueLine& setting : keyValueLines(text, fileName, mistake))
        apply(setting);
    if (!mistake.empty())
        throw Error(mistake);
}
