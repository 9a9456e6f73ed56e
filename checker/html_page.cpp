#include "checker/html_page.h"

#include <algorithm>
#include <array>

#include "checker/report_text.h"
#include "contest/text.h"

namespace {

const char kStyle[] =
    "body{font-family:sans-serif;margin:2em;color:#222}"
    "table{border-collapse:collapse}div.wide{overflow-x:auto;margin-bottom:1.5em}"
    "th,td{border:1px solid #bbb;padding:.2em .45em;text-align:left}th small{font-weight:normal;color:#555}"
    "th{background:#e8eef6}td.n{text-align:right}td.t{white-space:nowrap}tr.lost td{background:#fbeeee}"
    "h2{border-bottom:2px solid #46a;padding-bottom:.2em}a{color:#246}"
    "@media (max-width:600px){body{margin:.5em}}";

// Printable ASCII but what HTML escapes: the bytes htmlEscaped and
// validUtf8 both leave as they are, and nearly every byte of a log.
bool isPlainHtml(char c)
{
    static const auto kPlain = [] {
        std::array<bool, 256> plain{};
        for (int c = 0x20; c < 0x7F; ++c)
            plain[c] = c != '<' && c != '>' && c != '&' && c != '"';
        return plain;
    }();
    return kPlain[static_cast<unsigned char>(c)];
}

// The entity htmlEscaped writes for `c`, or null.
const char* entityOf(char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    default: return nullptr;
    }
}

}  // namespace

std::string html(std::string_view text)
{
    std::string escaped;
    appendHtml(escaped, text);
    return escaped;
}

// htmlEscaped(validUtf8(text)) in one pass.
void appendHtml(std::string& out, std::string_view text) { appendValidUtf8(out, text, isPlainHtml, entityOf); }

std::string said(MessageId id) { return html(Message{id}.bilingual()); }

std::string columnHeading(MessageId id)
{
    const std::string russian = say(id, Language::Russian), english = say(id, Language::English);
    return russian == english ? html(english) : html(russian) + "<br><small>" + html(english) + "</small>";
}

std::string cell(const std::string& content, const char* tag)
{
    return std::string("<") + tag + ">" + content + "</" + tag + ">";
}

std::string number(const std::string& content) { return "<td class=\"n\">" + content + "</td>"; }

std::string number(long long value) { return number(std::to_string(value)); }

std::string timeCell(const std::string& time) { return "<td class=\"t\">" + time + "</td>"; }

void appendCell(std::string& row, std::string_view text)
{
    row += "<td>";
    appendHtml(row, text);
    row += "</td>";
}

void appendNumber(std::string& row, long long value)
{
    row += "<td class=\"n\">";
    appendDecimal(row, value);
    row += "</td>";
}

std::string_view htmlView(std::string_view text, std::string& room)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return isPlainHtml(c); }))
        return text;
    room.clear();
    appendHtml(room, text);
    return room;
}

void appendPieces(std::string& out, std::initializer_list<std::string_view> pieces)
{
    std::size_t size = 0;
    for (std::string_view piece : pieces)
        size += piece.size();
    const std::size_t start = out.size();
    out.resize(start + size);
    char* at = &out[start];
    for (std::string_view piece : pieces)
        at = copyText(at, piece);
}

std::string headingRow(std::initializer_list<MessageId> headings)
{
    std::string row = "<tr>";
    for (MessageId heading : headings)
        row += cell(columnHeading(heading), "th");
    return row + "</tr>\n";
}

std::string wideTable(const std::string& rows)
{
    return "<div class=\"wide\"><table>\n" + rows + "</table></div>\n";
}

std::string htmlPage(const std::string& title, const std::string& body)
{
    std::string page;
    appendPageStart(page, title);
    page += body;
    appendPageEnd(page);
    return page;
}

void appendPageStart(std::string& page, const std::string& title)
{
    page += "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    page += title;
    page += "</title>\n<style>";
    page += kStyle;
    page += "</style>\n</head>\n<body>\n";
}

void appendPageEnd(std::string& page) { page += "</body>\n</html>\n"; }
