#include "checker/participant_report.h"

#include <array>

#include "checker/html_page.h"
#include "checker/report_text.h"
#include "checker/reports.h"
#include "contest/text.h"

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

// `lines` each end in CR LF.
std::string textSection(MessageId heading, const std::string& lines)
{
    return "\r\n" + bilingual(heading) + ":\r\n" + (lines.empty() ? bilingual(MessageId::NoneInTheList) + "\r\n" : lines);
}

// Each line the check took away, as written, with its status and what that
// means (said once a report for all its lines).
std::string notCountedText(const CrossCheck& check, const CheckedLog& checked)
{
    std::array<std::string, kQsoStatusCount> explained;
    for (std::size_t s = 0; s < kQsoStatusCount; ++s)
        explained[s] = qsoStatusName(static_cast<QsoStatus>(s)) + (": " + statusExplained(static_cast<QsoStatus>(s)));
    std::string lines;
    for (std::size_t q : inFileOrder(checked.log)) {
        const QsoVerdict& verdict = checked.verdicts[q];
        if (countsInScore(verdict.status, check.config))
            continue;
        const JudgedQso& judged = checked.log.qsos[q];
        appendDecimal(lines, judged.qso.line);
        lines.append(": ").append(judged.qso.text()).append("\r\n    ");
        lines += explained[static_cast<std::size_t>(verdict.status)];
        appendVerdictDetails(lines, judged, verdict);
        lines += "\r\n";
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

// The status cells of a page, made once for all its rows: the name, and
// what it means escaped.
struct StatusCells {
    std::array<std::string, kQsoStatusCount> name, explained;

    StatusCells()
    {
        for (std::size_t s = 0; s < kQsoStatusCount; ++s) {
            appendCell(name[s], qsoStatusName(static_cast<QsoStatus>(s)));
            explained[s] = html(statusExplained(static_cast<QsoStatus>(s)));
        }
    }
};

// Asks for the bytes of a line's record before they are read.
void prefetch(const JudgedQso* judged)
{
    const auto* bytes = reinterpret_cast<const char*>(judged);
    for (std::size_t at = 0; judged && at < sizeof(JudgedQso); at += 64)
        __builtin_prefetch(bytes + at);
}

// The rows of the whole-log table, a row per QSO line: a contest has a
// million, so each is appended in place, without a text of its own.
class QsoRows {
public:
    QsoRows(const CrossCheck& check, const CrossReferences& references) : check_(check), references_(references) {}

    // Every QSO line of the log, in file order.  The line another log
    // matched lies anywhere in the contest's memory, and its texts apart
    // from it: waiting for them at each row took most of a page's time.  So
    // the matched lines are looked up first, each record is asked for two
    // strides before its row, and its sent exchange, which the row shows,
    // one stride before, when the record is there to say where it is.
    void appendAll(std::string& rows, const CheckedLog& checked)
    {
        constexpr std::size_t kStride = 8;
        const std::vector<std::size_t> order = inFileOrder(checked.log);
        theirs_.clear();
        for (std::size_t q : order)
            theirs_.push_back(references_.matchedLine(checked.verdicts[q]));
        theirs_.resize(order.size() + 2 * kStride, nullptr);  // nothing to ask for past the last row
        for (std::size_t k = 0; k < order.size(); ++k) {
            prefetch(theirs_[k + 2 * kStride]);
            if (const JudgedQso* soon = theirs_[k + kStride])
                __builtin_prefetch(soon->qso.exchangeSent().data());
            append(rows, checked.log.qsos[order[k]], checked.verdicts[order[k]], theirs_[k]);
        }
    }

private:
    // Each row in three appends of its pieces: a call per cell cost more
    // than what the cells hold.
    void append(std::string& rows, const JudgedQso& judged, const QsoVerdict& verdict, const JudgedQso* theirs)
    {
        const bool counts = countsInScore(verdict.status, check_.config);
        const auto status = static_cast<std::size_t>(verdict.status);
        const QsoRecord& qso = judged.qso;
        const Decimal line(qso.line), points(counts ? verdict.points : 0);
        appendPieces(rows, {counts ? "<tr>" : "<tr class=\"lost\">", "<td class=\"n\">", line.view(),
                            "</td><td class=\"t\">", LoggedTime(judged).view(), "</td><td>",
                            htmlView(qso.band(), room_[0]), "</td><td>", htmlView(qso.mode(), room_[1]), "</td><td>",
                            htmlView(qso.workedCallsign(), room_[2]), "</td><td>",
                            htmlView(qso.exchangeReceived(), room_[3]), "</td>", status_.name[status],
                            "<td class=\"n\">", points.view(), "</td>"});
        if (theirs) {
            const Decimal theirLine(theirs->qso.line);
            appendPieces(rows, {"<td>", htmlView(matchedCall(check_, verdict), room_[0]), "</td><td class=\"n\">",
                                theirLine.view(), "</td><td class=\"t\">", LoggedTime(*theirs).view(), "</td><td>",
                                htmlView(theirs->qso.exchangeSent(), room_[1]), "</td>"});
        } else {
            rows += "<td></td><td></td><td></td><td></td>";
        }
        std::string_view lost;
        if (!counts) {
            details_.clear();
            appendVerdictDetails(details_, judged, verdict);
            lost = htmlView(details_, room_[0]);
        }
        appendPieces(rows, {"<td>", counts ? std::string_view() : status_.explained[status], lost, "</td></tr>\n"});
    }

    const CrossCheck& check_;
    const CrossReferences& references_;
    const StatusCells status_;
    std::vector<const JudgedQso*> theirs_;  // in file order, then null
    std::string details_;  // room for a lost line's details before they are escaped
    std::string room_[4];  // for the few texts that are escaped
};

void appendEveryQsoLine(std::string& page, const CrossCheck& check, const CrossReferences& references,
                        const CheckedLog& checked)
{
    page += "<h2>" + said(MessageId::WholeLogHeading) + "</h2>\n<div class=\"wide\"><table>\n" + wholeLogHeading();
    QsoRows(check, references).appendAll(page, checked);
    page += "</table></div>\n";
}

}  // namespace

std::string participantReport(const CrossCheck& check, const CrossReferences& references, std::size_t logIndex)
{
    const CheckedLog& checked = check.logs[logIndex];
    std::string text = bilingual(MessageId::ReportTitle, {contestTitle(check.config)}) + "\r\n\r\n";
    for (const Labelled& item : summaryOf(checked))
        text += item.label + ": " + item.value + "\r\n";
    std::string bands, bustedBy;
    for (const BandScore& band : checked.score.bands)
        bands += band.band + ": " + bandText(band) + "\r\n";
    for (const BustedByLine& line : bustedByOf(check, references, logIndex))
        bustedBy += line.log + " " + line.time + " (" + bilingual(MessageId::ColumnLine) + " " +
                    std::to_string(line.line) + "): " + line.copiedAs + "\r\n";
    text += textSection(MessageId::ByBandHeading, bands) + textSection(MessageId::BustedByHeading, bustedBy) +
            notCountedText(check, checked);
    return validUtf8(text);
}

void appendWholeLogPage(std::string& page, const CrossCheck& check, const CrossReferences& references,
                        std::size_t logIndex)
{
    const CheckedLog& checked = check.logs[logIndex];
    const std::string title = html(bilingual(MessageId::WholeLogOf, {checked.log.callsign}));
    appendPageStart(page, title);
    page += "<h1>" + title + "</h1>\n<p><a href=\"../results.html\">" + said(MessageId::BackToResults) +
            "</a> &middot; <a href=\"" + html(participantReportName(checked.log.callsign)) + "\">" +
            said(MessageId::LostLinesReport) + "</a></p>\n";
    page += summaryTable(checked) + bandsTable(checked.score) + bustedByTable(bustedByOf(check, references, logIndex));
    appendEveryQsoLine(page, check, references, checked);
    appendPageEnd(page);
}
