#include "checker/participant_report.h"

#include <array>

#include "checker/html_page.h"
#include "checker/report_text.h"
#include "checker/reports.h"

namespace {

struct Labelled {
    std::string label, value;  // as text, the label in both languages
};

std::string bilingual(MessageId id, std::vector<std::string> values = {})
{
    return Message{id, std::move(values)}.bilingual();
}

std::vector<Labelled> summaryOf(const CheckedLog& checked)
{
    const LogCheck& log = checked.log;
    const LogScore& score = checked.score;
    std::vector<Labelled> summary = {
        {bilingual(MessageId::ColumnCall), log.callsign},
        {bilingual(MessageId::ColumnFile), log.fileName},
        {bilingual(MessageId::ColumnClaimed), log.claimedScore ? std::to_string(*log.claimedScore) : "-"},
        {bilingual(MessageId::ColumnVerified), std::to_string(score.verifiedScore) + " = " +
                                                   std::to_string(score.points) + " * " +
                                                   std::to_string(score.multipliers)}};
    if (!reduction(checked).empty())
        summary.push_back({bilingual(MessageId::ColumnReduction), reduction(checked)});
    summary.push_back({bilingual(MessageId::ColumnQsoLines), std::to_string(log.qsos.size()) + ", " +
                                                                  bilingual(MessageId::ColumnCounted) + ": " +
                                                                  std::to_string(score.countedQsos)});
    if (score.penaltyPoints > 0)
        summary.push_back({bilingual(MessageId::PenaltyPointsLabel), std::to_string(score.penaltyPoints)});
    summary.push_back({bilingual(MessageId::ColumnOffset),
                       bilingual(MessageId::ClockOffsetFound, {std::to_string(score.clockOffsetMinutes),
                                                               std::to_string(score.offsetMatches)})});
    for (const Message& problem : log.headerProblems)
        summary.push_back({bilingual(MessageId::HeaderLabel), problem.bilingual()});
    return summary;
}

std::string bandText(const BandScore& band)
{
    return "CW " + std::to_string(band.cw) + ", SSB " + std::to_string(band.ssb) + "; " +
           bilingual(MessageId::ColumnPoints) + ": " + std::to_string(band.points) + "; " +
           bilingual(MessageId::ColumnMultipliers) + ": " + std::to_string(band.newMultipliers);
}

// A line of another log that miscopied the participant's call.
struct BustedByLine {
    std::string log, time, copiedAs;
    int line;
};

std::vector<BustedByLine> bustedByOf(const CrossCheck& check, const CrossReferences& references, std::size_t logIndex)
{
    std::vector<BustedByLine> lines;
    for (const LineOf& at : references.bustedBy(logIndex)) {
        const CheckedLog& other = check.logs[at.log];
        const JudgedQso& judged = other.log.qsos[at.qso];
        lines.push_back({other.log.callsign, loggedTime(judged), std::string(judged.qso.workedCallsign()), judged.qso.line});
    }
    return lines;
}

std::string textSection(MessageId heading, const std::vector<std::string>& lines)
{
    std::string text = "\r\n" + bilingual(heading) + ":\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return lines.empty() ? text + bilingual(MessageId::NoneInTheList) + "\r\n" : text;
}

std::string notCountedText(const CrossCheck& check, const CheckedLog& checked)
{
    std::vector<std::string> lines;
    for (std::size_t q : inFileOrder(checked.log)) {
        const QsoVerdict& verdict = checked.verdicts[q];
        if (countsInScore(verdict.status, check.config))
            continue;
        const JudgedQso& judged = checked.log.qsos[q];
        lines.push_back(std::to_string(judged.qso.line) + ": " + std::string(judged.qso.text()) + "\r\n    " +
                        qsoStatusName(verdict.status) + ": " + statusExplained(verdict.status) +
                        verdictDetails(judged, verdict));
    }
    return textSection(MessageId::NotCountedHeading, lines);
}

// The HTML table of a section: one row of headings, then the rows.
std::string htmlSection(MessageId heading, const std::string& headings, const std::string& rows)
{
    return "<h2>" + said(heading) + "</h2>\n" +
           (rows.empty() ? "<p>" + said(MessageId::NoneInTheList) + "</p>\n" : wideTable(headings + rows));
}

std::string summaryTable(const CheckedLog& checked)
{
    std::string rows;
    for (const Labelled& item : summaryOf(checked))
        rows += "<tr>" + cell(html(item.label), "th") + cell(html(item.value)) + "</tr>\n";
    return wideTable(rows);
}

std::string bandsTable(const LogScore& score)
{
    std::string rows;
    for (const BandScore& band : score.bands)
        rows += "<tr>" + cell(html(band.band)) + number(band.cw) + number(band.ssb) + number(band.points) +
                number(band.newMultipliers) + "</tr>\n";
    const std::string headings = "<tr>" + cell(columnHeading(MessageId::ColumnBand), "th") + cell("CW", "th") +
                                 cell("SSB", "th") + cell(columnHeading(MessageId::ColumnPoints), "th") +
                                 cell(columnHeading(MessageId::ColumnMultipliers), "th") + "</tr>\n";
    return htmlSection(MessageId::ByBandHeading, headings, rows);
}

std::string bustedByTable(const std::vector<BustedByLine>& lines)
{
    std::string rows;
    for (const BustedByLine& line : lines)
        rows += "<tr>" + cell(html(line.log)) + number(line.line) + timeCell(line.time) + cell(html(line.copiedAs)) +
                "</tr>\n";
    return htmlSection(MessageId::BustedByHeading,
                       headingRow({MessageId::ColumnLoggedBy, MessageId::ColumnLine, MessageId::ColumnTime,
                                   MessageId::ColumnCopiedAs}),
                       rows);
}

std::string wholeLogHeading()
{
    const auto spanning = [](MessageId id) { return "<th rowspan=\"2\">" + columnHeading(id) + "</th>"; };
    std::string first = "<tr>";
    for (MessageId id : {MessageId::ColumnLine, MessageId::ColumnTime, MessageId::ColumnBand, MessageId::ColumnMode,
                         MessageId::ColumnCall, MessageId::ColumnExchange, MessageId::ColumnStatus,
                         MessageId::ColumnPoints})
        first += spanning(id);
    first += "<th colspan=\"4\">" + columnHeading(MessageId::InTheOtherLog) + "</th>" + spanning(MessageId::ColumnCorrection);
    return first + "</tr>\n" +
           headingRow({MessageId::ColumnCall, MessageId::ColumnLine, MessageId::ColumnTime, MessageId::ColumnExchange});
}

// What each status means, escaped once for all the rows of a page.
using StatusTexts = std::array<std::string, kQsoStatusCount>;

StatusTexts statusTexts()
{
    StatusTexts texts;
    for (std::size_t s = 0; s < kQsoStatusCount; ++s)
        texts[s] = html(statusExplained(static_cast<QsoStatus>(s)));
    return texts;
}

// One row a QSO line: a contest has a million, so the row is appended in
// place.
void appendQsoRow(std::string& rows, const CrossCheck& check, const CrossReferences& references,
                  const StatusTexts& explained, const JudgedQso& judged, const QsoVerdict& verdict)
{
    const bool counts = countsInScore(verdict.status, check.config);
    const QsoRecord& qso = judged.qso;
    rows += counts ? "<tr>" : "<tr class=\"lost\">";
    appendNumber(rows, qso.line);
    rows += "<td class=\"t\">";
    appendLoggedTime(rows, judged);
    rows += "</td>";
    for (std::string_view field : {qso.band(), qso.mode(), qso.workedCallsign(), qso.exchangeReceived()})
        appendCell(rows, field);
    appendCell(rows, qsoStatusName(verdict.status));
    appendNumber(rows, counts ? verdict.points : 0);
    if (const JudgedQso* theirs = references.matchedLine(verdict)) {
        appendCell(rows, matchedCall(check, verdict));
        appendNumber(rows, theirs->qso.line);
        rows += "<td class=\"t\">";
        appendLoggedTime(rows, *theirs);
        rows += "</td>";
        appendCell(rows, theirs->qso.exchangeSent());
    } else {
        rows += "<td></td><td></td><td></td><td></td>";
    }
    rows += "<td>";
    if (!counts)
        rows += explained[static_cast<std::size_t>(verdict.status)] + html(verdictDetails(judged, verdict));
    rows += "</td></tr>\n";
}

// Appended to the page in place, as the rows are: the table is most of it.
void appendEveryQsoLine(std::string& page, const CrossCheck& check, const CrossReferences& references,
                        const CheckedLog& checked)
{
    const StatusTexts explained = statusTexts();
    page += "<h2>" + said(MessageId::WholeLogHeading) + "</h2>\n<div class=\"wide\"><table>\n" + wholeLogHeading();
    for (std::size_t q : inFileOrder(checked.log))
        appendQsoRow(page, check, references, explained, checked.log.qsos[q], checked.verdicts[q]);
    page += "</table></div>\n";
}

}  // namespace

std::string participantReport(const CrossCheck& check, const CrossReferences& references, std::size_t logIndex)
{
    const CheckedLog& checked = check.logs[logIndex];
    std::string text = bilingual(MessageId::ReportTitle, {contestTitle(check.config)}) + "\r\n\r\n";
    for (const Labelled& item : summaryOf(checked))
        text += item.label + ": " + item.value + "\r\n";
    std::vector<std::string> bands, bustedBy;
    for (const BandScore& band : checked.score.bands)
        bands.push_back(band.band + ": " + bandText(band));
    for (const BustedByLine& line : bustedByOf(check, references, logIndex))
        bustedBy.push_back(line.log + " " + line.time + " (" + bilingual(MessageId::ColumnLine) + " " +
                           std::to_string(line.line) + "): " + line.copiedAs);
    text += textSection(MessageId::ByBandHeading, bands) + textSection(MessageId::BustedByHeading, bustedBy) +
            notCountedText(check, checked);
    return validUtf8(text);
}

std::string wholeLogPage(const CrossCheck& check, const CrossReferences& references, std::size_t logIndex)
{
    const CheckedLog& checked = check.logs[logIndex];
    const std::string title = html(bilingual(MessageId::WholeLogOf, {checked.log.callsign}));
    const std::string links = "<p><a href=\"../results.html\">" + said(MessageId::BackToResults) +
                              "</a> &middot; <a href=\"" + html(participantReportName(checked.log.callsign)) + "\">" +
                              said(MessageId::LostLinesReport) + "</a></p>\n";
    std::string body = "<h1>" + title + "</h1>\n" + links + summaryTable(checked) + bandsTable(checked.score) +
                       bustedByTable(bustedByOf(check, references, logIndex));
    appendEveryQsoLine(body, check, references, checked);
    return htmlPage(title, body);
}
