#include "base/key_value_lines.h"

#include <algorithm>

#include "contest/text.h"

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// Line `number` of the file without its line end, comment or blanks.
std::string contentOf(std::string line, int number)
{
    if (number == 1 && line.compare(0, 3, kByteOrderMark) == 0)
        line.erase(0, 3);
    return trimmed(line.substr(0, line.find(';')));
}

}  // namespace

std::optional<std::pair<std::string, std::string>> splitKeyValue(const std::string& text)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    return std::make_pair(trimmed(text.substr(0, equals)), trimmed(text.substr(equals + 1)));
}

std::vector<ContentLine> contentLines(const std::string& text, const std::string& fileName)
{
    std::vector<ContentLine> lines;
    std::size_t lineStart = 0;
    for (int number = 1; lineStart < text.size(); ++number) {
        const std::size_t lineEnd = std::min(text.find('\n', lineStart), text.size());
        std::string content = contentOf(text.substr(lineStart, lineEnd - lineStart), number);
        lineStart = lineEnd + 1;
        if (!content.empty())
            lines.push_back({number, fileName + ":" + std::to_string(number), std::move(content)});
    }
    return lines;
}

std::vector<KeyValueLine> keyValueLines(const std::string& text, const std::string& fileName, std::string& mistake)
{
    std::vector<KeyValueLine> settings;
    for (const ContentLine& line : contentLines(text, fileName)) {
        const auto keyValue = splitKeyValue(line.content);
        if (!keyValue) {
            mistake = line.place + ": \"" + line.content + "\" is not key = value";
            break;
        }
        settings.push_back({line.line, line.place, keyValue->first, keyValue->second});
    }
    return settings;
}
