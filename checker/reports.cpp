// The cross-check's files: the tables for the organiser's spreadsheet and
// for our own checks, a report for each participant and one page with the
// results.  Every text is UTF-8 whatever bytes the logs held.
#include "checker/reports.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <future>
#include <numeric>

#include "base/whole_file.h"
#include "cabrillo/cabrillo_log.h"
#include "checker/participant_report.h"
#include "checker/results_json.h"
#include "checker/standings.h"
#include "checker/report_text.h"
#include "contest/text.h"

namespace {

std::string csvField(std::string_view text) { return csvCell(validUtf8(text)); }

// Printable ASCII but the comma and the quote, not beginning as a formula
// might: a field that csvField leaves as it is, which nearly every field of
// qsos.csv is (one look in a table a byte, for twelve million fields).
constexpr std::array<bool, 256> kPlainCsv = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7F; ++c)
        plain[c] = c != ',' && c != '"';
    return plain;
}();

bool isPlainCsv(std::string_view text)
{
    const auto plain = [](char c) { return kPlainCsv[static_cast<unsigned char>(c)]; };
    const bool formulaLike = !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@');
    return !formulaLike && std::all_of(text.begin(), text.end(), plain);
}

// Appends csvField(text), without its copies when the field is plain:
// qsos.csv has a row per QSO line.
void appendCsvField(std::string& row, std::string_view text)
{
    if (isPlainCsv(text))
        row += text;
    else
        row += csvField(text);
}

void appendCsvRow(std::string& out, std::initializer_list<std::string_view> fields)
{
    // A row of plain fields, as nearly every row is, in one append of its
    // reckoned size.
    if (std::all_of(fields.begin(), fields.end(), isPlainCsv)) {
        std::size_t size = fields.size() + 1;  // the commas between, and the line end
        for (std::string_view field : fields)
            size += field.size();
        const std::size_t start = out.size();
        out.resize(start + size);
        char* at = &out[start];
        for (const std::string_view& field : fields) {
            if (&field != fields.begin())
                *at++ = ',';
            at = copyText(at, field);
        }
        std::memcpy(at, "\r\n", 2);
        return;
    }
    for (const std::string_view& field : fields) {
        if (&field != fields.begin())
            out += ',';
        appendCsvField(out, field);
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

std::string qsosCsvHeading()
{
    return csvRow({"log", "line", "time", "band", "mode", "call", "rcvd_exch", "status", "correct_call",
                   "correct_exch", "matched_log", "matched_line"});
}

// The rows of qsos.csv of one log, appended; none unless it was checked.
void appendQsoRows(std::string& rows, const CrossCheck& check, const CheckedLog& checked)
{
    if (checked.log.state != LogState::Checked)
        return;
    for (std::size_t q : inFileOrder(checked.log)) {
        const JudgedQso& judged = checked.log.qsos[q];
        const QsoVerdict& verdict = checked.verdicts[q];
        const LoggedTime time(judged);
        const QsoRecord& qso = judged.qso;
        const Decimal line(qso.line), matchedLine(verdict.matchedLine);
        const auto ifAny = [](int number, const Decimal& digits) { return number > 0 ? digits.view() : ""; };
        appendCsvRow(rows, {checked.log.callsign, ifAny(qso.line, line), time.view(), qso.band(), qso.mode(),
                            qso.workedCallsign(), qso.exchangeReceived(), qsoStatusName(verdict.status),
                            verdict.correctCall(), verdict.correctExchange(), matchedCall(check, verdict),
                            ifAny(verdict.matchedLine, matchedLine)});
    }
}

// Log by log: the whole table of a big contest is tens of megabytes.
void writeQsosCsv(const CrossCheck& check, const std::filesystem::path& path)
{
    FileWriter qsos(path);
    std::string rows = qsosCsvHeading();
    for (const CheckedLog& checked : check.logs) {
        appendQsoRows(rows, check, checked);
        qsos.write(rows);
        rows.clear();
    }
    qsos.close();
}

void writeResultsJson(const CrossCheck& check, const std::filesystem::path& path)
{
    FileWriter json(path);
    writeResultsJson(check, json);
    json.close();
}

std::string participantFileBase(const std::string& callsign)
{
    // A callsign of letters, digits and / keeps the plug-in's own file name.
    // Any other byte is written -XX, so that no two calls share a report
    // and each name is safe both as a file and in an address.
    if (callsign.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/") ==
        std::string::npos)
        return cabrilloBaseName(callsign);
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
    return name;
}

}  // namespace

std::string qsosCsv(const CrossCheck& check)
{
    std::string csv = qsosCsvHeading();
    for (const CheckedLog& checked : check.logs)
        appendQsoRows(csv, check, checked);
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
        row.insert(row.end(), {claimedScoreText(log), number(static_cast<int64_t>(log.qsos.size())),
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
    return participantFileBase(callsign) + ".txt";
}

std::string wholeLogPageName(const std::string& callsign)
{
    return participantFileBase(callsign) + ".html";
}

void writeReports(const CrossCheck& check, const std::string& folder)
{
    const std::filesystem::path out(folder);
    std::error_code error;
    std::filesystem::create_directories(out / "ubn", error);
    if (error)
        throw std::runtime_error("cannot create " + (out / "ubn").string() + ": " + error.message());
    // The two tables of every QSO line are written on a second core while
    // this one writes the pages, about as long.
    std::future<void> tables = std::async(std::launch::async, [&] {
        writeQsosCsv(check, out / "qsos.csv");
        writeResultsJson(check, out / "results.json");
    });
    writeWholeFile(out / "results.csv", resultsCsv(check));
    const CrossReferences references(check);
    std::string page;  // one text for every page, grown once to the largest
    for (std::size_t i = 0; i < check.logs.size(); ++i)
        if (check.logs[i].log.state == LogState::Checked) {
            const std::string& callsign = check.logs[i].log.callsign;
            writeWholeFile(out / "ubn" / participantReportName(callsign), participantReport(check, references, i));
            page.clear();
            appendWholeLogPage(page, check, references, i);
            writeWholeFile(out / "ubn" / wholeLogPageName(callsign), page);
        }
    writeWholeFile(out / "results.html", resultsHtml(check));
    writeWholeFile(out / kCommitteeListsPage, committeeListsHtml(check));
    tables.get();
}
