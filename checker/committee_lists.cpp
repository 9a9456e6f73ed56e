// lists.html: what the committee reads line by line before it publishes:
// every busted call with the correct call and who busted it, every NIL,
// and the calls only one log holds.
#include <algorithm>
#include <tuple>

#include "checker/cross_references.h"
#include "checker/html_page.h"
#include "checker/report_text.h"
#include "checker/reports.h"

namespace {

// The lines of one status, ordered by the call the list is about, then by
// log and line.
template <typename CallOf>
std::vector<LineOf> linesOf(const CrossCheck& check, QsoStatus status, CallOf callOf)
{
    std::vector<LineOf> lines;
    for (std::size_t i = 0; i < check.logs.size(); ++i)
        for (std::size_t q = 0; q < check.logs[i].verdicts.size(); ++q)
            if (check.logs[i].verdicts[q].status == status)
                lines.push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(q)});
    const auto key = [&](const LineOf& at) {
        const CheckedLog& checked = check.logs[at.log];
        return std::make_tuple(callOf(checked, at.qso), std::string_view(checked.log.callsign),
                               checked.log.qsos[at.qso].qso.line);
    };
    std::sort(lines.begin(), lines.end(), [&](const LineOf& a, const LineOf& b) { return key(a) < key(b); });
    return lines;
}

std::string_view workedCall(const CheckedLog& checked, std::size_t q)
{
    return checked.log.qsos[q].qso.workedCallsign();
}

std::string_view correctCall(const CheckedLog& checked, std::size_t q)
{
    return checked.verdicts[q].correctCall();
}

// The cells every list gives of the line itself: its log, line, time,
// band and mode.
std::string whereLogged(const CheckedLog& checked, std::size_t q)
{
    const JudgedQso& judged = checked.log.qsos[q];
    return cell(html(checked.log.callsign)) + number(judged.qso.line) + timeCell(loggedTime(judged)) +
           cell(html(judged.qso.band())) + cell(html(judged.qso.mode()));
}

// `callColumns` head the cells of the calls, `logColumn` the log's.
std::string list(MessageId heading, std::initializer_list<MessageId> callColumns, MessageId logColumn,
                 const std::string& rows)
{
    std::string headings = "<tr>";
    for (MessageId id : callColumns)
        headings += cell(columnHeading(id), "th");
    for (MessageId id : {logColumn, MessageId::ColumnLine, MessageId::ColumnTime, MessageId::ColumnBand,
                         MessageId::ColumnMode})
        headings += cell(columnHeading(id), "th");
    return "<h2>" + said(heading) + "</h2>\n" +
           (rows.empty() ? "<p>" + said(MessageId::NoneInTheList) + "</p>\n" : wideTable(headings + "</tr>\n" + rows));
}

std::string bustedCalls(const CrossCheck& check)
{
    std::string rows;
    for (const LineOf& at : linesOf(check, QsoStatus::BustedCall, correctCall)) {
        const CheckedLog& checked = check.logs[at.log];
        rows += "<tr>" + cell(html(correctCall(checked, at.qso))) + cell(html(workedCall(checked, at.qso))) +
                whereLogged(checked, at.qso) + "</tr>\n";
    }
    return list(MessageId::BustedCallsHeading, {MessageId::ColumnCorrectCall, MessageId::ColumnCopiedAs},
                MessageId::ColumnBustedBy, rows);
}

// The lines of one status by the call they logged.
std::string byLoggedCall(const CrossCheck& check, QsoStatus status, MessageId heading)
{
    std::string rows;
    for (const LineOf& at : linesOf(check, status, workedCall)) {
        const CheckedLog& checked = check.logs[at.log];
        rows += "<tr>" + cell(html(workedCall(checked, at.qso))) + whereLogged(checked, at.qso) + "</tr>\n";
    }
    return list(heading, {MessageId::ColumnCall}, MessageId::ColumnLoggedBy, rows);
}

}  // namespace

std::string committeeListsHtml(const CrossCheck& check)
{
    const std::string title = html(Message{MessageId::CommitteeListsOf, {contestTitle(check.config)}}.bilingual());
    return htmlPage(title, "<h1>" + title + "</h1>\n<p><a href=\"results.html\">" + said(MessageId::BackToResults) +
                               "</a></p>\n" + bustedCalls(check) +
                               byLoggedCall(check, QsoStatus::Nil, MessageId::NilsHeading) +
                               byLoggedCall(check, QsoStatus::Unique, MessageId::OneLogCallsHeading));
}
