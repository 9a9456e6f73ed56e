// What the cross-check's reports share: their text, their order of logs
// and the category fields they show.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "checker/cross_check.h"

inline const char* const kCategoryNames[] = {"OPERATOR", "BAND", "MODE", "POWER"};

// Valid UTF-8 passes, but for control characters other than tab and line
// ends; any other byte becomes '?'.
std::string validUtf8(std::string_view text);
// The length of the character at `at` that validUtf8 keeps; 0 for a byte
// it makes '?'.
std::size_t keptCharacterLength(std::string_view text, std::size_t at);

// validUtf8(text) appended in place, each byte that `escaped` gives a text
// for (an HTML entity) written as that text.  Each run of bytes `plain`
// takes (printable ASCII, but what is escaped) is copied in one append:
// nearly every byte of a log is one.
template <typename Plain, typename Escaped>
void appendValidUtf8(std::string& out, std::string_view text, Plain plain, Escaped escaped)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto runEnd = static_cast<std::size_t>(std::find_if_not(text.begin() + i, text.end(), plain) - text.begin());
        out.append(text.data() + i, runEnd - i);
        if ((i = runEnd) == text.size())
            return;
        const std::size_t length = keptCharacterLength(text, i);
        if (const char* escape = escaped(text[i]))
            out += escape;
        else if (length > 0)
            out.append(text.data() + i, length);
        else
            out += '?';
        i += std::max<std::size_t>(length, 1);
    }
}

// The log's CLAIMED-SCORE, or empty.
std::string claimedScoreText(const LogCheck& log);

// Checked logs in rank order, then the files that were not checked, in the
// order given.
std::vector<std::size_t> rankedLogs(const CrossCheck& check);

// "12.3%": the share to a tenth, "0%" of nothing.
std::string percent(std::size_t part, std::size_t whole);

// A log's QSO lines (indices into log.qsos) in file order.
std::vector<std::size_t> inFileOrder(const LogCheck& log);

// "2025-12-20 2010" as logged; empty for a line that could not be read.
std::string loggedTime(const JudgedQso& judged);
// The same, written on the stack: the pages give a time per QSO line.
// With `colon`, "2025-12-20 20:10", as results.json gives it.
class LoggedTime {
public:
    explicit LoggedTime(const JudgedQso& judged, bool colon = false);
    std::string_view view() const { return {text_, size_}; }

private:
    char text_[16];
    std::size_t size_ = 0;
};
inline void appendLoggedTime(std::string& out, const JudgedQso& judged, bool colon = false)
{
    out += LoggedTime(judged, colon).view();
}

// Russian, then English: what a status means to the participant; empty
// for one that counts.
std::string statusExplained(QsoStatus status);

// "; верно / correct: RD4D", the NIL's call or the rules' refusal: what
// the participant needs beside a lost line's status, appended.
void appendVerdictDetails(std::string& out, const JudgedQso& judged, const QsoVerdict& verdict);

// "ZEMRIX 2025": the contest's name and the year it starts in.
std::string contestTitle(const ContestConfig& config);

// The bands any of `logs` counted a QSO on, in the order the rules keep
// them.
std::vector<std::string> bandsOf(const CrossCheck& check, const std::vector<std::size_t>& logs);

// How much of the claimed score the check took away; empty when the log
// claims none.  A verified score above the claim is no reduction.
std::string reduction(const CheckedLog& checked);
