#include "checker/contest_config.h"

#include <algorithm>
#include <climits>
#include <map>

#include "base/key_value_lines.h"
#include "logfile/qso_time.h"
#include "logfile/text.h"

namespace {

// "2025-12-20 20:00": the date as Cabrillo writes it, the clock with a colon.
// A mistake is told in the words written, not in the reader's HHMM.
CivilTime periodTime(const std::string& value)
{
    const auto words = splitOnBlanks(value);
    if (words.size() != 2 || words[1].size() != 5 || words[1][2] != ':')
        throw ConfigError("\"" + value + "\" is not YYYY-MM-DD HH:MM");
    try {
        return qsoTimeFromCabrillo(words[0], words[1].substr(0, 2) + words[1].substr(3));
    } catch (const QsoLineError& error) {
        const std::string said = error.what();
        if (said.rfind("date ", 0) == 0)
            throw ConfigError(said);
        throw ConfigError("time \"" + words[1] + "\" is not a clock time HH:MM");
    }
}

int wholeNumber(const std::string& value, int highest)
{
    if (!allDigits(value) || value.size() > 6 || std::stoi(value) > highest)
        throw ConfigError("\"" + value + "\" is not a whole number from 0 to " + std::to_string(highest));
    return std::stoi(value);
}

bool yesOrNo(const std::string& value)
{
    const std::string word = upperCase(value);
    if (word != "YES" && word != "NO")
        throw ConfigError("\"" + value + "\" is not yes or no");
    return word == "YES";
}

ContestConfig::TieBreak tieBreak(const std::string& value)
{
    if (value == "none")
        return ContestConfig::TieBreak::None;
    if (value == "fewer_lost")
        return ContestConfig::TieBreak::FewerLost;
    throw ConfigError("\"" + value + "\" is not none or fewer_lost");
}

std::set<std::string> callsigns(std::string value)
{
    std::replace(value.begin(), value.end(), ',', ' ');
    std::set<std::string> calls;
    for (const std::string& call : splitOnBlanks(value))
        calls.insert(upperCase(call));
    return calls;
}

void applySetting(ContestConfig& config, const std::string& key, const std::string& value)
{
    if (key == "name")
        config.name = value.empty() ? throw ConfigError("the name is empty") : value;
    else if (key == "start")
        config.start = periodTime(value);
    else if (key == "end")
        config.end = periodTime(value);
    else if (key == "tolerance_minutes")
        config.toleranceMinutes = wholeNumber(value, 24 * 60);
    else if (key == "nil_penalty")
        config.nilPenalty = wholeNumber(value, 100);
    else if (key == "busted_penalty")
        config.bustedPenalty = wholeNumber(value, 100);
    else if (key == "count_uniques")
        config.countUniques = yesOrNo(value);
    else if (key == "min_logs_for_no_log_call")
        config.minLogsForNoLogCall = wholeNumber(value, 1000);
    else if (key == "tie_break")
        config.tieBreak = tieBreak(value);
    else if (key == "checklogs")
        config.checklogs = callsigns(value);
    else if (key == "busted_calls")
        config.bustedCallsFile = value;
    else if (key == "cost_ranking_min_qsos")
        config.costRankingMinQsos = wholeNumber(value, 1000);
    else
        throw ConfigError("unknown key \"" + key +
                          "\"; the keys are start, end, tolerance_minutes, nil_penalty, busted_penalty, "
                          "count_uniques, min_logs_for_no_log_call, tie_break, checklogs, name, busted_calls, "
                          "cost_ranking_min_qsos");
}

void applyLine(ContestConfig& config, const std::string& line)
{
    const auto keyValue = splitKeyValue(line);
    if (!keyValue)
        throw ConfigError("\"" + line + "\" is not key = value");
    applySetting(config, keyValue->first, keyValue->second);
}

double minutesOf(const CivilTime& time) { return oleDateFromCivilTime(time) * 24 * 60; }

bool endsAfterStart(const ContestConfig& config)
{
    return !config.start || !config.end || minutesOf(*config.end) > minutesOf(*config.start);
}

}  // namespace

ContestConfig readContestConfig(const std::string& text, const std::string& fileName, ContestConfig base)
{
    std::map<std::string, int> lineOfKey;
    forEachKeyValueLine<ConfigError>(text, fileName, [&](const KeyValueLine& setting) {
        const auto fail = [&setting](const std::string& why) { throw ConfigError(setting.place + ": " + why); };
        try {
            applySetting(base, setting.key, setting.value);
        } catch (const ConfigError& error) {
            fail(error.what());
        }
        const auto [first, isNew] = lineOfKey.try_emplace(setting.key, setting.line);
        if (!isNew)
            fail(setting.key + " is given twice; first on line " + std::to_string(first->second));
        if (!endsAfterStart(base))
            fail("end is not after start");
    });
    if (lineOfKey.empty())
        throw ConfigError(fileName + ": no settings: the file has no key = value line");
    return base;
}

CivilTime utcTimeOf(const std::string& value)
{
    return periodTime(value);
}

void applyConfigSetting(ContestConfig& config, const std::string& keyValue)
{
    try {
        applyLine(config, keyValue);
    } catch (const ConfigError& error) {
        throw ConfigError(keyValue + ": " + error.what());
    }
    if (!endsAfterStart(config))
        throw ConfigError(keyValue + ": end is not after start");
}
