// results.html: the organiser's one page of the cross-check: which contest,
// the notes on the files, the results overall and by category with each
// log's losses and bands, the logs that cost others most, the calls to ask
// logs of, the clocks found off and the files not checked.
#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "cabrillo/cabrillo_log.h"
#include "checker/html_page.h"
#include "checker/report_text.h"
#include "checker/reports.h"
#include "checker/standings.h"

namespace {

std::string categoryOf(const LogCheck& log)
{
    std::string label;
    for (const char* name : kCategoryNames) {
        const std::string value = log.header.category(name);
        if (!value.empty())
            label += (label.empty() ? "" : " ") + value;
    }
    return label.empty() ? Message{MessageId::NoCategory}.bilingual() : label;
}

// Where a value stands in the contest's own list of it (single-op before
// multi-op, high power before low); values it does not know come after.
std::size_t placeIn(const char* const* known, const std::string& value)
{
    std::size_t at = 0;
    while (known[at] && value != known[at])
        ++at;
    return at;
}

using CategoryOrder = std::tuple<std::size_t, std::size_t, std::size_t, std::size_t, std::string>;

CategoryOrder categoryOrder(const LogCheck& log)
{
    const LogHeader& header = log.header;
    return {placeIn(kOperatorCategories, header.category("OPERATOR")), placeIn(kPowerCategories, header.category("POWER")),
            placeIn(kBandCategories, header.category("BAND")), placeIn(kModeCategories, header.category("MODE")),
            categoryOf(log)};
}

// What the page heads: the contest, its period and when it was checked.
std::string aboutTheContest(const CrossCheck& check)
{
    const ContestConfig& config = check.config;
    const auto utc = [](const std::optional<CivilTime>& time) {
        return time ? formatCivilTime(*time, "%Y-%m-%d %H:%M") : std::string("-");
    };
    std::string about = "<h1>" + html(Message{MessageId::CheckedResultsOf, {contestTitle(config)}}.bilingual()) +
                        "</h1>\n<p>" + said(MessageId::ContestPeriodLabel) + ": " + utc(config.start) + " &ndash; " +
                        utc(config.end) + " UTC";
    if (config.checkedAt)
        about += ". " + said(MessageId::CheckedAtLabel) + ": " + utc(config.checkedAt) + " UTC";
    return about + ".<br>\n<a href=\"" + std::string(kCommitteeListsPage) + "\">" +
           said(MessageId::CommitteeListsLink) + "</a></p>\n";
}

// The checklogs the organiser named that came in, which helped to check
// the others.
std::string checklogsOf(const CrossCheck& check)
{
    std::string calls;
    for (const CheckedLog& checked : check.logs)
        if (checked.log.state == LogState::Checked && !isRanked(check, checked))
            calls += (calls.empty() ? "" : ", ") + html(checked.log.callsign);
    return calls.empty() ? std::string() : "<p>" + said(MessageId::ChecklogsLabel) + ": " + calls + "</p>\n";
}

std::string statusCount(const LogScore& score, std::initializer_list<QsoStatus> statuses)
{
    long long count = 0;
    for (QsoStatus status : statuses)
        count += score.statusCounts[static_cast<std::size_t>(status)];
    return number(count);
}

// The call links to the whole log; the text report of the lines lost
// stands beside it.
std::string callWithItsPages(const std::string& callsign)
{
    return cell("<a href=\"ubn/" + html(wholeLogPageName(callsign)) + "\">" + html(callsign) + "</a> <small>(<a href=\"ubn/" +
                html(participantReportName(callsign)) + "\">txt</a>)</small>");
}

// The two rows of headings: the columns of the whole log, then a group of
// columns per band.
std::string resultsHeading(const std::vector<std::string>& bands, bool withCategory)
{
    const std::string rowspan = bands.empty() ? "<th>" : "<th rowspan=\"2\">";
    const auto spanning = [&rowspan](MessageId id) { return rowspan + columnHeading(id) + "</th>"; };
    std::string first = "<tr>" + spanning(MessageId::ColumnPlace) + spanning(MessageId::ColumnCall);
    if (withCategory)
        first += spanning(MessageId::ColumnCategory);
    for (MessageId id : {MessageId::ColumnClaimed, MessageId::ColumnVerified, MessageId::ColumnReduction,
                         MessageId::ColumnQsoLines, MessageId::ColumnCounted})
        first += spanning(id);
    first += rowspan + "NIL</th>";
    for (MessageId id : {MessageId::ColumnBusted, MessageId::ColumnUnique, MessageId::ColumnPoints,
                         MessageId::ColumnMultipliers, MessageId::ColumnOffset})
        first += spanning(id);
    std::string second = "<tr>";
    for (const std::string& band : bands) {
        first += "<th colspan=\"4\">" + html(band) + "</th>";
        second += cell("CW", "th") + cell("SSB", "th") + cell(columnHeading(MessageId::ColumnPoints), "th") +
                  cell(columnHeading(MessageId::ColumnMultipliers), "th");
    }
    return first + "</tr>\n" + (bands.empty() ? std::string() : second + "</tr>\n");
}

std::string bandCells(const LogScore& score, const std::vector<std::string>& bands)
{
    std::string cells;
    for (const std::string& band : bands) {
        const auto row = std::find_if(score.bands.begin(), score.bands.end(),
                                      [&band](const BandScore& counted) { return counted.band == band; });
        const BandScore none;
        const BandScore& counted = row == score.bands.end() ? none : *row;
        cells += number(counted.cw) + number(counted.ssb) + number(counted.points) + number(counted.newMultipliers);
    }
    return cells;
}

std::string resultRow(const CheckedLog& checked, int place, const std::vector<std::string>& bands, bool withCategory)
{
    const LogScore& score = checked.score;
    std::string row = "<tr>" + number(place) + callWithItsPages(checked.log.callsign);
    if (withCategory)
        row += cell(html(categoryOf(checked.log)));
    return row + number(claimedScoreText(checked.log)) + number("<b>" + std::to_string(score.verifiedScore) + "</b>") +
           number(reduction(checked)) + number(static_cast<long long>(checked.log.qsos.size())) +
           number(score.countedQsos) + statusCount(score, {QsoStatus::Nil}) +
           statusCount(score, {QsoStatus::BustedCall, QsoStatus::BustedExch}) +
           statusCount(score, {QsoStatus::Unique}) + number(score.points) + number(score.multipliers) +
           number(score.clockOffsetMinutes) + bandCells(score, bands) + "</tr>\n";
}

std::string resultsTable(const CrossCheck& check, const std::vector<std::size_t>& logs, bool withCategory)
{
    const std::vector<std::string> bands = bandsOf(check, logs);
    std::string rows = resultsHeading(bands, withCategory);
    const std::vector<int> places = placesOf(check, logs);
    for (std::size_t k = 0; k < logs.size(); ++k)
        rows += resultRow(check.logs[logs[k]], places[k], bands, withCategory);
    return wideTable(rows);
}

std::string results(const CrossCheck& check)
{
    std::vector<std::size_t> ranked;
    std::map<CategoryOrder, std::vector<std::size_t>> byCategory;
    for (std::size_t i : rankedLogs(check))
        if (isRanked(check, check.logs[i])) {
            ranked.push_back(i);
            byCategory[categoryOrder(check.logs[i].log)].push_back(i);
        }
    std::string out = "<h2>" + said(MessageId::ResultsHeading) + "</h2>\n<h3>" + said(MessageId::AllParticipants) +
                      "</h3>\n" + resultsTable(check, ranked, true);
    for (const auto& [order, logs] : byCategory)
        out += "<h3>" + html(std::get<std::string>(order)) + "</h3>\n" + resultsTable(check, logs, false);
    return out + checklogsOf(check);
}

bool costsOthers(QsoStatus status)
{
    return status == QsoStatus::Nil || status == QsoStatus::BustedCall || status == QsoStatus::BustedExch;
}

struct Cost {
    double share;
    std::size_t lost, lines;
    std::string call;
};

// The QSOs each checked log's partners lost with it: the station worked
// or, for a miscopied call, the one really worked; ranked by their share
// of the log's lines, so that careless logs show and not the busiest.
std::vector<Cost> costsToOthers(const CrossCheck& check)
{
    std::map<std::string, std::size_t> linesOf;
    for (const CheckedLog& checked : check.logs)
        if (checked.log.state == LogState::Checked &&
            checked.log.qsos.size() >= static_cast<std::size_t>(check.config.costRankingMinQsos))
            linesOf[checked.log.callsign] = checked.log.qsos.size();
    std::map<std::string, std::size_t> lost;
    for (const CheckedLog& checked : check.logs)
        for (std::size_t q = 0; q < checked.verdicts.size(); ++q) {
            const QsoVerdict& verdict = checked.verdicts[q];
            if (!costsOthers(verdict.status))
                continue;
            const std::string other(verdict.correctCall().empty() ? checked.log.qsos[q].qso.workedCallsign()
                                                                  : verdict.correctCall());
            if (linesOf.count(other))
                ++lost[other];
        }
    std::vector<Cost> costs;
    for (const auto& [call, count] : lost)
        costs.push_back({static_cast<double>(count) / static_cast<double>(linesOf[call]), count, linesOf[call], call});
    std::sort(costs.begin(), costs.end(), [](const Cost& a, const Cost& b) {
        return a.share != b.share ? a.share > b.share : a.call < b.call;
    });
    return costs;
}

std::string costliestLogs(const CrossCheck& check)
{
    const std::vector<Cost> costs = costsToOthers(check);
    std::string rows = headingRow({MessageId::ColumnCall, MessageId::ColumnQsoLines, MessageId::ColumnLostByPartners,
                                   MessageId::ColumnShare});
    for (std::size_t i = 0; i < costs.size() && i < 20; ++i)
        rows += "<tr>" + cell(html(costs[i].call)) + number(static_cast<long long>(costs[i].lines)) +
                number(static_cast<long long>(costs[i].lost)) + number(percent(costs[i].lost, costs[i].lines)) +
                "</tr>\n";
    return "<h2>" + said(MessageId::CostliestHeading) + "</h2>\n<p>" +
           html(Message{MessageId::CostliestExplained, {std::to_string(check.config.costRankingMinQsos)}}.bilingual()) +
           "</p>\n" + wideTable(rows);
}

std::string callsWithoutLogs(const CrossCheck& check)
{
    std::map<std::string, std::set<std::string>> workedBy;
    for (const CheckedLog& checked : check.logs)
        for (std::size_t q = 0; q < checked.verdicts.size(); ++q) {
            const QsoStatus status = checked.verdicts[q].status;
            if (status == QsoStatus::NoLog || (status == QsoStatus::BustedExch && checked.verdicts[q].matchedLog == kNoMatch))
                workedBy[std::string(checked.log.qsos[q].qso.workedCallsign())].insert(checked.log.callsign);
        }
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (const auto& [call, logs] : workedBy)
        ranked.emplace_back(logs.size(), call);
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::string rows = headingRow({MessageId::ColumnCall, MessageId::ColumnLogsThatWorkedIt});
    for (std::size_t i = 0; i < ranked.size() && i < 30; ++i)
        rows += "<tr>" + cell(html(ranked[i].second)) + number(static_cast<long long>(ranked[i].first)) + "</tr>\n";
    return "<h2>" + said(MessageId::CallsWithoutLogsHeading) + "</h2>\n" + wideTable(rows);
}

std::string clockOffsets(const CrossCheck& check)
{
    std::string rows = headingRow({MessageId::ColumnCall, MessageId::ColumnOffset, MessageId::ColumnFromMatchedQsos});
    for (const CheckedLog& checked : check.logs)
        if (checked.log.state == LogState::Checked && checked.score.clockOffsetMinutes != 0)
            rows += "<tr>" + cell(html(checked.log.callsign)) + number(checked.score.clockOffsetMinutes) +
                    number(checked.score.offsetMatches) + "</tr>\n";
    return "<h2>" + said(MessageId::ClockOffsetsHeading) + "</h2>\n" + wideTable(rows);
}

// The choices the check made for the organiser, which he may overrule.
std::string notesOnTheFiles(const CrossCheck& check)
{
    std::string items;
    for (const Message& note : check.notes)
        items += "<li>" + html(note.bilingual()) + "</li>\n";
    return items.empty() ? std::string() : "<h2>" + said(MessageId::NotesHeading) + "</h2>\n<ul>\n" + items + "</ul>\n";
}

std::string filesNotChecked(const CrossCheck& check)
{
    std::string rows;
    for (const CheckedLog& checked : check.logs)
        if (checked.log.state != LogState::Checked)
            rows += "<tr>" + cell(html(checked.log.fileName)) + cell(logStateName(checked.log.state)) +
                    cell(html(checked.log.stateReason->bilingual())) + "</tr>\n";
    if (rows.empty())
        return {};
    return "<h2>" + said(MessageId::FilesNotCheckedHeading) + "</h2>\n" +
           wideTable(headingRow({MessageId::ColumnFile, MessageId::ColumnStatus, MessageId::ColumnWhy}) + rows);
}

}  // namespace

std::string resultsHtml(const CrossCheck& check)
{
    return htmlPage(html(Message{MessageId::CheckedResultsOf, {contestTitle(check.config)}}.bilingual()),
                    aboutTheContest(check) + notesOnTheFiles(check) + results(check) + costliestLogs(check) +
                        callsWithoutLogs(check) + clockOffsets(check) + filesNotChecked(check));
}
