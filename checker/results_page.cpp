// results.html: the organiser's one page of the cross-check: the notes on
// the files, the results by category, the logs that cost others most, the
// calls to ask logs of, the clocks found off and the files not checked.
#include <algorithm>
#include <map>
#include <set>

#include "checker/report_text.h"
#include "checker/reports.h"
#include "checker/standings.h"
#include "contest/text.h"

namespace {

std::string html(const std::string& text) { return htmlEscaped(validUtf8(text)); }

std::string cell(const std::string& text, const char* tag = "td") { return std::string("<") + tag + ">" + text + "</" + tag + ">"; }
std::string number(const std::string& text) { return "<td class=\"n\">" + text + "</td>"; }

std::string categoryOf(const LogCheck& log)
{
    std::string label;
    for (const char* name : kCategoryNames) {
        const std::string value = log.header.category(name);
        if (!value.empty())
            label += (label.empty() ? "" : " ") + value;
    }
    return label.empty() ? "(no category)" : label;
}

// The checklogs the organiser named that came in, which helped to check
// the others.
std::string checklogsOf(const CrossCheck& check)
{
    std::string calls;
    for (const CheckedLog& checked : check.logs)
        if (checked.log.state == LogState::Checked && !isRanked(check, checked))
            calls += (calls.empty() ? "" : ", ") + html(checked.log.callsign);
    return calls.empty() ? std::string() : "<p>Контрольные журналы / Checklogs: " + calls + "</p>\n";
}

std::string resultsByCategory(const CrossCheck& check)
{
    std::map<std::string, std::vector<std::size_t>> byCategory;
    for (std::size_t i : rankedLogs(check))
        if (isRanked(check, check.logs[i]))
            byCategory[categoryOf(check.logs[i].log)].push_back(i);
    std::string out = "<h2>Результаты / Results</h2>\n";
    for (const auto& [category, logs] : byCategory) {
        out += "<h3>" + html(category) + "</h3>\n<table>\n<tr>";
        for (const char* heading :
             {"#", "Call", "Claimed", "Verified", "Reduction", "QSOs", "Points", "Mult", "Offset, min"})
            out += cell(heading, "th");
        out += "</tr>\n";
        const std::vector<int> places = placesOf(check, logs);
        for (std::size_t k = 0; k < logs.size(); ++k) {
            const CheckedLog& checked = check.logs[logs[k]];
            const std::string call = html(checked.log.callsign);
            out += "<tr>" + number(std::to_string(places[k])) +
                   cell("<a href=\"ubn/" + html(participantReportName(checked.log.callsign)) + "\">" + call + "</a>") +
                   number(claimedScoreText(checked.log)) + number("<b>" + std::to_string(checked.score.verifiedScore) + "</b>") +
                   number(reduction(checked)) + number(std::to_string(checked.score.countedQsos)) + number(std::to_string(checked.score.points)) +
                   number(std::to_string(checked.score.multipliers)) +
                   number(std::to_string(checked.score.clockOffsetMinutes)) + "</tr>\n";
        }
        out += "</table>\n";
    }
    return out + checklogsOf(check);
}

bool costsOthers(QsoStatus status)
{
    return status == QsoStatus::Nil || status == QsoStatus::BustedCall || status == QsoStatus::BustedExch;
}

// The stations behind the other logs' NIL and busted lines: the one worked
// or, for a miscopied call, the one really worked.
std::string costliestLogs(const CrossCheck& check)
{
    std::map<std::string, std::size_t> involved;
    std::size_t total = 0;
    std::set<std::string> checkedCalls;
    for (const CheckedLog& checked : check.logs)
        if (checked.log.state == LogState::Checked)
            checkedCalls.insert(checked.log.callsign);
    for (const CheckedLog& checked : check.logs)
        for (std::size_t q = 0; q < checked.verdicts.size(); ++q) {
            const QsoVerdict& verdict = checked.verdicts[q];
            if (!costsOthers(verdict.status))
                continue;
            ++total;
            const std::string& other =
                verdict.correctCall.empty() ? checked.log.qsos[q].qso.workedCallsign : verdict.correctCall;
            if (checkedCalls.count(other))
                ++involved[other];
        }
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (const auto& [call, count] : involved)
        ranked.emplace_back(count, call);
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::string out = "<h2>Кто стоил другим больше всего / The logs that cost others the most</h2>\n"
                      "<p>The share of all NIL and busted lines that involve the station.</p>\n<table>\n<tr>" +
                      cell("Call", "th") + cell("Lines", "th") + cell("Share", "th") + "</tr>\n";
    for (std::size_t i = 0; i < ranked.size() && i < 20; ++i)
        out += "<tr>" + cell(html(ranked[i].second)) + number(std::to_string(ranked[i].first)) +
               number(percent(ranked[i].first, total)) + "</tr>\n";
    return out + "</table>\n";
}

std::string callsWithoutLogs(const CrossCheck& check)
{
    std::map<std::string, std::set<std::string>> workedBy;
    for (const CheckedLog& checked : check.logs)
        for (std::size_t q = 0; q < checked.verdicts.size(); ++q) {
            const QsoStatus status = checked.verdicts[q].status;
            if (status == QsoStatus::NoLog || (status == QsoStatus::BustedExch && checked.verdicts[q].matchedLog.empty()))
                workedBy[checked.log.qsos[q].qso.workedCallsign].insert(checked.log.callsign);
        }
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (const auto& [call, logs] : workedBy)
        ranked.emplace_back(logs.size(), call);
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::string out = "<h2>Чьи журналы запросить / Calls many worked that sent no log</h2>\n<table>\n<tr>" +
                      cell("Call", "th") + cell("Logs that worked it", "th") + "</tr>\n";
    for (std::size_t i = 0; i < ranked.size() && i < 30; ++i)
        out += "<tr>" + cell(html(ranked[i].second)) + number(std::to_string(ranked[i].first)) + "</tr>\n";
    return out + "</table>\n";
}

std::string clockOffsets(const CrossCheck& check)
{
    std::string out = "<h2>Сдвиг часов / Clock offsets found</h2>\n<table>\n<tr>" + cell("Call", "th") +
                      cell("Offset, min", "th") + cell("From matched QSOs", "th") + "</tr>\n";
    for (const CheckedLog& checked : check.logs)
        if (checked.log.state == LogState::Checked && checked.score.clockOffsetMinutes != 0)
            out += "<tr>" + cell(html(checked.log.callsign)) +
                   number(std::to_string(checked.score.clockOffsetMinutes)) +
                   number(std::to_string(checked.score.offsetMatches)) + "</tr>\n";
    return out + "</table>\n";
}

// The choices the check made for the organiser, which he may overrule.
std::string notesOnTheFiles(const CrossCheck& check)
{
    std::string items;
    for (const std::string& note : check.notes)
        items += "<li>" + html(note) + "</li>\n";
    return items.empty() ? std::string() : "<h2>Замечания / Notes</h2>\n<ul>\n" + items + "</ul>\n";
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
    return "<h2>Файлы без проверки / Files not checked</h2>\n<table>\n<tr>" + cell("File", "th") +
           cell("Status", "th") + cell("Why", "th") + "</tr>\n" + rows + "</table>\n";
}

const char kStyle[] =
    "body{font-family:sans-serif;margin:2em;color:#222}"
    "table{border-collapse:collapse;margin-bottom:1.5em}"
    "th,td{border:1px solid #bbb;padding:.25em .6em;text-align:left}"
    "th{background:#e8eef6}td.n{text-align:right}"
    "h2{border-bottom:2px solid #46a;padding-bottom:.2em}a{color:#246}";

}  // namespace

std::string resultsHtml(const CrossCheck& check)
{
    return "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<title>ZEMRIX: результаты / results</title>\n<style>" +
           std::string(kStyle) + "</style>\n</head>\n<body>\n<h1>ZEMRIX: итоги проверки / checked results</h1>\n" +
           notesOnTheFiles(check) + resultsByCategory(check) + costliestLogs(check) + callsWithoutLogs(check) + clockOffsets(check) +
           filesNotChecked(check) + "</body>\n</html>\n";
}
