#include "contest/profile_file.h"

#include <optional>
#include <vector>

#include "contest/text.h"

namespace {

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x -= 'a' - 'A';
        if (y >= 'a' && y <= 'z') y -= 'a' - 'A';
        if (x != y)
            return false;
    }
    return true;
}

std::vector<std::string> splitLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// A section header's name, if the line is one.
std::optional<std::string> sectionName(const std::string& line)
{
    const std::string text = trimmed(line);
    if (text.empty() || text[0] != '[')
        return std::nullopt;
    const std::size_t close = text.find(']');
    return trimmed(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

struct KeyLine {
    std::string key;
    std::string value;
};

std::optional<KeyLine> keyLine(const std::string& line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    return KeyLine{trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1))};
}

std::string withoutQuotes(const std::string& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

ProfileFile::ProfileFile(FileSystem& files, std::string path, std::string section)
    : files_(files), path_(std::move(path)), section_(std::move(section))
{
}

std::string ProfileFile::read(const char* key, const char* defaultValue) const
{
    std::string value;
    bool found = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        bool inSection = false;
        for (const std::string& line : readLines()) {
            if (auto name = sectionName(line)) {
                if (inSection)
                    break;
                inSection = sameName(*name, section_);
            } else if (auto entry = inSection ? keyLine(line) : std::nullopt; entry && sameName(entry->key, key)) {
                value = withoutQuotes(entry->value);
                found = true;
                break;
            }
        }
    }
    if (!found) {
        value = defaultValue ? defaultValue : "";
        while (!value.empty() && isBlank(value.back()))
            value.pop_back();
    }
    if (value.size() > kSettingsValueMax)
        value.resize(kSettingsValueMax);
    return value;
}

void ProfileFile::write(const char* key, const std::string& value)
{
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> lines = readLines();
    const std::string newLine = std::string(key) + "=" + trimmed(value);

    // Where the key stands, or after the last line of the section, or nowhere.
    std::optional<std::size_t> sectionEnd;
    bool inSection = false;
    bool replaced = false;
    for (std::size_t i = 0; i < lines.size() && !replaced; ++i) {
        if (auto name = sectionName(lines[i])) {
            if (inSection)
                break;
            inSection = sameName(*name, section_);
            if (inSection)
                sectionEnd = i + 1;
        } else if (inSection) {
            if (auto entry = keyLine(lines[i]); entry && sameName(entry->key, key)) {
                lines[i] = entry->key + "=" + trimmed(value);
                replaced = true;
            } else if (!trimmed(lines[i]).empty()) {
                sectionEnd = i + 1;
            }
        }
    }
    if (!replaced) {
        if (sectionEnd) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), newLine);
        } else {
            lines.push_back("[" + section_ + "]");
            lines.push_back(newLine);
        }
    }

    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    // A write that fails half way must not cost the operator every other
    // setting: the file is replaced whole or not at all.
    replaceFileContents(files_, path_, bytes);
}

std::vector<std::string> ProfileFile::readLines() const
{
    return splitLines(files_.read(path_).value_or(""));
}
