#include "report_html.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>

#include "logfile/band_plan.h"
#include "logfile/text.h"
#include "messages/message_catalogue.h"
#include "rules/acceptance.h"

namespace {

// Longer runs get no bar chart: it would be all bars and no reading.
const std::size_t kMostHoursCharted = 24 * 14;

struct Colour {
    const char* label;
    const char* colour;
};

// Every band of the band plan in frequency order, each with the colour it
// has in every chart of every report.
const Colour kBandColours[] = {
    {"2190m", "#6b4f2a"}, {"630m", "#8c6d3f"}, {"160m", "#5d6d7e"}, {"80m", "#2f6db5"},  {"60m", "#17a2b8"},
    {"40m", "#e08a1e"},   {"30m", "#7f8c8d"},  {"20m", "#b8433f"},  {"17m", "#a3a3a3"},  {"15m", "#7d5ba6"},
    {"12m", "#c7b299"},   {"10m", "#d467b0"},  {"6m", "#3a9a5b"},   {"4m", "#9bbb59"},   {"2m", "#1b998b"},
    {"1.25m", "#ff9f80"}, {"70cm", "#4b3f72"}, {"33cm", "#c9a227"}, {"23cm", "#2d4a6b"}, {"13cm", "#a23e48"},
};
const char kOtherColour[] = "#9aa5b1";

// The modes that count, each with its colour in every chart.
const Colour kModeColours[] = {{"CW", "#0f766e"}, {"SSB", "#9d174d"}};

template <std::size_t N>
const char* colourIn(const Colour (&table)[N], const std::string& label)
{
    for (const Colour& entry : table)
        if (label == entry.label)
            return entry.colour;
    return kOtherColour;
}

const char* bandColour(const std::string& band) { return colourIn(kBandColours, band); }
const char* modeColour(const std::string& mode) { return colourIn(kModeColours, mode); }

std::string escaped(const std::string& text) { return htmlEscaped(text); }

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

std::vector<std::string> cells(const std::string& row)
{
    std::vector<std::string> result;
    std::string::size_type at = 0;
    for (;;) {
        const auto tab = row.find('\t', at);
        result.push_back(trimmed(row.substr(at, tab - at)));
        if (tab == std::string::npos)
            return result;
        at = tab + 1;
    }
}

CivilTime hourOf(CivilTime time)
{
    time.minute = time.second = 0;
    return time;
}

double secondsOf(const CivilTime& time) { return std::round(oleDateFromCivilTime(time) * 86400.0); }

// Whole hours from `from` to `to`; both on the hour.
long hoursBetween(const CivilTime& from, const CivilTime& to)
{
    return std::lround((oleDateFromCivilTime(to) - oleDateFromCivilTime(from)) * 24.0);
}

std::string utcText(const CivilTime& time) { return formatCivilTime(time, "%Y-%m-%d %H:%M"); }

// Band labels in frequency order; those outside the band plan last.
std::vector<std::string> inFrequencyOrder(std::vector<std::string> bands)
{
    const auto lowEdge = [](const std::string& label) {
        const AmateurBand* band = bandLabelled(label);
        return band ? band->lowKhz : UINT32_MAX;
    };
    std::stable_sort(bands.begin(), bands.end(),
                     [&](const std::string& a, const std::string& b) { return lowEdge(a) < lowEdge(b); });
    return bands;
}

std::vector<std::string> bandsOf(const std::vector<LoggedQso>& qsos)
{
    std::vector<std::string> bands;
    for (const LoggedQso& qso : qsos)
        if (std::find(bands.begin(), bands.end(), qso.band) == bands.end())
            bands.push_back(qso.band);
    return inFrequencyOrder(bands);
}

// The results text of GetResult0: title lines, a table whose first row is
// the column heads, and the score line.
struct Results {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> table;
    std::string score;
};

Results parsedResults(const std::string& text)
{
    Results results;
    for (const std::string& line : lines(text)) {
        if (trimmed(line).empty())
            continue;
        if (line.rfind("Score:", 0) == 0)
            results.score = line;
        else if (results.titles.size() < 2)
            results.titles.push_back(trimmed(line));
        else
            results.table.push_back(cells(line));
    }
    return results;
}

// A column head or row name of the results text in the operator's language.
std::string resultsWord(const std::string& word, Language language)
{
    for (const MessageId id : {MessageId::ReplayReportQsosColumn, MessageId::ReplayReportPointsColumn,
                               MessageId::ReplayReportMultColumn, MessageId::ReplayReportTotalRow})
        if (word == say(id, Language::English))
            return say(id, language);
    return word;
}

// A round step for the count axis, so it shows at most five lines.
int axisStep(int largest)
{
    for (int step : {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500, 1000})
        if (largest <= step * 5)
            return step;
    return (largest / 5 + 999) / 1000 * 1000;
}

std::string legend(const std::vector<std::string>& labels, const char* (*colour)(const std::string&),
                   const std::string& note)
{
    std::ostringstream html;
    html << "<p class=\"legend\">";
    for (const std::string& label : labels)
        html << "<span><i style=\"background:" << colour(label) << "\"></i>" << escaped(label) << "</span>";
    html << "<span class=\"muted\">" << note << "</span></p>\n";
    return html.str();
}

std::string hourChart(const std::vector<HourCounts>& hours, const std::vector<std::string>& bands, Language language)
{
    int largest = 1;
    for (const HourCounts& hour : hours) {
        int total = 0;
        for (const auto& entry : hour.byBand)
            total += entry.second;
        largest = std::max(largest, total);
    }
    const int step = axisStep(largest), top = (largest + step - 1) / step * step;
    const double pitch = std::clamp(880.0 / static_cast<double>(hours.size()), 12.0, 110.0);
    const double left = 44, plotHeight = 220, plotTop = 22, bar = pitch * 0.72;
    const double width = left + pitch * static_cast<double>(hours.size()) + 12, height = plotTop + plotHeight + 44;
    // A count fits above a bar down to three digits in 15 pixels, inside
    // one when the bar is wider.
    const bool numbered = pitch >= 15, numberedInside = bar >= 16;
    const auto y = [&](double count) { return plotTop + plotHeight * (1.0 - count / top); };
    std::ostringstream svg;
    svg << std::fixed << std::setprecision(1);
    svg << "<svg class=\"chart\" viewBox=\"0 0 " << width << " " << height << "\" width=\"" << width << "\" height=\""
        << height << "\" role=\"img\">\n";
    for (int count = 0; count <= top; count += step)
        svg << "<line x1=\"" << left << "\" x2=\"" << width - 8 << "\" y1=\"" << y(count) << "\" y2=\"" << y(count)
            << "\" class=\"grid\"/><text x=\"" << left - 6 << "\" y=\"" << y(count) + 4
            << "\" class=\"axis\" text-anchor=\"end\">" << count << "</text>\n";
    for (std::size_t i = 0; i < hours.size(); ++i) {
        const double x = left + pitch * static_cast<double>(i) + (pitch - bar) / 2, middle = x + bar / 2;
        const std::string when = formatCivilTime(hours[i].hour, "%Y-%m-%d %H:00 UTC");
        int below = 0;
        for (const std::string& band : bands) {
            const auto found = hours[i].byBand.find(band);
            if (found == hours[i].byBand.end())
                continue;
            const double segmentTop = y(below + found->second), segmentHeight = y(below) - segmentTop;
            svg << "<rect x=\"" << x << "\" y=\"" << segmentTop << "\" width=\"" << bar << "\" height=\""
                << segmentHeight << "\" fill=\"" << bandColour(band) << "\"><title>" << when << ", " << escaped(band)
                << ": " << found->second << " QSO</title></rect>\n";
            if (numberedInside && segmentHeight >= 14 && hours[i].byBand.size() > 1)
                svg << "<text x=\"" << middle << "\" y=\"" << segmentTop + segmentHeight / 2 + 4
                    << "\" class=\"inside\" text-anchor=\"middle\">" << found->second << "</text>\n";
            below += found->second;
        }
        if (numbered && below > 0)
            svg << "<text x=\"" << middle << "\" y=\"" << y(below) - 3 << "\" class=\"value"
                << (pitch < 24 ? " narrow" : "") << "\" text-anchor=\"middle\">" << below << "</text>\n";
        const CivilTime& hour = hours[i].hour;
        svg << "<text x=\"" << middle << "\" y=\"" << plotTop + plotHeight + 16
            << "\" class=\"axis\" text-anchor=\"middle\">" << formatCivilTime(hour, "%H") << "</text>\n";
        if (i == 0 || hour.hour == 0)
            svg << "<text x=\"" << x << "\" y=\"" << plotTop + plotHeight + 34 << "\" class=\"axis date\">"
                << formatCivilTime(hour, "%d.%m.%Y") << "</text>\n";
    }
    svg << "</svg>\n";
    return svg.str() +
           legend(bands, bandColour,
                  say(MessageId::ReplayReportHoursLegend, language));
}

// "77 QSO in 60 minutes from 2025-12-20 23:12 UTC", the hourly rate added
// for shorter spans.
std::string rateText(const BestRate& rate, int minutes, Language language)
{
    std::string text = say(MessageId::ReplayReportRate, language,
                           {"<b>" + std::to_string(rate.qsos) + " QSO</b>", std::to_string(minutes)});
    if (rate.qsos > 0)
        text += say(MessageId::ReplayReportRateFrom, language, {utcText(rate.from)});
    if (minutes != 60)
        text += say(MessageId::ReplayReportRatePerHour, language,
                    {std::to_string(rate.qsos * 60 / static_cast<std::size_t>(minutes))});
    return text;
}

// One section of the report: its heading, markup already, and what
// follows it.
std::string section(const std::string& heading, const std::string& content, const char* cssClass = nullptr)
{
    const std::string open = cssClass ? std::string("<section class=\"") + cssClass + "\">" : "<section>";
    return open + "<h2>" + heading + "</h2>\n" + content + "</section>\n";
}

std::string hoursSection(const LogSummary& summary, Language language)
{
    const std::vector<HourCounts> hours = qsosPerHour(summary.counted);
    std::ostringstream html;
    html << "<p class=\"muted\">" << say(MessageId::ReplayReportHoursNote, language) << "</p>\n";
    if (hours.empty())
        html << "<p class=\"muted\">" << say(MessageId::ReplayReportNoQsoCounted, language) << "</p>\n";
    else if (hours.size() > kMostHoursCharted)
        html << "<p class=\"muted\">"
             << say(MessageId::ReplayReportTooManyHours, language,
                    {std::to_string(hours.size()), std::to_string(kMostHoursCharted)})
             << "</p>\n";
    else
        html << hourChart(hours, bandsOf(summary.counted), language);
    html << "<p class=\"rates\">"
         << say(MessageId::ReplayReportBestRate, language,
                {rateText(bestRate(summary.counted, 60), 60, language),
                 rateText(bestRate(summary.counted, 10), 10, language)})
         << "</p>\n";
    return section(say(MessageId::ReplayReportHoursHeading, language), html.str());
}

// The modes of the QSOs: those with a colour of their own in its order,
// any others after them.
std::vector<std::string> modesOf(const std::vector<LoggedQso>& qsos)
{
    std::vector<std::string> modes;
    for (const Colour& mode : kModeColours)
        if (std::any_of(qsos.begin(), qsos.end(), [&](const LoggedQso& qso) { return qso.mode == mode.label; }))
            modes.push_back(mode.label);
    for (const LoggedQso& qso : qsos)
        if (std::find(modes.begin(), modes.end(), qso.mode) == modes.end())
            modes.push_back(qso.mode);
    return modes;
}

// One bar per band, split by mode, the counts written on the bars.
std::string bandModeChart(const std::vector<LoggedQso>& qsos, const std::vector<std::string>& modes)
{
    const std::vector<std::string> bands = bandsOf(qsos);
    std::map<std::string, std::map<std::string, int>> counts;
    std::map<std::string, int> bandTotals;
    for (const LoggedQso& qso : qsos) {
        ++counts[qso.band][qso.mode];
        ++bandTotals[qso.band];
    }
    int largest = 1;
    for (const auto& entry : bandTotals)
        largest = std::max(largest, entry.second);
    const double left = 70, plotWidth = 820, rowHeight = 30, barHeight = 22;
    const double height = rowHeight * static_cast<double>(bands.size()) + 6;
    std::ostringstream svg;
    svg << std::fixed << std::setprecision(1) << "<svg class=\"chart\" viewBox=\"0 0 960 " << height
        << "\" width=\"960\" height=\"" << height << "\" role=\"img\">\n";
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const double top = rowHeight * static_cast<double>(b) + 4;
        svg << "<rect x=\"0\" y=\"" << top + 5 << "\" width=\"12\" height=\"12\" rx=\"2\" fill=\""
            << bandColour(bands[b]) << "\"/><text x=\"18\" y=\"" << top + 16 << "\" class=\"label\">"
            << escaped(bands[b]) << "</text>\n";
        double x = left;
        for (const std::string& mode : modes) {
            const int count = counts[bands[b]][mode];
            if (count == 0)
                continue;
            const double width = plotWidth * count / largest;
            svg << "<rect x=\"" << x << "\" y=\"" << top << "\" width=\"" << width << "\" height=\"" << barHeight
                << "\" fill=\"" << modeColour(mode) << "\"><title>" << escaped(bands[b]) << " " << escaped(mode) << ": "
                << count << " QSO</title></rect>\n";
            if (width >= 44)
                svg << "<text x=\"" << x + 6 << "\" y=\"" << top + 16 << "\" class=\"inside\">" << escaped(mode) << " "
                    << count << "</text>\n";
            x += width;
        }
        svg << "<text x=\"" << x + 6 << "\" y=\"" << top + 16 << "\" class=\"value\">" << bandTotals[bands[b]]
            << "</text>\n";
    }
    return svg.str() + "</svg>\n";
}

std::string bandModeSection(const LogSummary& summary, Language language)
{
    const std::string heading = say(MessageId::ReplayReportBandModeHeading, language);
    if (summary.counted.empty())
        return section(heading, "<p class=\"muted\">" + say(MessageId::ReplayReportNoQsoCounted, language) + "</p>");
    const std::vector<std::string> modes = modesOf(summary.counted);
    return section(heading, bandModeChart(summary.counted, modes) +
                                legend(modes, modeColour, say(MessageId::ReplayReportModeColours, language)));
}

std::string resultsSection(const Results& results, Language language)
{
    std::ostringstream html;
    for (const std::string& title : results.titles)
        html << "<p class=\"title\">" << escaped(title) << "</p>\n";
    html << "<table class=\"results\">\n";
    for (std::size_t r = 0; r < results.table.size(); ++r) {
        const bool head = r == 0, total = !results.table[r].empty() && results.table[r][0] == "Total";
        html << (total ? "<tr class=\"total\">" : "<tr>");
        for (std::size_t c = 0; c < results.table[r].size(); ++c) {
            const std::string& cell = results.table[r][c];
            const std::string shown = head || c == 0 ? resultsWord(cell, language) : cell;
            html << (head ? "<th>" : "<td>") << escaped(shown) << (head ? "</th>" : "</td>");
        }
        html << "</tr>\n";
    }
    const std::string scoreWord = say(MessageId::ReplayReportScore, Language::English);
    std::string score = results.score;
    if (score.rfind(scoreWord, 0) == 0)
        score.replace(0, scoreWord.size(), say(MessageId::ReplayReportScore, language));
    html << "</table>\n<p class=\"score\">" << escaped(score) << "</p>";
    return section(say(MessageId::ReplayReportResultsHeading, language), html.str());
}

// The bands the rules reject, asked of the rules themselves.
std::string rejectedBands(Language language)
{
    std::vector<std::string> rejected;
    for (const Colour& band : kBandColours) {
        QsoFields qso;
        qso.band = band.label;
        qso.mode = "CW";
        qso.exchangeSent = qso.exchangeReceived = "1";
        if (rejection(qso) == Rejection::NoContestBand)
            rejected.push_back(band.label);
    }
    std::string text;
    for (std::size_t i = 0; i < rejected.size(); ++i)
        text += (i == 0 ? "" : i + 1 == rejected.size() ? say(MessageId::ReplayReportAnd, language) : ", ") + rejected[i];
    return text;
}

// The reasons the rules give, in the order they test them, each explained.
struct Reason {
    const char* word;
    MessageId explanation;  // of the rejected bands, for the one that names them
};
const Reason kReasons[] = {
    {"NO CONTEST BAND !!!", MessageId::ReplayReportNoContestBand},
    {"NO TEST MODE !!!", MessageId::ReplayReportNoTestMode},
    {"NO RX NUMBER !!!", MessageId::ReplayReportNoRxNumber},
};

std::string explanation(const std::string& reason, Language language)
{
    for (const Reason& known : kReasons)
        if (reason == known.word)
            return say(known.explanation, language, {rejectedBands(language)});
    return {};
}

// The reasons met, the known ones in the rules' order, others after them.
std::vector<std::string> reasonsInOrder(const std::vector<RejectedQso>& rejected)
{
    std::vector<std::string> reasons;
    for (const Reason& known : kReasons)
        reasons.push_back(known.word);
    for (const RejectedQso& qso : rejected)
        if (std::find(reasons.begin(), reasons.end(), qso.reason) == reasons.end())
            reasons.push_back(qso.reason);
    const auto met = [&](const std::string& reason) {
        return std::any_of(rejected.begin(), rejected.end(),
                           [&](const RejectedQso& qso) { return qso.reason == reason; });
    };
    reasons.erase(std::remove_if(reasons.begin(), reasons.end(), [&](const std::string& r) { return !met(r); }),
                  reasons.end());
    return reasons;
}

std::string qsoCells(const LoggedQso& qso)
{
    return "<td>" + std::to_string(qso.line) + "</td><td>" + utcText(qso.time) + "</td><td>" + escaped(qso.band) +
           "</td><td>" + escaped(qso.mode) + "</td><td>" + escaped(qso.workedCallsign) + "</td><td>" +
           escaped(qso.exchangeSent) + "</td><td>" + escaped(qso.exchangeReceived) + "</td>";
}

// The heads of a table of QSOs, with one more column when `extra` is given.
std::string qsoHeads(Language language, const std::string& extra = "")
{
    return "<tr><th>" + say(MessageId::ReplayReportLineColumn, language) + "</th><th>UTC</th><th>" +
           say(MessageId::ReplayReportBandColumn, language) + "</th><th>" + say(MessageId::ReplayReportModeColumn, language) +
           "</th><th>" + say(MessageId::ReplayReportCallColumn, language) + "</th><th>" +
           say(MessageId::ReplayReportSentColumn, language) + "</th><th>" + say(MessageId::ReplayReportRcvdColumn, language) +
           "</th>" + (extra.empty() ? "" : "<th>" + extra + "</th>") + "</tr>\n";
}

std::string groupHeading(const std::string& name, std::size_t count)
{
    return "<h3>" + escaped(name) + " <span class=\"count\">" + std::to_string(count) + "</span></h3>\n";
}

std::string notCountedSection(const LogSummary& summary, Language language)
{
    std::ostringstream html;
    if (summary.rejected.empty() && summary.duplicates.empty())
        html << "<p class=\"muted\">" << say(MessageId::ReplayReportNothingRejected, language) << "</p>\n";
    for (const std::string& reason : reasonsInOrder(summary.rejected)) {
        const auto inGroup = [&](const RejectedQso& qso) { return qso.reason == reason; };
        html << groupHeading(reason, static_cast<std::size_t>(
                                         std::count_if(summary.rejected.begin(), summary.rejected.end(), inGroup)))
             << "<p class=\"why\">" << escaped(explanation(reason, language)) << "</p>\n<table class=\"qsos\">"
             << qsoHeads(language);
        for (const RejectedQso& qso : summary.rejected)
            if (inGroup(qso))
                html << "<tr>" << qsoCells(qso.qso) << "</tr>\n";
        html << "</table>\n";
    }
    if (!summary.duplicates.empty()) {
        html << groupHeading("DUPE !!!", summary.duplicates.size()) << "<p class=\"why\">"
             << say(MessageId::ReplayReportDuplicatesNote, language) << "</p>\n<table class=\"qsos\">"
             << qsoHeads(language, say(MessageId::ReplayReportRepeatsColumn, language));
        for (const DuplicateQso& dupe : summary.duplicates)
            html << "<tr>" << qsoCells(dupe.qso) << "<td>"
                 << say(MessageId::ReplayReportEarlierQso, language,
                        {utcText(dupe.earlier.time), escaped(dupe.earlier.band), std::to_string(dupe.earlier.line)})
                 << "</td></tr>\n";
        html << "</table>\n";
    }
    return section(say(MessageId::ReplayReportNotCountedHeading, language), html.str());
}

std::string summarySection(const LogSummary& summary, Language language)
{
    std::ostringstream html;
    html << "<table class=\"figures\">\n";
    const auto figures = summaryFigures(summary, language);
    for (std::size_t i = 0; i < figures.size(); ++i)
        html << (i == 0                    ? "<tr class=\"all\">"
                 : i + 1 == figures.size() ? "<tr class=\"total\">"
                                           : "<tr>")
             << "<th>" << escaped(figures[i].first) << "</th><td>" << figures[i].second << "</td></tr>\n";
    html << "</table>\n";
    if (!summary.skipped.empty()) {
        html << "<p class=\"warn\">"
             << say(MessageId::ReplayReportUnreadLines, language) << "</p>\n<table class=\"qsos\"><tr><th>"
             << say(MessageId::ReplayReportLineColumn, language) << "</th><th>" << say(MessageId::ReplayReportWhyColumn, language)
             << "</th></tr>\n";
        for (const LineMessage& line : summary.skipped)
            html << "<tr><td>" << line.line << "</td><td>" << escaped(line.message.in(language)) << "</td></tr>\n";
        html << "</table>\n";
    }
    return section(say(MessageId::ReplayReportSummaryHeading, language), html.str(), "summary");
}

std::string multipliersSection(const LogSummary& summary, Language language)
{
    std::ostringstream html;
    html << "<p class=\"muted\">" << say(MessageId::ReplayReportMultipliersNote, language) << "</p>\n<p class=\"mults\">";
    for (const std::string& call : summary.multipliers)
        html << "<span>" << escaped(call) << "</span> ";
    html << "</p>";
    return section(say(MessageId::ReplayReportMultipliersHeading, language) + " <span class=\"count\">" +
                       std::to_string(summary.multipliers.size()) + "</span>",
                   html.str());
}

std::string cabrilloSection(const ReportInput& input)
{
    const Language language = input.language;
    const std::string heading = say(MessageId::ReplayReportCabrilloHeading, language);
    if (input.cabrilloPath.empty())
        return section(heading, "<p class=\"muted\">" + say(MessageId::ReplayReportNoCabrillo, language) + "</p>");
    std::ostringstream html;
    html << "<p class=\"muted\">" << escaped(input.cabrilloPath) << "</p>\n<table class=\"header\">\n";
    for (const std::string& line : lines(input.cabrilloText)) {
        if (line.rfind("QSO:", 0) == 0 || line.rfind("END-OF-LOG:", 0) == 0)
            break;
        const auto colon = line.find(':');
        html << "<tr><th>" << escaped(line.substr(0, colon)) << "</th><td>"
             << escaped(colon == std::string::npos ? std::string() : trimmed(line.substr(colon + 1))) << "</td></tr>\n";
    }
    html << "</table>";
    return section(heading, html.str());
}

const char kStyle[] = R"(<style>
body { font: 15px/1.45 system-ui, "Segoe UI", "DejaVu Sans", sans-serif; color: #1d2530; background: #f3f5f8; margin: 0; }
main { max-width: 980px; margin: 0 auto; padding: 24px 28px 40px; }
h1 { font-size: 24px; margin: 0 0 4px; }
h2 { font-size: 17px; margin: 0 0 12px; border-bottom: 1px solid #dde3ea; padding-bottom: 6px; }
h3 { font-size: 14px; margin: 14px 0 4px; }
section { background: #fff; border: 1px solid #dde3ea; border-radius: 8px; padding: 16px 20px; margin: 16px 0; }
.muted { color: #6a7683; }
.title { margin: 0; font-weight: 600; }
table { border-collapse: collapse; margin-top: 10px; }
.results th, .results td { padding: 4px 14px; text-align: right; border-bottom: 1px solid #edf0f3; }
.results th:first-child, .results td:first-child { text-align: left; }
.results th { font-weight: 600; color: #4a5561; }
tr.total td, tr.total th { font-weight: 700; border-top: 2px solid #b9c3ce; }
.score { font-size: 20px; font-weight: 700; margin: 14px 0 0; }
.figures { margin-top: 0; }
.figures th { text-align: left; font-weight: 400; padding: 3px 24px 3px 18px; }
.figures td { text-align: right; padding: 3px 0; font-variant-numeric: tabular-nums; min-width: 4em; }
.figures tr.all th { padding-left: 0; font-weight: 600; }
.figures tr.all td { font-weight: 600; }
.warn { background: #fff4e0; border-left: 4px solid #e08a1e; padding: 6px 10px; margin: 14px 0 0; }
.why { margin: 0 0 4px; color: #4a5561; }
.qsos { font-size: 13px; margin-top: 4px; }
.qsos th, .qsos td { padding: 2px 12px 2px 0; text-align: left; border-bottom: 1px solid #edf0f3; white-space: nowrap; }
.qsos th { font-weight: 600; color: #4a5561; }
.chart { display: block; max-width: 100%; height: auto; }
.chart .grid { stroke: #e3e8ee; }
.axis { font-size: 11px; fill: #6a7683; }
.value { font-size: 10px; fill: #1d2530; font-weight: 600; }
.value.narrow { font-size: 8.5px; }
.inside { font-size: 10px; fill: #fff; font-weight: 600; }
.label { font-size: 13px; fill: #1d2530; }
.rates { margin: 10px 0 0; }
.legend span { margin-right: 18px; white-space: nowrap; }
.legend i { display: inline-block; width: 12px; height: 12px; border-radius: 2px; margin-right: 6px; vertical-align: -1px; }
.count { background: #e6ebf1; border-radius: 10px; padding: 0 8px; font-size: 12px; font-weight: 600; }
.mults { font-family: ui-monospace, Consolas, "DejaVu Sans Mono", monospace; font-size: 12.5px; margin: 0; line-height: 1.8; }
.mults span { display: inline-block; min-width: 7.5em; }
.header th { text-align: left; padding: 2px 16px 2px 0; font-weight: 600; color: #4a5561; white-space: nowrap; }
.header td { padding: 2px 0; }
</style>
)";

}  // namespace

std::vector<HourCounts> qsosPerHour(const std::vector<LoggedQso>& qsos)
{
    if (qsos.empty())
        return {};
    const auto [first, last] =
        std::minmax_element(qsos.begin(), qsos.end(), [](const LoggedQso& a, const LoggedQso& b) {
            return oleDateFromCivilTime(a.time) < oleDateFromCivilTime(b.time);
        });
    const CivilTime start = hourOf(first->time);
    std::vector<HourCounts> hours(static_cast<std::size_t>(hoursBetween(start, hourOf(last->time))) + 1);
    for (std::size_t i = 0; i < hours.size(); ++i)
        hours[i].hour = hourOf(*civilTimeFromOleDate(oleDateFromCivilTime(start) + static_cast<double>(i) / 24.0));
    for (const LoggedQso& qso : qsos)
        ++hours[static_cast<std::size_t>(hoursBetween(start, hourOf(qso.time)))].byBand[qso.band];
    return hours;
}

BestRate bestRate(const std::vector<LoggedQso>& qsos, int minutes)
{
    std::vector<std::pair<double, const LoggedQso*>> times;
    for (const LoggedQso& qso : qsos)
        times.emplace_back(secondsOf(qso.time), &qso);
    std::stable_sort(times.begin(), times.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    BestRate best;
    const double span = minutes * 60.0;
    std::size_t end = 0;
    for (std::size_t start = 0; start < times.size(); ++start) {
        end = std::max(end, start);
        while (end < times.size() && times[end].first < times[start].first + span)
            ++end;
        if (end - start > best.qsos)
            best = {end - start, times[start].second->time};
    }
    return best;
}

std::string reportHtml(const ReportInput& input)
{
    const Language language = input.language;
    const std::string title = say(MessageId::ReplayReportTitle, language, {input.ownCallsign});
    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html lang=\"" << languageCode(language)
         << "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" << escaped(title) << "</title>\n"
         << kStyle << "</head>\n<body><main>\n";
    html << "<h1>" << escaped(title) << "</h1>\n<p class=\"muted\">"
         << say(MessageId::ReplayReportCheckedBy, language, {escaped(input.logFile)}) << "</p>\n";
    html << summarySection(input.summary, language) << resultsSection(parsedResults(input.resultsText), language)
         << hoursSection(input.summary, language) << bandModeSection(input.summary, language)
         << notCountedSection(input.summary, language) << multipliersSection(input.summary, language)
         << cabrilloSection(input);
    html << "</main></body>\n</html>\n";
    return html.str();
}
