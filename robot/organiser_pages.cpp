#include "robot/organiser_pages.h"

#include <algorithm>
#include <sstream>

#include "contest/text.h"
#include "robot/robot_config.h"

namespace {

std::string publishButton(const PageTexts& texts, const std::string& csrfToken, long long run)
{
    return postButton("/organiser/publish", "publish", texts(MessageId::RobotPublish), csrfToken,
                      {{"run", std::to_string(run)}});
}

// A participant's own words in a table cell (an address, a file name, the
// categories): broken anywhere rather than widen the list past the page.
std::string wrappingText(const std::string& text)
{
    return "<span class=\"wraps\">" + htmlEscaped(text) + "</span>";
}

std::string runPath(long long run)
{
    return "/organiser/run/" + std::to_string(run);
}

std::string stateText(const PageTexts& texts, RunState state)
{
    switch (state) {
    case RunState::Running:
        return texts(MessageId::RobotRunRunning);
    case RunState::Failed:
        return texts(MessageId::RobotRunFailed);
    case RunState::Done:
        break;
    }
    return texts(MessageId::RobotRunDone);
}

// The claimed score, marked when the rules count another.
std::string claimedCell(const PageTexts& texts, const StoredUpload& log)
{
    if (log.claimedScore && *log.claimedScore != log.computedScore)
        return std::string("<td class=\"differs\" title=\"") + texts(MessageId::RobotScoresDiffer) + "\">" +
               scoreText(texts, log.claimedScore) + "</td>";
    return "<td>" + scoreText(texts, log.claimedScore) + "</td>";
}

std::string standingName(const PageTexts& texts, VersionStanding standing)
{
    switch (standing) {
    case VersionStanding::Checked:
        return texts(MessageId::RobotStandingChecked);
    case VersionStanding::Replaced:
        return texts(MessageId::RobotStandingReplaced);
    case VersionStanding::Waiting:
        return texts(MessageId::RobotStandingWaiting);
    case VersionStanding::Declined:
        return texts(MessageId::RobotStandingDeclined);
    }
    return "";
}

// What the organiser compares of two versions, as the headings and cells
// of one table.
std::vector<std::string> versionHeadings(const PageTexts& texts)
{
    return {
        texts(MessageId::RobotVersionColumn), texts(MessageId::RobotStandingColumn), texts(MessageId::RobotReceivedAt),
        texts(MessageId::RobotEmailColumn),   texts(MessageId::RobotFileColumn),     texts(MessageId::RobotQsoLines),
        texts(MessageId::RobotClaimedScore),  texts(MessageId::RobotComputedScore),  texts(MessageId::RobotReceipt)};
}

std::vector<std::string> versionCells(const PageTexts& texts, const StoredUpload& upload)
{
    return {std::to_string(upload.version),
            standingName(texts, upload.standing),
            formatUtcSecond(upload.receivedAt),
            wrappingText(upload.email),
            wrappingText(upload.fileName),
            std::to_string(upload.qsoLines),
            scoreText(texts, upload.claimedScore),
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
    out << "<h2 id=\"waiting\">" << texts(MessageId::RobotWaitingVersions) << " (" << waiting << ")</h2>";
    const std::vector<std::string> headings = versionHeadings(texts);
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
            << texts(MessageId::RobotCheckedNow) << "</th><th>" << texts(MessageId::RobotWaitingColumn) << "</th></tr>";
        for (std::size_t i = 0; i < headings.size(); ++i)
            out << "<tr><th>" << headings[i] << "</th><td>" << left[i] << "</td><td>" << right[i] << "</td></tr>";
        const std::string receipt = htmlEscaped(candidate.receipt);
        out << "</table><p>"
            << postButton("/organiser/version", "check-" + receipt, texts(MessageId::RobotCheckThisOne), csrfToken,
                          {{"receipt", candidate.receipt}, {"choice", "check"}})
            << postButton("/organiser/version", "keep-" + receipt, texts(MessageId::RobotKeepChecked), csrfToken,
                          {{"receipt", candidate.receipt}, {"choice", "keep"}})
            << "</p>";
    }
}

std::size_t pageCount(std::size_t rows)
{
    return std::max<std::size_t>(1, (rows + kRowsOnAPage - 1) / kRowsOnAPage);
}

// The page asked for within the list: 0 is the first, one past the end the last.
std::size_t pageWithin(std::size_t rows, std::size_t page)
{
    return std::min(std::max<std::size_t>(page, 1), pageCount(rows));
}

template <typename Row>
std::vector<Row> rowsOfPage(const std::vector<Row>& rows, std::size_t page)
{
    const std::size_t first = (pageWithin(rows.size(), page) - 1) * kRowsOnAPage;
    return std::vector<Row>(rows.begin() + first, rows.begin() + std::min(rows.size(), first + kRowsOnAPage));
}

// Links to each page of a list of `rows`, under it; none for one page.
void pageLinks(std::ostringstream& out, const PageTexts& texts, const std::string& path, std::size_t rows,
               std::size_t page)
{
    if (pageCount(rows) < 2)
        return;
    out << "<p class=\"pages\">" << texts(MessageId::RobotPages);
    for (std::size_t n = 1; n <= pageCount(rows); ++n)
        if (n == pageWithin(rows, page))
            out << " <b>" << n << "</b>";
        else
            out << " <a href=\"" << path << "?page=" << n << "\">" << n << "</a>";
    out << "</p>";
}

void everyVersionTable(std::ostringstream& out, const PageTexts& texts, const std::vector<StoredUpload>& versions,
                       std::size_t page)
{
    out << "<h2>" << texts(MessageId::RobotEveryVersion) << " (" << versions.size()
        << ")</h2><table id=\"versions\"><tr><th>" << texts(MessageId::RobotCallsign) << "</th>";
    for (const std::string& heading : versionHeadings(texts))
        out << "<th>" << heading << "</th>";
    out << "</tr>";
    for (const StoredUpload& upload : rowsOfPage(versions, page)) {
        out << "<tr><td>" << htmlEscaped(upload.callsign) << "</td>";
        for (const std::string& cell : versionCells(texts, upload))
            out << "<td>" << cell << "</td>";
        out << "</tr>";
    }
    out << "</table>";
    pageLinks(out, texts, "/organiser/versions", versions.size(), page);
}

void receivedTable(std::ostringstream& out, const PageTexts& texts, const std::vector<StoredUpload>& logs,
                   std::size_t page)
{
    out << "<h2>" << texts(MessageId::RobotLogsReceived) << " (" << logs.size() << ")</h2><table id=\"logs\">"
        << headingRow(texts, {MessageId::RobotReceivedAt, MessageId::RobotCallsign, MessageId::RobotCategory,
                              MessageId::RobotQsoLines, MessageId::RobotClaimedScore, MessageId::RobotComputedScore,
                              MessageId::RobotVersionColumn, MessageId::RobotEmailColumn, MessageId::RobotReceipt});
    for (const StoredUpload& log : rowsOfPage(logs, page))
        out << "<tr><td>" << formatUtcSecond(log.receivedAt) << "</td><td>" << htmlEscaped(log.callsign) << "</td><td>"
            << wrappingText(log.category) << "</td><td>" << log.qsoLines << "</td>" << claimedCell(texts, log) << "<td>"
            << log.computedScore << "</td><td>" << log.version << "</td><td>" << wrappingText(log.email)
            << "</td><td><a href=\"" << receiptPath(log.receipt) << "\">" << htmlEscaped(log.receipt)
            << "</a></td></tr>";
    out << "</table>";
    pageLinks(out, texts, "/organiser", logs.size(), page);
}

void refusedTable(std::ostringstream& out, const PageTexts& texts, const std::vector<StoredUpload>& refused)
{
    out << "<h2>" << texts(MessageId::RobotRefusedUploads) << " (" << refused.size() << ")</h2>";
    if (refused.empty()) {
        out << "<p>" << texts(MessageId::RobotNone) << "</p>";
        return;
    }
    out << "<table id=\"refused\">"
        << headingRow(texts, {MessageId::RobotReceivedAt, MessageId::RobotCallsign, MessageId::RobotFileColumn,
                              MessageId::RobotEmailColumn, MessageId::RobotReceipt});
    for (const StoredUpload& upload : refused)
        out << "<tr><td>" << formatUtcSecond(upload.receivedAt) << "</td><td>" << htmlEscaped(upload.callsign)
            << "</td><td>" << wrappingText(upload.fileName) << "</td><td>" << wrappingText(upload.email)
            << "</td><td><a href=\"" << receiptPath(upload.receipt) << "\">" << htmlEscaped(upload.receipt)
            << "</a></td></tr>";
    out << "</table>";
}

void missingTable(std::ostringstream& out, const PageTexts& texts, const std::vector<MissingLog>& missing)
{
    out << "<h2>" << texts(MessageId::RobotMissingLogs) << "</h2>";
    if (missing.empty()) {
        out << "<p>" << texts(MessageId::RobotNone) << "</p>";
        return;
    }
    out << "<table id=\"missing\">" << headingRow(texts, {MessageId::RobotCallsign, MessageId::RobotWorkedBy});
    for (const MissingLog& log : missing)
        out << "<tr><td>" << htmlEscaped(log.callsign) << "</td><td>" << log.workedBy << "</td></tr>";
    out << "</table>";
}

}  // namespace

std::string organiserPage(const PageTexts& texts, const std::string& csrfToken, const OrganiserView& view)
{
    std::ostringstream body;
    const long long newest = view.newestRun ? view.newestRun->id : 0;
    body << "<p>"
         << postButton("/organiser/check", "run-check", texts(MessageId::RobotRunCheck), csrfToken,
                       {{"newest", std::to_string(newest)}});
    if (view.newestRun)
        body << "<a id=\"newest-run\" href=\"" << runPath(newest) << "\">"
             << texts(MessageId::RobotCheckRun, {std::to_string(newest)}) << "</a> ("
             << stateText(texts, view.newestRun->state) << ") ";
    if (view.newestDone)
        body << publishButton(texts, csrfToken, view.newestDone->id);
    if (!view.window.closed)
        body << postButton("/organiser/close", "close", texts(MessageId::RobotCloseNow), csrfToken);
    else if (view.closedByHand)
        body << postButton("/organiser/reopen", "reopen", texts(MessageId::RobotReopen), csrfToken);
    body << postButton("/organiser/logout", "logout", texts(MessageId::RobotLogOut), csrfToken) << "</p>";
    if (view.window.closed)
        body << "<p class=\"no\">" << texts(MessageId::RobotClosedSince, {formatUtcMinute(view.window.deadline)})
             << "</p>";
    else if (view.window.deadline)
        body << "<p>" << texts(MessageId::RobotOpenUntil, {formatUtcMinute(view.window.deadline)}) << "</p>";
    if (view.published)
        body << "<p class=\"ok\"><a href=\"/results\">" << texts(MessageId::RobotPublished) << "</a></p>";
    body << "<p><a id=\"received\" href=\"/organiser/received.zip\">" << texts(MessageId::RobotDownloadReceived)
         << "</a></p>";
    waitingVersions(body, texts, csrfToken, view.versions);
    receivedTable(body, texts, view.logs, view.page);
    refusedTable(body, texts, view.refused);
    missingTable(body, texts, view.missing);
    body << "<p><a id=\"versions-link\" href=\"/organiser/versions\">" << texts(MessageId::RobotEveryVersion) << " ("
         << view.versions.size() << ")</a></p>";
    return htmlPage(texts, texts(MessageId::RobotOrganiserHeading), body.str(), "/organiser");
}

std::string versionsPage(const PageTexts& texts, const std::vector<StoredUpload>& versions, std::size_t page)
{
    std::ostringstream body;
    body << "<p><a href=\"/organiser\">" << texts(MessageId::RobotOrganiserHeading) << "</a></p>";
    everyVersionTable(body, texts, versions, page);
    return htmlPage(texts, texts(MessageId::RobotOrganiserHeading), body.str(), "/organiser/versions");
}

namespace {

void runProgress(std::ostringstream& out, const PageTexts& texts, const RunProgress& progress)
{
    out << "<p id=\"progress\">";
    switch (progress.stage) {
    case RunStage::Collecting:
        out << texts(MessageId::RobotCollectingLogs,
                     {std::to_string(progress.logsCollected) + " / " + std::to_string(progress.logsTotal)});
        break;
    case RunStage::Checking:
        out << texts(MessageId::RobotCheckingLogs);
        break;
    case RunStage::Zipping:
        out << texts(MessageId::RobotZippingRun);
        break;
    }
    out << "</p><p>" << texts(MessageId::RobotPageRefreshes) << "</p>";
}

void runOutputs(std::ostringstream& out, const PageTexts& texts, const std::string& csrfToken, const RunView& view)
{
    const std::string base = runPath(view.run.id);
    out << "<p><a id=\"results-page\" href=\"" << base << "/results.html\">" << texts(MessageId::RobotResultsPage)
        << "</a> &middot; "
        << "<a id=\"zip\" href=\"" << base << "/all.zip\">" << texts(MessageId::RobotDownload) << "</a> "
        << publishButton(texts, csrfToken, view.run.id) << "</p>";
    out << "<h2>" << texts(MessageId::RobotReports) << "</h2><ul id=\"reports\">";
    for (const std::string& name : view.reportNames)
        out << "<li><a href=\"" << base << "/ubn/" << htmlEscaped(name) << "\">" << htmlEscaped(name) << "</a></li>";
    out << "</ul>";
}

}  // namespace

std::string runPage(const PageTexts& texts, const std::string& csrfToken, const RunView& view)
{
    const RunRecord& run = view.run;
    std::ostringstream body;
    body << "<p><a href=\"/organiser\">" << texts(MessageId::RobotOrganiserHeading) << "</a></p><p id=\"run-state\">"
         << stateText(texts, run.state) << ". " << texts(MessageId::RobotRunStarted, {formatUtcSecond(run.startedAt)});
    if (run.state != RunState::Running)
        body << " " << texts(MessageId::RobotRunFinished, {formatUtcSecond(run.finishedAt)});
    body << "</p>";
    if (run.state == RunState::Done)
        body << "<p id=\"run-summary\">" << texts(MessageId::RobotRunLogsRead, {std::to_string(view.logsRead)}) << " "
             << texts(view.published ? MessageId::RobotRunPublished : MessageId::RobotRunNotPublished) << "</p>";
    if (run.state == RunState::Running && view.progress)
        runProgress(body, texts, *view.progress);
    if (run.state == RunState::Failed)
        body << "<p class=\"no\">" << texts(MessageId::RobotCheckFailed) << "</p><pre id=\"failure\">"
             << htmlEscaped(run.failure) << "</pre>";
    if (run.state == RunState::Done)
        runOutputs(body, texts, csrfToken, view);
    return htmlPage(texts, texts(MessageId::RobotCheckRun, {std::to_string(run.id)}), body.str(), runPath(run.id),
                    run.state == RunState::Running ? 2 : 0);
}

std::string confirmPublishPage(const PageTexts& texts, const std::string& csrfToken, const RunRecord& run)
{
    const std::string body =
        "<p id=\"confirm\">" + texts(MessageId::RobotStillOpen, {std::to_string(run.id)}) + "</p><p>" +
        postButton("/organiser/publish", "publish-anyway", texts(MessageId::RobotPublishAnyway), csrfToken,
                   {{"run", std::to_string(run.id)}, {"confirm", "yes"}}) +
        "<a href=\"" + runPath(run.id) + "\">" + texts(MessageId::RobotCheckRun, {std::to_string(run.id)}) + "</a></p>";
    return htmlPage(texts, texts(MessageId::RobotPublish), body, runPath(run.id));
}
