// Small text helpers shared by the log readers.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "contest/text.h"

// As toupper in the "C" locale, the only one the programs run in, without
// its call per character: the readers fold every callsign and mode.
inline std::string upperCase(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// "1 QSO", "2 QSOs".
inline std::string counted(std::size_t count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// The words between blanks, tabs and line ends.
inline std::vector<std::string> splitOnBlanks(std::string_view text)
{
    const auto isBreak = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::vector<std::string> words;
    words.reserve(12);  // a QSO line's words, without growing
    for (auto at = text.begin(); at != text.end();) {
        const auto start = std::find_if_not(at, text.end(), isBreak);
        at = std::find_if(start, text.end(), isBreak);
        if (start != at)
            words.emplace_back(start, at);
    }
    return words;
}

inline bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Parses exactly `width` digits at `at`; -1 when any of them is not a digit.
inline int digitsAt(const std::string& text, std::string::size_type at, std::string::size_type width)
{
    if (at + width > text.size())
        return -1;
    int value = 0;
    for (auto i = at; i < at + width; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}
