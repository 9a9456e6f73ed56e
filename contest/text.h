// Text helpers every part of the plug-in shares.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// Blank as the C library's isspace sees it in the "C" locale.
inline bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The text without the blanks around it, as a view into it: the log
// readers look at every line so.
inline std::string_view trimmedView(std::string_view text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

inline std::string trimmed(const std::string& text) { return std::string(trimmedView(text)); }

// Copies `text` to `to`, which it must not overlap, and gives the byte
// after it.  A report is made of millions of texts of a few bytes, for
// which the library's copy spends more in choosing how to copy than in
// copying: up to 16 bytes go as at most two moves of a fixed width, which
// overlap when the text is shorter than both.
inline char* copyText(char* to, std::string_view text)
{
    const char* from = text.data();
    const std::size_t size = text.size();
    const auto moveTwo = [&](auto word) {
        std::memcpy(&word, from, sizeof word);
        std::memcpy(to, &word, sizeof word);
        std::memcpy(&word, from + size - sizeof word, sizeof word);
        std::memcpy(to + size - sizeof word, &word, sizeof word);
    };
    if (size > 16)
        std::memcpy(to, from, size);
    else if (size >= 8)
        moveTwo(std::uint64_t{});
    else if (size >= 4)
        moveTwo(std::uint32_t{});
    else if (size > 0) {
        to[0] = from[0];
        to[size / 2] = from[size / 2];
        to[size - 1] = from[size - 1];
    }
    return to + size;
}

// A number in decimal, on the stack: the checker's reports write tens of
// millions, none worth a string of its own.
class Decimal {
public:
    explicit Decimal(long long value)
        : size_(static_cast<std::size_t>(std::to_chars(digits_, digits_ + sizeof digits_, value).ptr - digits_))
    {
    }
    std::string_view view() const { return {digits_, size_}; }

private:
    char digits_[20];  // "-9223372036854775808"
    std::size_t size_;
};

inline void appendDecimal(std::string& out, long long value) { out += Decimal(value).view(); }

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

// One cell of a CSV file (RFC 4180), quoted when it holds a comma, a quote
// or a line end.  A spreadsheet takes a cell that begins with = + - or @ for
// a formula; such a cell gets a leading ' so that it is shown as the text
// it is and never run.  A negative number, or a lone -, stays as it is.
inline std::string csvCell(const std::string& text)
{
    const bool negativeNumber =
        !text.empty() && text[0] == '-' && text.find_first_not_of("0123456789", 1) == std::string::npos;
    const bool formula = !text.empty() && std::string("=+-@").find(text[0]) != std::string::npos;
    const std::string cell = formula && !negativeNumber ? "'" + text : text;
    if (cell.find_first_of(",\"\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (char c : cell)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}
