// What the checker's HTML pages share: escaped text, table cells, headings
// from the message catalogue and one frame with one style.  No scripts,
// nothing fetched: the pages open from a folder or a web server alike.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "messages/message_catalogue.h"

// The text escaped for HTML, as valid UTF-8.
std::string html(std::string_view text);
// The same appended in place; plain ASCII, as nearly every field of a log
// is, is copied as it is after one look at each byte.
void appendHtml(std::string& out, std::string_view text);

// "Russian / English" of a catalogue entry, escaped.
std::string said(MessageId id);

// A column's heading: the Russian, the English small beneath it.
std::string columnHeading(MessageId id);

std::string cell(const std::string& content, const char* tag = "td");
std::string number(const std::string& content);  // a right-aligned cell
std::string number(long long value);
std::string timeCell(const std::string& time);  // kept on one line

// One cell appended in place, for the pages with a row per QSO line:
// appendCell escapes its text, appendNumber is cell and number() in one.
void appendCell(std::string& row, std::string_view text);
void appendNumber(std::string& row, long long value);

// `text` as a page shows it: the text itself when nothing in it is
// escaped, as nearly every field of a log, else escaped into `room`.
std::string_view htmlView(std::string_view text, std::string& room);
// The pieces appended in a room made once for them all: a table of a
// million rows, without a call per piece.
void appendPieces(std::string& out, std::initializer_list<std::string_view> pieces);

// A row of column headings, each from the catalogue.
std::string headingRow(std::initializer_list<MessageId> headings);

// A table that scrolls sideways inside its own box on a narrow screen, so
// the page itself never does.
std::string wideTable(const std::string& rows);

// The whole page: `title` (escaped already) and `body`.
std::string htmlPage(const std::string& title, const std::string& body);
// The same in place, for a page whose body is appended between the two.
void appendPageStart(std::string& page, const std::string& title);
void appendPageEnd(std::string& page);
