// Text helpers every part of the plug-in shares.
#pragma once

#include <string>

// Blank as the C library's isspace sees it in the "C" locale.
inline bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline std::string trimmed(const std::string& text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Text that HTML shows as it stands: & < > and " written as entities.
inline std::string htmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}
