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
                           "form.inline{display:inline}.differs{background:#fde2c8;font-weight:bold}"
                           ".wraps{white-space:normal;overflow-wrap:anywhere}";

}  // namespace

std::string csrfField(const std::string& token)
{
    return "<input type=\"hidden\" name=\"csrf\" value=\"" + htmlEscaped(token) + "\">";
}

namespace {

// The page's words for a refusal, with the log's own values escaped.
std::string refusalText(const PageTexts& texts, const Precheck& precheck)
{
    switch (precheck.refusal) {
    case Refusal::NotALog:
        return texts(MessageId::RobotNotALog);
    case Refusal::NoCallsign:
        return texts(MessageId::RobotNoCallsign);
    case Refusal::OtherContest:
        return texts(MessageId::RobotOtherContest);
    case Refusal::BadCallsign:
        return texts(MessageId::RobotBadCallsign, {htmlEscaped(precheck.callsign)});
    case Refusal::CallsignMismatch:
        return texts(MessageId::RobotCallsignMismatch,
                     {htmlEscaped(precheck.callsign), htmlEscaped(precheck.qsoCallsign)});
    case Refusal::NoReadableQso:
        return texts(MessageId::RobotNoReadableQso);
    case Refusal::NoQsoInPeriod:
        return texts(MessageId::RobotNoQsoInPeriod,
                     {htmlEscaped(precheck.contestPeriod), htmlEscaped(precheck.qsoDates)});
    case Refusal::None:
        break;
    }
    return {};
}

void summaryTable(std::ostringstream& out, const PageTexts& texts, const StoredUpload& upload)
{
    out << "<table>"
        << "<tr><th>" << texts(MessageId::RobotReceipt) << "</th><td id=\"receipt\">" << htmlEscaped(upload.receipt)
        << "</td></tr>"
        << "<tr><th>" << texts(MessageId::RobotReceivedAt) << "</th><td>" << formatUtcSecond(upload.receivedAt)
        << "</td></tr>"
        << "<tr><th>" << texts(MessageId::RobotCallsign) << "</th><td id=\"callsign\">" << htmlEscaped(upload.callsign)
        << "</td></tr>"
        << "<tr><th>" << texts(MessageId::RobotCategory) << "</th><td>" << htmlEscaped(upload.category) << "</td></tr>"
        << "<tr><th>" << texts(MessageId::RobotQsoLines) << "</th><td>" << upload.qsoLines << "</td></tr>"
        << "<tr><th>" << texts(MessageId::RobotClaimedScore) << "</th><td id=\"claimed\">"
        << scoreText(texts, upload.claimedScore) << "</td></tr>"
        << "<tr><th>" << texts(MessageId::RobotComputedScore) << "</th><td id=\"computed\">" << upload.computedScore
        << "</td></tr>"
        << "</table>";
}

void headerProblems(std::ostringstream& out, const PageTexts& texts, const Precheck& precheck)
{
    out << "<h2>" << texts(MessageId::RobotHeaderProblems) << "</h2>";
    if (precheck.headerProblems.empty()) {
        out << "<p>" << texts(MessageId::RobotNone) << "</p>";
        return;
    }
    out << "<ul id=\"header-problems\">";
    for (const BothLanguages& problem : precheck.headerProblems)
        out << "<li>" << htmlEscaped(problem.in(texts.language())) << "</li>";
    out << "</ul>";
}

// Under a list cut to a screenful: how much is shown, and the whole.
void moreToDownload(std::ostringstream& out, const PageTexts& texts, std::size_t shown, std::size_t all,
                    const std::string& href, const char* id)
{
    if (shown < all)
        out << "<p>" << texts(MessageId::RobotFirstLinesShown, {std::to_string(shown), std::to_string(all)})
            << " <a id=\"" << id << "\" href=\"" << href << "\">" << texts(MessageId::RobotDownloadAll) << "</a></p>";
}

void rejectedLines(std::ostringstream& out, const PageTexts& texts, const Answer& answer)
{
    const std::vector<RejectedLine>& lines = answer.precheck.rejectedLines;
    out << "<h2>" << texts(MessageId::RobotRejectedLines) << "</h2>";
    if (lines.empty()) {
        out << "<p>" << texts(MessageId::RobotNone) << "</p>";
        return;
    }
    out << "<table id=\"rejected\">"
        << headingRow(texts, {MessageId::RobotLineColumn, MessageId::RobotTextColumn, MessageId::RobotReasonColumn});
    const std::size_t shown = std::min<std::size_t>(lines.size(), kLinesOnAPage);
    for (std::size_t i = 0; i < shown; ++i)
        out << "<tr><td>" << lines[i].line << "</td><td><code>" << htmlEscaped(lines[i].text) << "</code></td><td>"
            << htmlEscaped(lines[i].reason.in(texts.language())) << "</td></tr>";
    out << "</table>";
    moreToDownload(out, texts, shown, static_cast<std::size_t>(answer.rejectedLineCount),
                   receiptPath(answer.upload.receipt) + "/rejected.txt", "all-rejected");
}

// err.txt's first screenful, and the whole as a download; nothing when it
// holds no QSO, only its header line.
void errorLines(std::ostringstream& out, const PageTexts& texts, const Answer& answer)
{
    const std::string& text = answer.precheck.errorLines;
    const std::size_t firstLineEnd = text.find('\n');
    if (firstLineEnd == std::string::npos || firstLineEnd + 1 == text.size())
        return;
    std::size_t end = 0, shown = 0;
    while (end < text.size() && shown < kLinesOnAPage) {
        end = std::min(text.find('\n', end), text.size() - 1) + 1;
        ++shown;
    }
    const std::size_t all = std::count(text.begin(), text.end(), '\n') + (text.back() == '\n' ? 0 : 1);
    out << "<h2>" << texts(MessageId::RobotErrorLines) << "</h2><pre id=\"err\">" << htmlEscaped(text.substr(0, end))
        << "</pre>";
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
        out << texts(MessageId::RobotVersionNote, {number});
        break;
    case VersionStanding::Replaced:
        out << texts(MessageId::RobotVersionReplaced, {number});
        break;
    case VersionStanding::Waiting:
        out << texts(MessageId::RobotVersionWaiting, {number});
        if (answer.receiptProvedNothing)
            out << "</p><p class=\"no\" id=\"proof\">"
                << texts(MessageId::RobotReceiptProvesNothing, {htmlEscaped(upload.callsign)});
        break;
    case VersionStanding::Declined:
        out << texts(MessageId::RobotVersionDeclined, {number});
        break;
    }
    out << "</p>";
    if (upload.standing == VersionStanding::Checked || upload.standing == VersionStanding::Replaced) {
        const std::string link = "/?replace=" + upload.receipt;
        out << "<p>" << texts(MessageId::RobotReplaceLater) << " <a id=\"replace-link\" href=\"" << link << "\">"
            << link << "</a></p>";
    }
}

void reportLink(std::ostringstream& out, const PageTexts& texts, const StoredUpload& upload)
{
    out << "<p>" << texts(MessageId::RobotReportLater) << ": <a id=\"report-link\" href=\"" << receiptPath(upload.receipt)
        << "\">" << receiptPath(upload.receipt) << "</a></p>";
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
                     const std::string& switchUrl, int refreshSeconds)
{
    std::ostringstream out;
    out << "<!DOCTYPE html><html lang=\"" << texts.languageCode() << "\"><head><meta charset=\"utf-8\">"
        << "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
        << (refreshSeconds ? "<meta http-equiv=\"refresh\" content=\"" + std::to_string(refreshSeconds) + "\">" : "")
        << "<title>" << htmlEscaped(title) << "</title><style>" << kStyle << "</style></head><body>"
        << "<nav><a id=\"language\" href=\"" << htmlEscaped(switchUrl) << "?lang=" << texts.otherLanguageCode() << "\">"
        << texts.otherLanguageName() << "</a></nav>"
        << "<h1>" << htmlEscaped(title) << "</h1>" << body << "</body></html>";
    return out.str();
}

std::string sizeText(const PageTexts& texts, std::size_t bytes)
{
    if (bytes % (1024 * 1024) == 0)
        return texts(MessageId::RobotMegabytes, {std::to_string(bytes / (1024 * 1024))});
    return texts(MessageId::RobotKilobytes, {std::to_string(bytes / 1024)});
}

std::string uploadPage(const PageTexts& texts, const UploadWindow& window, std::size_t uploadLimit,
                       const std::string& csrfToken, const std::string& earlierReceipt)
{
    std::ostringstream body;
    if (window.closed) {
        body << "<h2 class=\"no\">" << texts(MessageId::RobotClosedHeading) << "</h2><p id=\"closed\">"
             << texts(MessageId::RobotClosedSince, {formatUtcMinute(window.deadline)}) << "</p>";
        return htmlPage(texts, texts.contestName(), body.str(), "/");
    }
    body << "<h2>" << texts(MessageId::RobotUploadHeading) << "</h2><p>" << texts(MessageId::RobotUploadIntro)
         << "</p><p id=\"limits\">" << texts(MessageId::RobotUploadTaken, {sizeText(texts, uploadLimit)}) << "</p>";
    if (window.deadline)
        body << "<p>" << texts(MessageId::RobotOpenUntil, {formatUtcMinute(window.deadline)}) << "</p>";
    body << "<form method=\"post\" action=\"/upload\" enctype=\"multipart/form-data\">" << csrfField(csrfToken)
         << "<label>" << texts(MessageId::RobotFileLabel) << " <input type=\"file\" name=\"log\" id=\"log\"></label>"
         << "<label>" << texts(MessageId::RobotPasteLabel) << "<textarea name=\"text\" id=\"text\"></textarea></label>"
         << "<label>" << texts(MessageId::RobotEmailLabel)
         << " <input type=\"email\" name=\"email\" id=\"email\" required></label>"
         << "<label>" << texts(MessageId::RobotEarlierReceiptLabel)
         << " <input name=\"earlier\" id=\"earlier\" maxlength=\"20\" value=\"" << htmlEscaped(earlierReceipt)
         << "\"></label>"
         << "<p><button type=\"submit\" id=\"send\">" << texts(MessageId::RobotSendButton) << "</button></p></form>";
    return htmlPage(texts, texts.contestName(), body.str(), "/");
}

std::string messagePage(const PageTexts& texts, const std::string& heading, const std::string& message,
                        const std::string& switchUrl)
{
    const std::string body = "<h2 class=\"no\" id=\"verdict\">" + htmlEscaped(heading) + "</h2><p id=\"message\">" +
                             htmlEscaped(message) + "</p><p><a href=\"/\">" + texts(MessageId::RobotSendAnother) +
                             "</a></p>";
    return htmlPage(texts, texts.contestName(), body, switchUrl);
}

std::string answerPage(const PageTexts& texts, const Answer& answer)
{
    const StoredUpload& upload = answer.upload;
    const Precheck& precheck = answer.precheck;
    std::ostringstream body;
    if (precheck.accepted()) {
        if (isChecked(upload))
            body << "<h2 class=\"ok\" id=\"verdict\">" << texts(MessageId::RobotAcceptedHeading) << "</h2>";
        else
            body << "<h2 class=\"no\" id=\"verdict\">" << texts(MessageId::RobotNotCheckedHeading) << "</h2>";
        versionNote(body, texts, answer);
        summaryTable(body, texts, upload);
        reportLink(body, texts, upload);
        headerProblems(body, texts, precheck);
        rejectedLines(body, texts, answer);
        if (!precheck.resultsText.empty())
            body << "<h2>" << texts(MessageId::RobotResultsText) << "</h2><pre id=\"results\">"
                 << htmlEscaped(precheck.resultsText) << "</pre>";
        errorLines(body, texts, answer);
    } else {
        // A log not taken has no figures to show: what was wrong, and the
        // receipt that shows what was sent.
        body << "<h2 class=\"no\" id=\"verdict\">" << texts(MessageId::RobotRefusedHeading) << "</h2><p id=\"message\">"
             << refusalText(texts, precheck) << "</p>";
        if (!precheck.refusalDetail.english.empty())
            body << "<pre>" << htmlEscaped(precheck.refusalDetail.in(texts.language())) << "</pre>";
        body << "<p>" << texts(MessageId::RobotReceipt) << ": <span id=\"receipt\">" << htmlEscaped(upload.receipt)
             << "</span></p>";
        reportLink(body, texts, upload);
    }
    body << "<p><a href=\"/\">" << texts(MessageId::RobotSendAnother) << "</a></p>";
    return htmlPage(texts, texts.contestName(), body.str(), receiptPath(upload.receipt));
}

std::string rejectedLinesText(const std::vector<RejectedLine>& lines, Language language)
{
    std::string text;
    for (const RejectedLine& line : lines)
        text += std::to_string(line.line) + "\t" + line.text + "\t" + line.reason.in(language) + "\r\n";
    return text;
}

std::string loginPage(const PageTexts& texts, const std::string& csrfToken, const std::string& message)
{
    std::ostringstream body;
    if (!message.empty())
        body << "<p class=\"no\" id=\"message\">" << htmlEscaped(message) << "</p>";
    body << "<form method=\"post\" action=\"/organiser/login\">" << csrfField(csrfToken) << "<label>"
         << texts(MessageId::RobotPassword) << " <input type=\"password\" name=\"password\" id=\"password\"></label>"
         << "<p><button type=\"submit\" id=\"login\">" << texts(MessageId::RobotLogIn) << "</button></p></form>";
    return htmlPage(texts, texts(MessageId::RobotLoginHeading), body.str(), "/organiser/login");
}

std::string scoreText(const PageTexts& texts, const std::optional<long long>& value)
{
    return value ? std::to_string(*value) : std::string(texts(MessageId::RobotNotClaimed));
}

std::string headingRow(const PageTexts& texts, std::initializer_list<MessageId> headings)
{
    std::string row = "<tr>";
    for (const MessageId heading : headings)
        row += "<th>" + texts(heading) + "</th>";
    return row + "</tr>";
}

std::string postButton(const std::string& action, const std::string& id, const std::string& label,
                       const std::string& csrfToken, const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string form = "<form class=\"inline\" method=\"post\" action=\"" + action + "\">" + csrfField(csrfToken);
    for (const auto& field : fields)
        form += "<input type=\"hidden\" name=\"" + field.first + "\" value=\"" + htmlEscaped(field.second) + "\">";
    return form + "<button type=\"submit\" id=\"" + id + "\">" + label + "</button></form> ";
}
