#include "logfile/country_prefixes.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "logfile/text.h"

namespace {

// A prefix or exact call as listed, without the zone, position, continent
// and time-zone overrides that may follow it: (cq) [itu] <lat/lon> {cont} ~tz~.
std::string withoutOverrides(const std::string& alias)
{
    return alias.substr(0, alias.find_first_of("([<{~"));
}

std::vector<std::string> slashParts(const std::string& call)
{
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= call.size();) {
        const std::size_t slash = std::min(call.find('/', start), call.size());
        if (slash > start)
            parts.push_back(call.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string call;
    for (const std::string& part : parts)
        call += (call.empty() ? "" : "/") + part;
    return call;
}

bool isOperatingSuffix(const std::string& part)
{
    static const char* const kSuffixes[] = {"P", "M", "A", "B", "J", "R", "LH", "QRP", "QRPP"};
    return std::any_of(std::begin(kSuffixes), std::end(kSuffixes), [&](const char* s) { return part == s; });
}

bool isAirOrSea(const std::string& part) { return part == "MM" || part == "AM"; }

// The call with its call-area digit (the last digit of its prefix) replaced.
std::string inCallArea(std::string call, char area)
{
    const auto digit = call.find_last_of("0123456789");
    if (digit != std::string::npos)
        call[digit] = area;
    return call;
}

}  // namespace

CountryPrefixes CountryPrefixes::read(std::istream& in, const std::string& fileName)
{
    CountryPrefixes table;
    std::string text;
    bool inEntry = false;  // between a country's header line and its ';'
    for (int line = 1; std::getline(in, text); ++line) {
        if (trimmed(text).empty())
            continue;
        if (!inEntry) {
            // Name: CQ zone: ITU zone: continent: latitude: longitude: UTC offset: primary prefix:
            std::vector<std::string> fields;
            std::stringstream stream(text);
            std::string field;
            while (std::getline(stream, field, ':'))
                fields.push_back(trimmed(field));
            if (fields.size() < 8 || fields[7].empty())
                throw CountryFileError(fileName + ":" + std::to_string(line) +
                                       ": not a country line (name and seven fields, each ending in ':')");
            std::string primary = fields[7];
            // A leading '*' marks a country of some award lists only; the prefix is the same.
            if (primary[0] == '*')
                primary.erase(0, 1);
            table.primaryPrefixes_.push_back(primary);
            inEntry = true;
            continue;
        }
        const std::size_t country = table.primaryPrefixes_.size() - 1;
        std::stringstream stream(text);
        std::string alias;
        while (std::getline(stream, alias, ',')) {
            alias = trimmed(alias);
            if (!alias.empty() && alias.back() == ';') {
                alias.pop_back();
                inEntry = false;
            }
            alias = withoutOverrides(alias);
            if (alias.empty())
                continue;
            if (alias[0] == '=') {
                table.exactCalls_[alias.substr(1)] = country;
            } else {
                table.prefixes_[alias] = country;
                table.longestPrefix_ = std::max(table.longestPrefix_, alias.size());
            }
        }
    }
    if (table.primaryPrefixes_.empty())
        throw CountryFileError(fileName + ": lists no country");
    if (inEntry)
        throw CountryFileError(fileName + ": the last country's prefix list has no closing ';'");
    return table;
}

CountryPrefixes CountryPrefixes::load(const std::string& path)
{
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in)
        throw CountryFileError("cannot open country file " + path);
    return read(in, path);
}

std::string CountryPrefixes::byExactCall(const std::string& call) const
{
    const auto found = exactCalls_.find(call);
    return found == exactCalls_.end() ? std::string() : primaryPrefixes_[found->second];
}

std::string CountryPrefixes::byLongestPrefix(const std::string& text) const
{
    for (std::size_t length = std::min(text.size(), longestPrefix_); length > 0; --length) {
        const auto found = prefixes_.find(text.substr(0, length));
        if (found != prefixes_.end())
            return primaryPrefixes_[found->second];
    }
    return {};
}

std::string CountryPrefixes::byLocationPart(const std::vector<std::string>& parts) const
{
    const bool firstIsLocation = parts[0].size() <= parts[1].size();
    const std::string& location = firstIsLocation ? parts[0] : parts[1];
    const std::string& home = firstIsLocation ? parts[1] : parts[0];
    const std::string country = byLongestPrefix(location);
    return country.empty() ? byLongestPrefix(home) : country;
}

// A contest's logs name the same few thousand calls a million times; the
// answers are kept, up to a bound, so a stream of made-up calls cannot grow
// the memory without end.  Each thread keeps its own: the threads that read
// the logs ask for every QSO, and one table shared under a lock, even a
// lock for readers, had them waiting on each other.
struct CountryPrefixes::Answers {
    static constexpr std::size_t kMostKept = 1 << 16;
    uint64_t table = 0;  // whose answers they are
    std::unordered_map<std::string, std::string> byCall;
};

namespace {

std::atomic<uint64_t> tablesMade{0};

}  // namespace

CountryPrefixes::CountryPrefixes() : number_(++tablesMade) {}
CountryPrefixes::CountryPrefixes(CountryPrefixes&&) noexcept = default;
CountryPrefixes& CountryPrefixes::operator=(CountryPrefixes&&) noexcept = default;
CountryPrefixes::~CountryPrefixes() = default;

std::string CountryPrefixes::countryOf(const std::string& callsign) const
{
    thread_local Answers answers;
    if (answers.table != number_) {
        answers.table = number_;
        answers.byCall.clear();
    }
    const auto known = answers.byCall.find(callsign);
    if (known != answers.byCall.end())
        return known->second;
    std::string country = lookUp(callsign);
    if (answers.byCall.size() < Answers::kMostKept)
        answers.byCall.emplace(callsign, country);
    return country;
}

std::string CountryPrefixes::lookUp(const std::string& callsign) const
{
    const std::string call = upperCase(trimmed(callsign));
    if (const std::string exact = byExactCall(call); !exact.empty())
        return exact;
    std::vector<std::string> parts = slashParts(call);
    if (std::any_of(parts.begin(), parts.end(), isAirOrSea))
        return {};
    if (!parts.empty())
        parts.erase(std::remove_if(parts.begin() + 1, parts.end(), isOperatingSuffix), parts.end());
    if (parts.empty())
        return {};
    if (const std::string exact = byExactCall(joined(parts)); !exact.empty())
        return exact;
    if (parts.size() == 1)
        return byLongestPrefix(parts[0]);
    if (parts[1].size() == 1 && std::isdigit(static_cast<unsigned char>(parts[1][0])))
        return byLongestPrefix(inCallArea(parts[0], parts[1][0]));
    return byLocationPart(parts);
}
