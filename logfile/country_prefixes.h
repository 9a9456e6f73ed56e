// Country prefixes from a cty.dat country file: which country a callsign
// belongs to, named by the country's primary prefix ("UA", "UA2", "UA9",
// "DL", "IT9", ...).
//
// The rule, as contest loggers apply it:
//  1. The whole callsign as logged, if the file lists it as an exact call
//     ("=CALL" entries), decides.
//  2. Suffixes that say how the station operates and not where (/P, /M, /A,
//     /B, /J, /R, /LH, /QRP, /QRPP) are dropped, and the rest is again
//     looked up as an exact call.  /MM and /AM (at sea, in the air) belong to
//     no country.
//  3. A single digit after a slash is a new call area: UA9XX/3 counts as
//     UA3XX.
//  4. Otherwise, of a call with two parts such as DL/K1ABC or K1ABC/DL, the
//     shorter part is the location (on a tie, the first); when it matches no
//     prefix the other part is tried.
//  5. The longest listed prefix the resulting text begins with decides.
// A callsign that matches nothing belongs to no country (empty prefix).
#pragma once

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

class CountryFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CountryPrefixes {
public:
    // Throws CountryFileError naming the file and line of a country entry
    // that cannot be read, or for a file that lists no country.
    static CountryPrefixes read(std::istream& in, const std::string& fileName);
    static CountryPrefixes load(const std::string& path);

    CountryPrefixes();
    CountryPrefixes(CountryPrefixes&&) noexcept;
    CountryPrefixes& operator=(CountryPrefixes&&) noexcept;
    ~CountryPrefixes();

    // The primary prefix of the callsign's country; empty for none.  Safe
    // to call from many threads at once.
    std::string countryOf(const std::string& callsign) const;

    std::size_t countryCount() const { return primaryPrefixes_.size(); }

private:
    struct Answers;

    std::string lookUp(const std::string& callsign) const;
    std::string byExactCall(const std::string& call) const;
    std::string byLongestPrefix(const std::string& text) const;
    std::string byLocationPart(const std::vector<std::string>& parts) const;

    std::vector<std::string> primaryPrefixes_;
    std::unordered_map<std::string, std::size_t> exactCalls_;  // to an index into primaryPrefixes_
    std::unordered_map<std::string, std::size_t> prefixes_;
    std::size_t longestPrefix_ = 0;
    uint64_t number_;  // one for each table made, for the answers each thread keeps
};
