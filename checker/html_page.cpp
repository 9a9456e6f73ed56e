#include "checker/html_page.h"

#include <algorithm>

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

}  // namespace

std::string html(std::string_view text) { return htmlEscaped(validUtf8(std::string(text))); }

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
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        return c >= 0x20 && c < 0x7F && c != '<' && c != '>' && c != '&' && c != '"' && c != '\'';
    });
    row += "<td>";
    row += plain ? text : html(text);
    row += "</td>";
}

void appendNumber(std::string& row, long long value)
{
    row += "<td class=\"n\">";
    row += std::to_string(value);
    row += "</td>";
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
    return "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           title + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n" + body + "</body>\n</html>\n";
}
