#include "checker/known_busts.h"

#include "base/key_value_lines.h"
#include "base/whole_file.h"
#include "logfile/text.h"

namespace {

struct KnownBust {
    std::string correctCall;
    int line = 0;
    std::string place;
};

bool isCallsign(const std::string& text)
{
    return !text.empty() &&
           text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/") == std::string::npos;
}

// "RA3AAA -> RA3AA" as the two calls, or nothing.
std::optional<std::pair<std::string, std::string>> bustOf(const std::string& content)
{
    const auto arrow = content.find("->");
    if (arrow == std::string::npos)
        return std::nullopt;
    const std::string logged = upperCase(trimmed(content.substr(0, arrow)));
    const std::string correct = upperCase(trimmed(content.substr(arrow + 2)));
    if (!isCallsign(logged) || !isCallsign(correct))
        return std::nullopt;
    return std::make_pair(logged, correct);
}

void addBust(std::map<std::string, KnownBust>& busts, const ContentLine& line)
{
    const auto fail = [&line](const std::string& why) { throw ConfigError(line.place + ": " + why); };
    const auto bust = bustOf(line.content);
    if (!bust)
        fail("\"" + line.content + "\" is not CALL -> CALL");
    if (bust->first == bust->second)
        fail(bust->first + " is corrected to itself");
    const auto [at, isNew] = busts.try_emplace(bust->first, KnownBust{bust->second, line.line, line.place});
    if (!isNew)
        fail(bust->first + " is given twice; first on line " + std::to_string(at->second.line));
}

}  // namespace

std::map<std::string, std::string> readKnownBusts(const std::string& text, const std::string& fileName)
{
    std::map<std::string, KnownBust> busts;
    for (const ContentLine& line : contentLines(text, fileName))
        addBust(busts, line);
    std::map<std::string, std::string> corrections;
    // One step only: a chain would leave the committee's meaning unclear.
    for (const auto& [logged, bust] : busts) {
        const auto chained = busts.find(bust.correctCall);
        if (chained != busts.end())
            throw ConfigError(bust.place + ": " + bust.correctCall + " is itself busted, on line " +
                              std::to_string(chained->second.line));
        corrections.emplace(logged, bust.correctCall);
    }
    return corrections;
}

void loadKnownBusts(ContestConfig& config, const std::filesystem::path& configFolder)
{
    if (config.bustedCallsFile.empty())
        return;
    const std::filesystem::path path = configFolder / std::filesystem::u8path(config.bustedCallsFile);
    std::string text;
    try {
        text = readWholeFile(path);
    } catch (const FileError& error) {
        throw ConfigError(std::string("busted_calls: ") + error.what());
    }
    config.knownBusts = readKnownBusts(text, config.bustedCallsFile);
}
