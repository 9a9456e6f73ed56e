#include "report_html.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>

#include "logfile/band_plan.h"
#include "logfile/text.h"

namespace {

// Longer runs get no bar chart: it would be all bars and no reading.
const std::size_t kMostHoursCharted = 24 * 14;

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

// Whole hours from `from` to `to`; both on the hour.
long hoursBetween(const CivilTime& from, const CivilTime& to)
{
    return std::lround((oleDateFromCivilTime(to) - oleDateFromCivilTime(from)) * 24.0);
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

int columnValue(const Results& results, const std::string& row, const std::string& column)
{
    if (results.table.empty())
        return 0;
    const auto& heads = results.table.front();
    const auto at = std::find(heads.begin(), heads.end(), column) - heads.begin();
    for (const auto& cellsOfRow : results.table)
        if (!cellsOfRow.empty() && cellsOfRow[0] == row && static_cast<std::size_t>(at) < cellsOfRow.size())
            return std::atoi(cellsOfRow[at].c_str());
    return 0;
}

const char* const kBandColours[] = {"#2f6db5", "#e08a1e", "#3a9a5b", "#b8433f", "#7d5ba6", "#8c6d3f", "#d467b0"};

std::vector<std::string> bandsInFrequencyOrder(const std::vector<HourCounts>& hours)
{
    std::vector<std::string> bands;
    for (const HourCounts& hour : hours)
        for (const auto& entry : hour.byBand)
            if (std::find(bands.begin(), bands.end(), entry.first) == bands.end())
                bands.push_back(entry.first);
    const auto lowEdge = [](const std::string& label) {
        const AmateurBand* band = bandLabelled(label);
        return band ? band->lowKhz : UINT32_MAX;
    };
    std::stable_sort(bands.begin(), bands.end(),
                     [&](const std::string& a, const std::string& b) { return lowEdge(a) < lowEdge(b); });
    return bands;
}

// A round step for the count axis, so it shows at most five lines.
int axisStep(int largest)
{
    for (int step : {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500, 1000})
        if (largest <= step * 5)
            return step;
    return (largest / 5 + 999) / 1000 * 1000;
}

std::string hourChart(const std::vector<HourCounts>& hours)
{
    const std::vector<std::string> bands = bandsInFrequencyOrder(hours);
    int largest = 1;
    for (const HourCounts& hour : hours) {
        int total = 0;
        for (const auto& entry : hour.byBand)
            total += entry.second;
        largest = std::max(largest, total);
    }
    const int step = axisStep(largest), top = (largest + step - 1) / step * step;
    const double pitch = std::clamp(880.0 / static_cast<double>(hours.size()), 12.0, 110.0);
    const double left = 44, plotHeight = 220, plotTop = 12, bar = pitch * 0.72;
    const double width = left + pitch * static_cast<double>(hours.size()) + 12, height = plotTop + plotHeight + 44;
    const auto y = [&](double count) { return plotTop + plotHeight * (1.0 - count / top); };
    std::ostringstream svg;
    svg << std::fixed << std::setprecision(1);
    svg << "<svg class=\"chart\" viewBox=\"0 0 " << width << " " << height << "\" width=\"" << width
        << "\" height=\"" << height << "\" role=\"img\" aria-label=\"QSOs per clock hour and band\">\n";
    for (int count = 0; count <= top; count += step)
        svg << "<line x1=\"" << left << "\" x2=\"" << width - 8 << "\" y1=\"" << y(count) << "\" y2=\"" << y(count)
            << "\" class=\"grid\"/><text x=\"" << left - 6 << "\" y=\"" << y(count) + 4
            << "\" class=\"axis\" text-anchor=\"end\">" << count << "</text>\n";
    for (std::size_t i = 0; i < hours.size(); ++i) {
        const double x = left + pitch * static_cast<double>(i) + (pitch - bar) / 2;
        const std::string when = formatCivilTime(hours[i].hour, "%Y-%m-%d %H:00 UTC");
        int below = 0;
        for (std::size_t b = 0; b < bands.size(); ++b) {
            const auto found = hours[i].byBand.find(bands[b]);
            if (found == hours[i].byBand.end())
                continue;
            svg << "<rect x=\"" << x << "\" y=\"" << y(below + found->second) << "\" width=\"" << bar
                << "\" height=\"" << y(below) - y(below + found->second) << "\" fill=\""
                << kBandColours[b % std::size(kBandColours)] << "\"><title>" << when << ", " << escaped(bands[b])
                << ": " << found->second << " QSOs</title></rect>\n";
            below += found->second;
        }
        const CivilTime& hour = hours[i].hour;
        svg << "<text x=\"" << x + bar / 2 << "\" y=\"" << plotTop + plotHeight + 16
            << "\" class=\"axis\" text-anchor=\"middle\">" << formatCivilTime(hour, "%H") << "</text>\n";
        if (i == 0 || hour.hour == 0)
            svg << "<text x=\"" << x << "\" y=\"" << plotTop + plotHeight + 34 << "\" class=\"axis date\">"
                << formatCivilTime(hour, "%d.%m.%Y") << "</text>\n";
    }
    svg << "</svg>\n<p class=\"legend\">";
    for (std::size_t b = 0; b < bands.size(); ++b)
        svg << "<span><i style=\"background:" << kBandColours[b % std::size(kBandColours)] << "\"></i>"
            << escaped(bands[b]) << "</span>";
    svg << "<span class=\"muted\">Hours in UTC; each bar is one clock hour.</span></p>\n";
    return svg.str();
}

std::string resultsSection(const Results& results)
{
    std::ostringstream html;
    html << "<section><h2>Results</h2>\n";
    for (const std::string& title : results.titles)
        html << "<p class=\"title\">" << escaped(title) << "</p>\n";
    html << "<table class=\"results\">\n";
    for (std::size_t r = 0; r < results.table.size(); ++r) {
        const bool head = r == 0, total = !results.table[r].empty() && results.table[r][0] == "Total";
        html << (total ? "<tr class=\"total\">" : "<tr>");
        for (const std::string& cell : results.table[r])
            html << (head ? "<th>" : "<td>") << escaped(cell) << (head ? "</th>" : "</td>");
        html << "</tr>\n";
    }
    html << "</table>\n<p class=\"score\">" << escaped(results.score) << "</p></section>\n";
    return html.str();
}

std::string modeSplitSection(const Results& results)
{
    const int cw = columnValue(results, "Total", "CW"), ssb = columnValue(results, "Total", "SSB");
    std::ostringstream html;
    html << "<section><h2>CW and SSB</h2>\n";
    if (cw + ssb == 0)
        return html.str() + "<p class=\"muted\">No QSO counted.</p></section>\n";
    const double cwShare = 100.0 * cw / (cw + ssb);
    html << std::fixed << std::setprecision(1);
    html << "<svg class=\"split\" viewBox=\"0 0 600 34\" preserveAspectRatio=\"none\" role=\"img\" "
            "aria-label=\"CW and SSB QSOs\">"
         << "<rect x=\"0\" y=\"0\" width=\"" << 6 * cwShare << "\" height=\"34\" fill=\"#2f6db5\"/>"
         << "<rect x=\"" << 6 * cwShare << "\" y=\"0\" width=\"" << 600 - 6 * cwShare
         << "\" height=\"34\" fill=\"#e08a1e\"/></svg>\n";
    html << std::setprecision(0) << "<p class=\"legend\"><span><i style=\"background:#2f6db5\"></i>CW " << cw << " ("
         << cwShare << "%)</span><span><i style=\"background:#e08a1e\"></i>SSB " << ssb << " ("
         << 100.0 - cwShare << "%)</span><span class=\"muted\">QSOs counted in the score</span></p></section>\n";
    return html.str();
}

std::string errorSection(const std::string& errText)
{
    const std::vector<ErrorGroup> groups = errorGroups(errText);
    std::ostringstream html;
    html << "<section><h2>err.txt</h2>\n";
    if (groups.empty())
        html << "<p class=\"muted\">No QSO rejected, no duplicate.</p>\n";
    for (const ErrorGroup& group : groups) {
        html << "<h3>" << escaped(group.reason) << " <span class=\"count\">" << group.lines.size() << "</span></h3>\n<pre>";
        for (const std::string& line : group.lines)
            html << escaped(line) << "\n";
        html << "</pre>\n";
    }
    return html.str() + "</section>\n";
}

std::string cabrilloSection(const ReportInput& input)
{
    std::ostringstream html;
    html << "<section><h2>Cabrillo header</h2>\n";
    if (input.cabrilloPath.empty())
        return html.str() + "<p class=\"muted\">No Cabrillo file was written (replay with --export).</p></section>\n";
    html << "<p class=\"muted\">" << escaped(input.cabrilloPath) << "</p>\n<table class=\"header\">\n";
    for (const std::string& line : lines(input.cabrilloText)) {
        if (line.rfind("QSO:", 0) == 0 || line.rfind("END-OF-LOG:", 0) == 0)
            break;
        const auto colon = line.find(':');
        html << "<tr><th>" << escaped(line.substr(0, colon)) << "</th><td>"
             << escaped(colon == std::string::npos ? std::string() : trimmed(line.substr(colon + 1))) << "</td></tr>\n";
    }
    return html.str() + "</table></section>\n";
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
.results tr.total td { font-weight: 700; border-top: 2px solid #b9c3ce; }
.score { font-size: 20px; font-weight: 700; margin: 14px 0 0; }
.chart { display: block; max-width: 100%; height: auto; }
.chart .grid { stroke: #e3e8ee; }
.axis { font-size: 11px; fill: #6a7683; }
.legend span { margin-right: 18px; white-space: nowrap; }
.legend i { display: inline-block; width: 12px; height: 12px; border-radius: 2px; margin-right: 6px; vertical-align: -1px; }
.split { display: block; width: 100%; height: 34px; border-radius: 4px; }
pre { background: #f7f8fa; border: 1px solid #edf0f3; padding: 8px 10px; overflow-x: auto; font-size: 12.5px; margin: 0; }
.count { background: #e6ebf1; border-radius: 10px; padding: 0 8px; font-size: 12px; font-weight: 600; }
.header th { text-align: left; padding: 2px 16px 2px 0; font-weight: 600; color: #4a5561; white-space: nowrap; }
.header td { padding: 2px 0; }
</style>
)";

}  // namespace

std::vector<HourCounts> qsosPerHour(const std::vector<LoggedQso>& qsos)
{
    if (qsos.empty())
        return {};
    const auto [first, last] = std::minmax_element(qsos.begin(), qsos.end(), [](const LoggedQso& a, const LoggedQso& b) {
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

std::vector<ErrorGroup> errorGroups(const std::string& errText)
{
    std::vector<ErrorGroup> groups;
    for (const std::string& line : lines(errText)) {
        const auto reasonAt = line.rfind("   ");
        if (line.rfind("QSO:", 0) != 0 || reasonAt == std::string::npos)
            continue;
        const std::string reason = trimmed(line.substr(reasonAt));
        auto group = std::find_if(groups.begin(), groups.end(), [&](const ErrorGroup& g) { return g.reason == reason; });
        if (group == groups.end())
            group = groups.insert(groups.end(), ErrorGroup{reason, {}});
        group->lines.push_back(line);
    }
    return groups;
}

std::string reportHtml(const ReportInput& input)
{
    const Results results = parsedResults(input.resultsText);
    const std::vector<HourCounts> hours = qsosPerHour(input.storedQsos);
    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>ZEMRIX replay: "
         << escaped(input.logFile) << "</title>\n" << kStyle << "</head>\n<body><main>\n";
    html << "<h1>ZEMRIX replay</h1>\n<p class=\"muted\">" << escaped(input.logFile) << ", replayed through Stats.dll</p>\n";
    html << resultsSection(results);
    html << "<section><h2>QSOs per clock hour</h2>\n";
    if (hours.empty())
        html << "<p class=\"muted\">Stats.dll stored no QSO.</p>\n";
    else if (hours.size() > kMostHoursCharted)
        html << "<p class=\"muted\">The QSOs span " << hours.size() << " hours; charted are runs up to "
             << kMostHoursCharted << ".</p>\n";
    else
        html << hourChart(hours);
    html << "</section>\n" << modeSplitSection(results) << errorSection(input.errText) << cabrilloSection(input);
    html << "</main></body>\n</html>\n";
    return html.str();
}
