#include "robot/pages.h"

#include <algorithm>
#include <sstream>

#include "contest/text.h"
#include "robot/robot_config.h"

namespace {

const char* const kStyle = "body{font-family:sans-serif;max-width:72em;margin:1em auto;padding:0 1em;color:#222}"
                           "table{border-collapse:collapse;margin:.5em 0}td,th{border:1px solid #bbb;padding:.2em "
                           ".5em;text-align:left;vertical-align:top}"
                           "#logs td{white-space:nowrap}"
                           "pre{background:#f4f4f4;padding:.5em;overflow-x:auto}.ok{color:#070}.no{color:#b00}"
                           "nav{float:right}label{display:block;margin-top:.6em}textarea{width:100%;height:12em}"
                           "form.inline{display:inline}";

std::string csrfField(const std::string& token)
{
    return "<input type=\"hidden\" name=\"csrf\" value=\"" + htmlEscaped(token) + "\">";
}

// The page's words for a refusal, with the log's own values escaped.
std::string refusalText(const PageTexts& texts, const Precheck& precheck)
{
    switch (precheck.refusal) {
    case Refusal::NotALog:
        return texts.notALog;
    case Refusal::NoCallsign:
        return texts.noCallsign;
    case Refusal::OtherContest:
        return texts.otherContest;
    case Refusal::BadCallsign:
        return fill(texts.badCallsign, htmlEscaped(precheck.callsign));
    case Refusal::CallsignMismatch:
        return fill(texts.callsignMismatch, htmlEscaped(precheck.callsign), htmlEscaped(precheck.qsoCallsign));
    case Refusal::NoReadableQso:
        return texts.noReadableQso;
    case Refusal::NoQsoInPeriod:
        return fill(texts.noQsoInPeriod, htmlEscaped(precheck.contestPeriod), htmlEscaped(precheck.qsoDates));
    case Refusal::None:
        break;
    }
    return {};
}

std::string score(const PageTexts& texts, const std::optional<long long>& value)
{
    return value ? std::to_string(*value) : std::string(texts.notClaimed);
}

void summaryTable(std::ostringstream& out, const PageTexts& texts, const StoredUpload& upload)
{
    out << "<table>"
        << "<tr><th>" << texts.receipt << "</th><td id=\"receipt\">" << htmlEscaped(upload.receipt) << "</td></tr>"
        << "<tr><th>" << texts.receivedAt << "</th><td>" << formatUtcSecond(upload.receivedAt) << "</td></tr>"
        << "<tr><th>" << texts.callsign << "</th><td id=\"callsign\">" << htmlEscaped(upload.callsign) << "</td></tr>"
        << "<tr><th>" << texts.category << "</th><td>" << htmlEscaped(upload.category) << "</td></tr>"
        << "<tr><th>" << texts.qsoLines << "</th><td>" << upload.qsoLines << "</td></tr>"
        << "<tr><th>" << texts.claimedScore << "</th><td id=\"claimed\">" << score(texts, upload.claimedScore)
        << "</td></tr>"
        << "<tr><th>" << texts.computedScore << "</th><td id=\"computed\">" << upload.computedScore << "</td></tr>"
        << "</table>";
}

void headerProblems(std::ostringstream& out, const PageTexts& texts, const Precheck& precheck)
{
    out << "<h2>" << texts.headerProblems << "</h2>";
    if (precheck.headerProblems.empty()) {
        out << "<p>" << texts.none << "</p>";
        return;
    }
    out << "<ul id=\"header-problems\">";
    for (const std::string& problem : precheck.headerProblems)
        out << "<li>" << htmlEscaped(problem) << "</li>";
    out << "</ul>";
}

// Under a list cut to a screenful: how much is shown, and the whole.
void moreToDownload(std::ostringstream& out, const PageTexts& texts, std::size_t shown, std::size_t all,
                    const std::string& href, const char* id)
{
    if (shown < all)
        out << "<p>" << fill(texts.firstLinesShown, std::to_string(shown), std::to_string(all)) << " <a id=\"" << id
            << "\" href=\"" << href << "\">" << texts.downloadAll << "</a></p>";
}

void rejectedLines(std::ostringstream& out, const PageTexts& texts, const Answer& answer)
{
    const std::vector<RejectedLine>& lines = answer.precheck.rejectedLines;
    out << "<h2>" << texts.rejectedLines << "</h2>";
    if (lines.empty()) {
        out << "<p>" << texts.none << "</p>";
        return;
    }
    out << "<table id=\"rejected\"><tr><th>" << texts.lineColumn << "</th><th>" << texts.textColumn << "</th><th>"
        << texts.reasonColumn << "</th></tr>";
    const std::size_t shown = std::min<std::size_t>(lines.size(), kLinesOnAPage);
    for (std::size_t i = 0; i < shown; ++i)
        out << "<tr><td>" << lines[i].line << "</td><td><code>" << htmlEscaped(lines[i].text) << "</code></td><td>"
            << htmlEscaped(lines[i].reason) << "</td></tr>";
    out << "</table>";
    moreToDownload(out, texts, shown, static_cast<std::size_t>(answer.rejectedLineCount),
                   receiptPath(answer.upload.receipt) + "/rejected.txt", "all-rejected");
}

// err.txt's first screenful, and the whole as a download.
void errorLines(std::ostringstream& out, const PageTexts& texts, const Answer& answer)
{
    const std::string& text = answer.precheck.errorLines;
    if (text.empty())
        return;
    std::size_t end = 0, shown = 0;
    while (end < text.size() && shown < kLinesOnAPage) {
        end = std::min(text.find('\n', end), text.size() - 1) + 1;
        ++shown;
    }
    const std::size_t all = std::count(text.begin(), text.end(), '\n') + (text.back() == '\n' ? 0 : 1);
    out << "<h2>" << texts.errorLines << "</h2><pre id=\"err\">" << htmlEscaped(text.substr(0, end)) << "</pre>";
    moreToDownload(out, texts, shown, all, receiptPath(answer.upload.receipt) + "/err.txt", "all-err");
}

// What became of this version of the callsign's log, and for a version
// that is or was checked, how its sender replaces it.
void versionNote(std::ostringstream& out, const PageTexts& texts, const Answer& answer)
{
    const StoredUpload& upload = answer.upload;
    const std::string number = std::to_string(upload.version);
    out << "<p id=\"version\">";
    switch (upload.standing) {
    case VersionStanding::Checked:
        out << fill(texts.versionNote, number);
        break;
    case VersionStanding::Replaced:
        out << fill(texts.versionReplaced, number);
        break;
    case VersionStanding::Waiting:
        out << fill(texts.versionWaiting, number);
        if (answer.receiptProvedNothing)
            out << "</p><p class=\"no\" id=\"proof\">"
                << fill(texts.receiptProvesNothing, htmlEscaped(upload.callsign));
        break;
    case VersionStanding::Declined:
        out << fill(texts.versionDeclined, number);
        break;
    }
    out << "</p>";
    if (upload.standing == VersionStanding::Checked || upload.standing == VersionStanding::Replaced) {
        const std::string link = "/?replace=" + upload.receipt;
        out << "<p>" << texts.replaceLater << " <a id=\"replace-link\" href=\"" << link << "\">" << link << "</a></p>";
    }
}

bool isChecked(const StoredUpload& upload)
{
    return upload.standing == VersionStanding::Checked || upload.standing == VersionStanding::Replaced;
}

}  // namespace

std::string receiptPath(const std::string& receipt)
{
    return "/receipt/" + receipt;
}

bool isReceiptShaped(const std::string& text)
{
    return !text.empty() && text.size() <= 20 &&
           text.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos;
}

std::string htmlPage(const PageTexts& texts, const std::string& title, const std::string& body,
                     const std::string& switchUrl)
{
    const char* otherCode = std::string(texts.languageCode) == "ru" ? "en" : "ru";
    std::ostringstream out;
    out << "<!DOCTYPE html><html lang=\"" << texts.languageCode << "\"><head><meta charset=\"utf-8\">"
        << "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
        << "<title>" << htmlEscaped(title) << "</title><style>" << kStyle << "</style></head><body>"
        << "<nav><a id=\"language\" href=\"" << htmlEscaped(switchUrl) << "?lang=" << otherCode << "\">"
        << texts.otherLanguageName << "</a></nav>"
        << "<h1>" << htmlEscaped(title) << "</h1>" << body << "</body></html>";
    return out.str();
}

std::string uploadPage(const PageTexts& texts, const std::string& contestName, const UploadWindow& window,
                       const std::string& csrfToken, const std::string& earlierReceipt)
{
    std::ostringstream body;
    if (window.closed) {
        body << "<h2 class=\"no\">" << texts.closedHeading << "</h2><p id=\"closed\">"
             << fill(texts.closedSince, formatUtcMinute(window.deadline)) << "</p>";
        return htmlPage(texts, contestName, body.str(), "/");
    }
    body << "<h2>" << texts.uploadHeading << "</h2><p>" << texts.uploadIntro << "</p>";
    if (window.deadline)
        body << "<p>" << fill(texts.openUntil, formatUtcMinute(window.deadline)) << "</p>";
    body << "<form method=\"post\" action=\"/upload\" enctype=\"multipart/form-data\">" << csrfField(csrfToken)
         << "<label>" << texts.fileLabel << " <input type=\"file\" name=\"log\" id=\"log\"></label>"
         << "<label>" << texts.pasteLabel << "<textarea name=\"text\" id=\"text\"></textarea></label>"
         << "<label>" << texts.emailLabel << " <input type=\"email\" name=\"email\" id=\"email\" required></label>"
         << "<label>" << texts.earlierReceiptLabel
         << " <input name=\"earlier\" id=\"earlier\" maxlength=\"20\" value=\"" << htmlEscaped(earlierReceipt)
         << "\"></label>"
         << "<p><button type=\"submit\" id=\"send\">" << texts.sendButton << "</button></p></form>";
    return htmlPage(texts, contestName, body.str(), "/");
}

std::string messagePage(const PageTexts& texts, const std::string& heading, const std::string& message,
                        const std::string& switchUrl)
{
    const std::string body = "<h2 class=\"no\" id=\"verdict\">" + htmlEscaped(heading) + "</h2><p id=\"message\">" +
                             htmlEscaped(message) + "</p><p><a href=\"/\">" + texts.sendAnother + "</a></p>";
    return htmlPage(texts, texts.robotTitle, body, switchUrl);
}

std::string answerPage(const PageTexts& texts, const Answer& answer)
{
    const StoredUpload& upload = answer.upload;
    const Precheck& precheck = answer.precheck;
    std::ostringstream body;
    if (precheck.accepted()) {
        if (isChecked(upload))
            body << "<h2 class=\"ok\" id=\"verdict\">" << texts.acceptedHeading << "</h2>";
        else
            body << "<h2 class=\"no\" id=\"verdict\">" << texts.notCheckedHeading << "</h2>";
        versionNote(body, texts, answer);
    } else {
        body << "<h2 class=\"no\" id=\"verdict\">" << texts.refusedHeading << "</h2><p id=\"message\">"
             << refusalText(texts, precheck) << "</p>";
        if (!precheck.refusalDetail.empty())
            body << "<pre>" << htmlEscaped(precheck.refusalDetail) << "</pre>";
    }
    summaryTable(body, texts, upload);
    body << "<p>" << texts.reportLater << ": <a id=\"report-link\" href=\"" << receiptPath(upload.receipt) << "\">"
         << receiptPath(upload.receipt) << "</a></p>";
    headerProblems(body, texts, precheck);
    rejectedLines(body, texts, answer);
    if (!precheck.resultsText.empty())
        body << "<h2>" << texts.resultsText << "</h2><pre id=\"results\">" << htmlEscaped(precheck.resultsText)
             << "</pre>";
    errorLines(body, texts, answer);
    body << "<p><a href=\"/\">" << texts.sendAnother << "</a></p>";
    return htmlPage(texts, texts.robotTitle, body.str(), receiptPath(upload.receipt));
}

std::string rejectedLinesText(const std::vector<RejectedLine>& lines)
{
    std::string text;
    for (const RejectedLine& line : lines)
        text += std::to_string(line.line) + "\t" + line.text + "\t" + line.reason + "\r\n";
    return text;
}

std::string loginPage(const PageTexts& texts, const std::string& csrfToken, const std::string& message)
{
    std::ostringstream body;
    if (!message.empty())
        body << "<p class=\"no\" id=\"message\">" << htmlEscaped(message) << "</p>";
    body << "<form method=\"post\" action=\"/organiser/login\">" << csrfField(csrfToken) << "<label>" << texts.password
         << " <input type=\"password\" name=\"password\" id=\"password\"></label>"
         << "<p><button type=\"submit\" id=\"login\">" << texts.logIn << "</button></p></form>";
    return htmlPage(texts, texts.loginHeading, body.str(), "/organiser/login");
}

namespace {

// `fields`: more hidden inputs, written out already.
std::string postButton(const std::string& action, const std::string& id, const char* label,
                       const std::string& csrfToken, const std::string& fields = "")
{
    return "<form class=\"inline\" method=\"post\" action=\"" + action + "\">" + csrfField(csrfToken) + fields +
           "<button type=\"submit\" id=\"" + id + "\">" + label + "</button></form> ";
}

const char* standingName(const PageTexts& texts, VersionStanding standing)
{
    switch (standing) {
    case VersionStanding::Checked:
        return texts.standingChecked;
    case VersionStanding::Replaced:
        return texts.standingReplaced;
    case VersionStanding::Waiting:
        return texts.standingWaiting;
    case VersionStanding::Declined:
        return texts.standingDeclined;
    }
    return "";
}

// What the organiser compares of two versions, as the headings and cells
// of one table.
std::vector<const char*> versionHeadings(const PageTexts& texts)
{
    return {texts.versionColumn, texts.standingColumn, texts.timeColumn,    texts.emailColumn, texts.fileColumn,
            texts.qsoLines,      texts.claimedScore,   texts.computedScore, texts.receipt};
}

std::vector<std::string> versionCells(const PageTexts& texts, const StoredUpload& upload)
{
    return {std::to_string(upload.version),
            standingName(texts, upload.standing),
            formatUtcSecond(upload.receivedAt),
            htmlEscaped(upload.email),
            htmlEscaped(upload.fileName),
            std::to_string(upload.qsoLines),
            score(texts, upload.claimedScore),
            std::to_string(upload.computedScore),
            "<a href=\"" + receiptPath(upload.receipt) + "\">" + htmlEscaped(upload.receipt) + "</a>"};
}

// Each waiting version beside the one checked now, with the two choices.
void waitingVersions(std::ostringstream& out, const PageTexts& texts, const std::string& csrfToken,
                     const std::vector<StoredUpload>& versions)
{
    const auto waiting = std::count_if(versions.begin(), versions.end(), [](const StoredUpload& upload) {
        return upload.standing == VersionStanding::Waiting;
    });
    if (waiting == 0)
        return;
    out << "<h2 id=\"waiting\">" << texts.waitingVersions << " (" << waiting << ")</h2>";
    const std::vector<const char*> headings = versionHeadings(texts);
    for (const StoredUpload& candidate : versions) {
        if (candidate.standing != VersionStanding::Waiting)
            continue;
        const auto checked = std::find_if(versions.begin(), versions.end(), [&](const StoredUpload& upload) {
            return upload.callsign == candidate.callsign && upload.standing == VersionStanding::Checked;
        });
        const std::vector<std::string> left =
            checked == versions.end() ? std::vector<std::string>(headings.size()) : versionCells(texts, *checked);
        const std::vector<std::string> right = versionCells(texts, candidate);
        out << "<table class=\"versions\"><tr><th>" << htmlEscaped(candidate.callsign) << "</th><th>"
            << texts.checkedNow << "</th><th>" << texts.waitingColumn << "</th></tr>";
        for (std::size_t i = 0; i < headings.size(); ++i)
            out << "<tr><th>" << headings[i] << "</th><td>" << left[i] << "</td><td>" << right[i] << "</td></tr>";
        const std::string receipt = htmlEscaped(candidate.receipt);
        const std::string field = "<input type=\"hidden\" name=\"receipt\" value=\"" + receipt + "\">";
        out << "</table><p>"
            << postButton("/organiser/version", "check-" + receipt, texts.checkThisOne, csrfToken,
                          field + "<input type=\"hidden\" name=\"choice\" value=\"check\">")
            << postButton("/organiser/version", "keep-" + receipt, texts.keepChecked, csrfToken,
                          field + "<input type=\"hidden\" name=\"choice\" value=\"keep\">")
            << "</p>";
    }
}

void everyVersionTable(std::ostringstream& out, const PageTexts& texts, const std::vector<StoredUpload>& versions)
{
    out << "<h2>" << texts.everyVersion << " (" << versions.size() << ")</h2><table id=\"versions\"><tr><th>"
        << texts.callsign << "</th>";
    for (const char* heading : versionHeadings(texts))
        out << "<th>" << heading << "</th>";
    out << "</tr>";
    for (const StoredUpload& upload : versions) {
        out << "<tr><td>" << htmlEscaped(upload.callsign) << "</td>";
        for (const std::string& cell : versionCells(texts, upload))
            out << "<td>" << cell << "</td>";
        out << "</tr>";
    }
    out << "</table>";
}

void receivedTable(std::ostringstream& out, const PageTexts& texts, const std::vector<StoredUpload>& logs)
{
    out << "<h2>" << texts.logsReceived << " (" << logs.size() << ")</h2><table id=\"logs\"><tr><th>"
        << texts.timeColumn << "</th><th>" << texts.callsign << "</th><th>" << texts.category << "</th><th>"
        << texts.qsoLines << "</th><th>" << texts.claimedScore << "</th><th>" << texts.computedScore << "</th><th>"
        << texts.versionColumn << "</th><th>" << texts.emailColumn << "</th><th>" << texts.receipt << "</th></tr>";
    for (const StoredUpload& log : logs)
        out << "<tr><td>" << formatUtcSecond(log.receivedAt) << "</td><td>" << htmlEscaped(log.callsign) << "</td><td>"
            << htmlEscaped(log.category) << "</td><td>" << log.qsoLines << "</td><td>" << score(texts, log.claimedScore)
            << "</td><td>" << log.computedScore << "</td><td>" << log.version << "</td><td>" << htmlEscaped(log.email)
            << "</td><td><a href=\"" << receiptPath(log.receipt) << "\">" << htmlEscaped(log.receipt)
            << "</a></td></tr>";
    out << "</table>";
}

void missingTable(std::ostringstream& out, const PageTexts& texts, const std::vector<MissingLog>& missing)
{
    out << "<h2>" << texts.missingLogs << "</h2>";
    if (missing.empty()) {
        out << "<p>" << texts.none << "</p>";
        return;
    }
    out << "<table id=\"missing\"><tr><th>" << texts.callsign << "</th><th>" << texts.workedBy << "</th></tr>";
    for (const MissingLog& log : missing)
        out << "<tr><td>" << htmlEscaped(log.callsign) << "</td><td>" << log.workedBy << "</td></tr>";
    out << "</table>";
}

}  // namespace

std::string organiserPage(const PageTexts& texts, const std::string& csrfToken, const OrganiserView& view)
{
    std::ostringstream body;
    body << "<p>" << postButton("/organiser/check", "run-check", texts.runCheck, csrfToken);
    if (view.lastRun) {
        body << "<a href=\"/organiser/run/" << view.lastRun << "\">"
             << fill(texts.checkRun, std::to_string(view.lastRun)) << "</a> ";
        body << postButton("/organiser/publish", "publish", texts.publish, csrfToken);
    }
    if (!view.window.closed)
        body << postButton("/organiser/close", "close", texts.closeNow, csrfToken);
    body << postButton("/organiser/logout", "logout", texts.logOut, csrfToken) << "</p>";
    if (view.window.closed)
        body << "<p class=\"no\">" << fill(texts.closedSince, formatUtcMinute(view.window.deadline)) << "</p>";
    else if (view.window.deadline)
        body << "<p>" << fill(texts.openUntil, formatUtcMinute(view.window.deadline)) << "</p>";
    if (view.published)
        body << "<p class=\"ok\"><a href=\"/results\">" << texts.published << "</a></p>";
    waitingVersions(body, texts, csrfToken, view.versions);
    receivedTable(body, texts, view.logs);
    missingTable(body, texts, view.missing);
    everyVersionTable(body, texts, view.versions);
    return htmlPage(texts, texts.organiserHeading, body.str(), "/organiser");
}

std::string runPage(const PageTexts& texts, const std::string& csrfToken, long long run,
                    const std::vector<std::string>& reportNames, const std::string& failure)
{
    const std::string base = "/organiser/run/" + std::to_string(run);
    std::ostringstream body;
    body << "<p><a href=\"/organiser\">" << texts.organiserHeading << "</a></p>";
    if (!failure.empty())
        body << "<p class=\"no\">" << texts.checkFailed << "</p><pre>" << htmlEscaped(failure) << "</pre>";
    body << "<p><a id=\"results-page\" href=\"" << base << "/results.html\">" << texts.resultsPage << "</a> &middot; "
         << "<a id=\"zip\" href=\"" << base << "/all.zip\">" << texts.download << "</a> "
         << postButton("/organiser/publish", "publish", texts.publish, csrfToken) << "</p>";
    body << "<h2>" << texts.reports << "</h2><ul id=\"reports\">";
    for (const std::string& name : reportNames)
        body << "<li><a href=\"" << base << "/ubn/" << htmlEscaped(name) << "\">" << htmlEscaped(name) << "</a></li>";
    body << "</ul>";
    return htmlPage(texts, fill(texts.checkRun, std::to_string(run)), body.str(), base);
}
