// The cross-check's files: the tables for the organiser's spreadsheet and
// for our own checks, a report for each participant and one page with the
// results.  Every text is UTF-8 whatever bytes the logs held.
#include "checker/reports.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <numeric>
#include <set>

#include "cabrillo/cabrillo_log.h"
#include "checker/results_json.h"
#include "checker/standings.h"
#include "contest/text.h"

namespace {

// Valid UTF-8 passes, but for control characters other than tab and line
// ends; any other byte becomes '?'.
std::string utf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3
                                                  : (byte >> 3) == 0x1E ? 4 : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(text[i + k]) >> 6) == 0x2;
        if (valid && (length > 1 || byte >= 0x20 || byte == '\t' || byte == '\r' || byte == '\n')) {
            out.append(text, i, length);
            i += length;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

std::string csvField(const std::string& text) { return csvCell(utf8(text)); }

// Printable ASCII but the comma and the quote, not beginning as a formula
// might: a field that csvField leaves as it is, which nearly every field of
// qsos.csv is.
bool isPlainCsv(const std::string& text)
{
    return (text.empty() || std::string("=+-@").find(text[0]) == std::string::npos) &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F && c != ',' && c != '"'; });
}

// Appends csvField(text), without its copies when the field is plain:
// qsos.csv has a row per QSO line.
void appendCsvField(std::string& row, const std::string& text)
{
    if (isPlainCsv(text))
        row += text;
    else
        row += csvField(text);
}

void appendCsvRow(std::string& out, std::initializer_list<const std::string*> fields)
{
    const char* separator = "";
    for (const std::string* field : fields) {
        out += separator;
        separator = ",";
        appendCsvField(out, *field);
    }
    out += "\r\n";
}

std::string csvRow(const std::vector<std::string>& fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row += ',';
        appendCsvField(row, fields[i]);
    }
    return row + "\r\n";
}

// A log's QSO lines in file order.
std::vector<std::size_t> inFileOrder(const LogCheck& log)
{
    std::vector<std::size_t> order(log.qsos.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return log.qsos[a].qso.line < log.qsos[b].qso.line; });
    return order;
}

std::string loggedTime(const JudgedQso& judged)
{
    return judged.readable ? formatCivilTime(judged.qso.time, "%Y-%m-%d %H%M") : std::string();
}

std::string lineNumber(int line) { return line > 0 ? std::to_string(line) : std::string(); }

std::string claimed(const LogCheck& log) { return log.claimedScore ? std::to_string(*log.claimedScore) : ""; }

// Checked logs in rank order, then the files that were not checked, in the
// order given.
std::vector<std::size_t> rankedLogs(const CrossCheck& check)
{
    std::vector<std::size_t> checked, others;
    for (std::size_t i = 0; i < check.logs.size(); ++i)
        (check.logs[i].log.state == LogState::Checked ? checked : others).push_back(i);
    std::vector<std::size_t> order = inRankOrder(check, std::move(checked));
    order.insert(order.end(), others.begin(), others.end());
    return order;
}

const char* const kCategoryNames[] = {"OPERATOR", "BAND", "MODE", "POWER"};

// Russian, then English: what a status means to the participant.
std::string statusExplained(QsoStatus status)
{
    switch (status) {
    case QsoStatus::Nil: return Message{MessageId::StatusNil}.bilingual();
    case QsoStatus::BustedCall: return Message{MessageId::StatusBustedCall}.bilingual();
    case QsoStatus::BustedExch: return Message{MessageId::StatusBustedExch}.bilingual();
    case QsoStatus::Unique: return Message{MessageId::StatusUnique}.bilingual();
    case QsoStatus::Dupe: return Message{MessageId::StatusDupe}.bilingual();
    case QsoStatus::OutOfPeriod: return Message{MessageId::StatusOutOfPeriod}.bilingual();
    case QsoStatus::Rejected: return Message{MessageId::StatusRejected}.bilingual();
    default: return "";
    }
}

std::string verdictDetails(const JudgedQso& judged, const QsoVerdict& verdict)
{
    const std::string correct = "; " + Message{MessageId::Correct}.bilingual() + ": ";
    std::string details;
    if (!verdict.correctCall.empty())
        details += correct + verdict.correctCall;
    if (!verdict.correctExchange.empty())
        details += correct + verdict.correctExchange;
    if (verdict.status == QsoStatus::Nil)
        details += " (" + judged.qso.workedCallsign + ")";
    if (judged.rejection)
        details += " (" + judged.rejection->bilingual() + ")";
    return details;
}

std::string html(const std::string& text) { return htmlEscaped(utf8(text)); }

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

std::string percent(std::size_t part, std::size_t whole)
{
    if (whole == 0)
        return "0%";
    const std::size_t tenths = (part * 1000 + whole / 2) / whole;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
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

// How much of the claimed score the check took away; empty when the log
// claims none.  A verified score above the claim is no reduction.
std::string reduction(const CheckedLog& checked)
{
    const std::optional<int64_t>& claim = checked.log.claimedScore;
    if (!claim || *claim <= 0)
        return {};
    const int64_t lost = std::max<int64_t>(0, *claim - checked.score.verifiedScore);
    return percent(static_cast<std::size_t>(lost), static_cast<std::size_t>(*claim));
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
                   number(claimed(checked.log)) + number("<b>" + std::to_string(checked.score.verifiedScore) + "</b>") +
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

std::string qsosCsvHeading()
{
    return csvRow({"log", "line", "time", "band", "mode", "call", "rcvd_exch", "status", "correct_call",
                   "correct_exch", "matched_log", "matched_line"});
}

// The rows of qsos.csv of one log; none unless it was checked.
std::string qsoRowsOf(const CheckedLog& checked)
{
    std::string rows;
    if (checked.log.state != LogState::Checked)
        return rows;
    for (std::size_t q : inFileOrder(checked.log)) {
        const JudgedQso& judged = checked.log.qsos[q];
        const QsoVerdict& verdict = checked.verdicts[q];
        const std::string line = lineNumber(judged.qso.line), time = loggedTime(judged),
                          status = qsoStatusName(verdict.status), matchedLine = lineNumber(verdict.matchedLine);
        const LoggedQso& qso = judged.qso;
        appendCsvRow(rows, {&checked.log.callsign, &line, &time, &qso.band, &qso.mode, &qso.workedCallsign,
                            &qso.exchangeReceived, &status, &verdict.correctCall, &verdict.correctExchange,
                            &verdict.matchedLog, &matchedLine});
    }
    return rows;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.u8string());
}

// Log by log: the whole table of a big contest is tens of megabytes.
void writeQsosCsv(const CrossCheck& check, const std::filesystem::path& path)
{
    std::ofstream qsos(path, std::ios::binary);
    qsos << qsosCsvHeading();
    for (const CheckedLog& checked : check.logs)
        qsos << qsoRowsOf(checked);
    qsos.close();
    if (!qsos)
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

std::string qsosCsv(const CrossCheck& check)
{
    std::string csv = qsosCsvHeading();
    for (const CheckedLog& checked : check.logs)
        csv += qsoRowsOf(checked);
    return csv;
}

std::string resultsCsv(const CrossCheck& check)
{
    std::vector<std::string> heading = {"callsign", "file", "file_status"};
    for (const char* name : kCategoryNames)
        heading.push_back("category_" + std::string(name));
    for (const char* name : {"claimed_score", "qso_lines", "counted_qsos", "points", "multipliers", "verified_score"})
        heading.push_back(name);
    for (std::size_t s = 0; s < kQsoStatusCount; ++s)
        heading.push_back(qsoStatusName(static_cast<QsoStatus>(s)));
    heading.push_back("clock_offset_minutes");
    for (std::string& name : heading)
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string csv = csvRow(heading);
    for (std::size_t i : rankedLogs(check)) {
        const CheckedLog& checked = check.logs[i];
        const LogCheck& log = checked.log;
        const bool wasChecked = log.state == LogState::Checked;
        std::vector<std::string> row = {log.callsign, log.fileName, logStateName(log.state)};
        for (const char* name : kCategoryNames)
            row.push_back(log.header.category(name));
        const auto number = [&](int64_t value) { return wasChecked ? std::to_string(value) : std::string(); };
        row.insert(row.end(), {claimed(log), number(static_cast<int64_t>(log.qsos.size())),
                               number(checked.score.countedQsos), number(checked.score.points),
                               number(checked.score.multipliers), number(checked.score.verifiedScore)});
        for (int32_t count : checked.score.statusCounts)
            row.push_back(number(count));
        row.push_back(number(checked.score.clockOffsetMinutes));
        csv += csvRow(row);
    }
    return csv;
}

std::string participantReportName(const std::string& callsign)
{
    // A callsign of letters, digits and / keeps the plug-in's own file name.
    // Any other byte is written -XX, so that no two calls share a report
    // and each name is safe both as a file and in an address.
    if (callsign.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/") ==
        std::string::npos)
        return cabrilloBaseName(callsign) + ".txt";
    static const char kHex[] = "0123456789ABCDEF";
    std::string name;
    for (char c : callsign) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte))
            name += c;
        else if (c == '/')
            name += '_';
        else
            name += {'-', kHex[byte >> 4], kHex[byte & 0xF]};
    }
    return name + ".txt";
}

std::string participantReport(const CrossCheck& check, std::size_t logIndex)
{
    const CheckedLog& checked = check.logs[logIndex];
    const LogCheck& log = checked.log;
    const LogScore& score = checked.score;
    std::string text = "ZEMRIX: отчёт о проверке журнала / log check report\r\n\r\n";
    text += "Позывной / Callsign: " + log.callsign + "\r\n";
    text += "Файл / File: " + log.fileName + "\r\n";
    text += "Заявлено / Claimed: " + (log.claimedScore ? std::to_string(*log.claimedScore) : "-") + "\r\n";
    text += "Подтверждено / Verified: " + std::to_string(score.verifiedScore) + " = " +
            std::to_string(score.points) + " * " + std::to_string(score.multipliers) + "\r\n";
    if (!reduction(checked).empty())
        text += "Сокращение / Reduction: " + reduction(checked) + "\r\n";
    text += "Связей в журнале / QSO lines: " + std::to_string(log.qsos.size()) + ", засчитано / counted: " +
            std::to_string(score.countedQsos) + "\r\n";
    if (score.penaltyPoints > 0)
        text += "Штраф, очков / Penalty points: " + std::to_string(score.penaltyPoints) + "\r\n";
    if (score.clockOffsetMinutes != 0)
        text += "Часы сдвинуты, мин / Clock offset, min: " + std::to_string(score.clockOffsetMinutes) +
                " (учтено / corrected)\r\n";
    for (const Message& problem : log.headerProblems)
        text += "Заголовок / Header: " + problem.bilingual() + "\r\n";
    text += "\r\nНе засчитаны / Not counted:\r\n";
    bool any = false;
    for (std::size_t q : inFileOrder(log)) {
        const QsoVerdict& verdict = checked.verdicts[q];
        if (countsInScore(verdict.status, check.config))
            continue;
        any = true;
        const JudgedQso& judged = log.qsos[q];
        text += std::to_string(judged.qso.line) + ": " + judged.text + "\r\n    " + qsoStatusName(verdict.status) +
                ": " + statusExplained(verdict.status) + verdictDetails(judged, verdict) + "\r\n";
    }
    if (!any)
        text += "(нет / none)\r\n";
    return utf8(text);
}

std::string resultsHtml(const CrossCheck& check)
{
    return "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<title>ZEMRIX: результаты / results</title>\n<style>" +
           std::string(kStyle) + "</style>\n</head>\n<body>\n<h1>ZEMRIX: итоги проверки / checked results</h1>\n" +
           notesOnTheFiles(check) + resultsByCategory(check) + costliestLogs(check) + callsWithoutLogs(check) + clockOffsets(check) +
           filesNotChecked(check) + "</body>\n</html>\n";
}

void writeReports(const CrossCheck& check, const std::string& folder)
{
    const std::filesystem::path out(folder);
    std::error_code error;
    std::filesystem::create_directories(out / "ubn", error);
    if (error)
        throw std::runtime_error("cannot create " + (out / "ubn").string() + ": " + error.message());
    // qsos.csv, a row per QSO line, takes as long as all the other files
    // together: it is written on a second core meanwhile.
    std::future<void> table = std::async(std::launch::async, [&] { writeQsosCsv(check, out / "qsos.csv"); });
    writeFile(out / "results.csv", resultsCsv(check));
    writeFile(out / "results.json", resultsJson(check));
    for (std::size_t i = 0; i < check.logs.size(); ++i)
        if (check.logs[i].log.state == LogState::Checked)
            writeFile(out / "ubn" / participantReportName(check.logs[i].log.callsign), participantReport(check, i));
    writeFile(out / "results.html", resultsHtml(check));
    table.get();
}
