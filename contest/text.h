// Text helpers every part of the plug-in shares.
#pragma once

#include <charconv>
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
