// The pieces every report is appended from: valid UTF-8, HTML escaping in
// place, cells and numbers.  The fast paths copy plain text as it is; each
// must give the bytes of the plain composition it stands in for.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

#include "checker/html_page.h"
#include "checker/report_text.h"
#include "contest/text.h"

namespace {

TEST(ReportPrimitives, ValidUtf8KeepsWholeCharactersAndMarksEveryOtherByte)
{
    const struct {
        std::string text, expected;
    } cases[] = {
        {"", ""},
        {"RA1A 599 05", "RA1A 599 05"},
        {"\t\r\n", "\t\r\n"},
        {std::string("a\0b", 3), "a?b"},
        {"\x01RA1A\x7F", "?RA1A\x7F"},
        {"№ é 😀", "№ é 😀"},
        {"\xFF" "A", "?A"},
        {"\x80", "?"},
        {"A\xD0", "A?"},          // cut at the end
        {"\xE2\x84", "??"},       // cut at the end, two bytes of three
        {"\xE2\x84" "A", "??A"},  // cut before the next character
        {"\xF8\x80\x80\x80\x80", "?????"},
        // The least and the most of each length pass; one past either
        // bound is no UTF-8: overlong, a surrogate, past U+10FFFF.
        {"\xC2\x80 \xDF\xBF", "\xC2\x80 \xDF\xBF"},
        {"\xC0\xAF \xC1\xBF", "?? ??"},
        {"\xE0\xA0\x80 \xEF\xBF\xBF", "\xE0\xA0\x80 \xEF\xBF\xBF"},
        {"\xE0\x9F\xBF", "???"},
        {"\xED\x9F\xBF \xEE\x80\x80", "\xED\x9F\xBF \xEE\x80\x80"},
        {"\xED\xA0\x80", "???"},
        {"\xF0\x90\x80\x80 \xF4\x8F\xBF\xBF", "\xF0\x90\x80\x80 \xF4\x8F\xBF\xBF"},
        {"\xF0\x8F\xBF\xBF", "????"},
        {"\xF4\x90\x80\x80", "????"},
        {"\xF5\x80\x80\x80", "????"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(validUtf8(c.text), c.expected) << c.text;
}

// Pieces of every kind a field of a log may hold: plain letters, the
// characters HTML escapes, control bytes, UTF-8 whole and cut, bytes that
// are no UTF-8.
std::string randomField(std::mt19937& random)
{
    static const std::string kPieces[] = {"A", "9", " ", "/", "'", "&", "<", ">", "\"", "\t", "\n", std::string(1, '\0'),
                                          "\x1F", "\x7F", "№", "\xE2\x84", "\xD0", "\x80", "\xFF", "😀", "\xC0\xAF",
                                          "\xED\xA0\x80"};
    std::string text;
    for (int n = std::uniform_int_distribution<int>(0, 5)(random); n > 0; --n)
        text += kPieces[random() % std::size(kPieces)];
    return text;
}

TEST(ReportPrimitives, HtmlInPlaceIsTheEscapeOfTheValidText)
{
    std::mt19937 random(20261208);
    for (int i = 0; i < 20000; ++i) {
        const std::string before = randomField(random), field = randomField(random);
        const std::string escaped = htmlEscaped(validUtf8(field));
        std::string out = before;
        appendHtml(out, field);
        ASSERT_EQ(out, before + escaped) << "field '" << field << "' after '" << before << "'";
        ASSERT_EQ(html(field), escaped);
        std::string row = before;
        appendCell(row, field);
        ASSERT_EQ(row, before + "<td>" + escaped + "</td>");
        std::string room = "stale";
        ASSERT_EQ(htmlView(field, room), escaped);
        std::string pieces = before;
        appendPieces(pieces, {"<td>", htmlView(field, room), "", "</td>"});
        ASSERT_EQ(pieces, row);
    }
}

// Every length from none to past the widest short move, at every offset
// of a word: the bytes copied, and not one byte before or after them.
TEST(ReportPrimitives, ShortTextsAreCopiedWholeAndNothingBeside)
{
    std::mt19937 random(8);
    for (std::size_t size = 0; size <= 40; ++size)
        for (std::size_t offset = 0; offset < 8; ++offset) {
            std::string text(size + offset, ' ');
            for (char& c : text)
                c = static_cast<char>(random());
            std::string out(size + 16, '#');
            char* const end = copyText(&out[8], std::string_view(text).substr(offset));
            EXPECT_EQ(end, &out[8] + size);
            EXPECT_EQ(out, std::string(8, '#') + text.substr(offset) + std::string(8, '#')) << size << " " << offset;
        }
}

TEST(ReportPrimitives, NumbersAsTheStandardLibraryWritesThem)
{
    for (long long value : {0LL, -1LL, 9LL, 10LL, -10LL, static_cast<long long>(INT_MAX),
                            static_cast<long long>(INT_MIN), LLONG_MAX, LLONG_MIN}) {
        std::string out = "x";
        appendDecimal(out, value);
        EXPECT_EQ(out, "x" + std::to_string(value));
        EXPECT_EQ(Decimal(value).view(), std::to_string(value));
        std::string row = "x";
        appendNumber(row, value);
        EXPECT_EQ(row, "x" + number(value));
    }
}

}  // namespace
