// The organiser's routes: the list of logs, the cross-check runs, publishing,
// closing and reopening, the export of everything received.  The gate in
// robot_server.cpp has let only the organiser through.
#include <filesystem>
#include <fstream>

#include "base/whole_file.h"
#include "contest/text.h"
#include "robot/organiser_pages.h"
#include "robot/received_export.h"
#include "robot/run_folder.h"
#include "robot/server_request.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMinimumWorkedBy = 2;

// A run or page number as a page or a form gives it: digits only, within range.
bool parseNumber(const std::string& text, long long& number)
{
    if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    number = std::stoll(text);
    return number > 0;
}

// The page of a long list asked for: the first unless a sound number is given.
std::size_t requestedPage(const httplib::Request& req)
{
    long long page = 1;
    parseNumber(req.get_param_value("page"), page);
    return static_cast<std::size_t>(page);
}

const char* contentTypeOf(const std::string& name)
{
    const auto dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    if (extension == ".html")
        return "text/html; charset=utf-8";
    if (extension == ".csv")
        return "text/csv; charset=utf-8";
    if (extension == ".zip")
        return "application/zip";
    return "text/plain; charset=utf-8";
}

// The checker's results page with a line on top saying which run it is.
std::string withRunNote(std::string html, const std::string& note)
{
    const std::string line = "<p id=\"run-note\">" + htmlEscaped(note) + "</p>\n";
    const auto body = html.find("<body>\n");
    html.insert(body == std::string::npos ? 0 : body + 7, line);
    return html;
}

}  // namespace

void RobotServer::showOrganiser(Request& r)
{
    OrganiserView view;
    view.logs = store_.latestLogs();
    view.page = requestedPage(r.req);
    view.refused = store_.refusedUploads();
    view.missing = store_.missingLogs(kMinimumWorkedBy);
    view.versions = store_.everyVersion();
    view.window.closed = uploadsClosed(std::time(nullptr), view.window.deadline);
    view.closedByHand = store_.setting(kClosedAtKey).has_value();
    view.newestRun = runs_.newest();
    view.newestDone = runs_.newestDone();
    view.published = store_.setting(kPublishedKey).has_value();
    r.page(200, organiserPage(r.texts, r.csrfToken(), view));
}

void RobotServer::showVersions(Request& r)
{
    r.page(200, versionsPage(r.texts, store_.everyVersion(), requestedPage(r.req)));
}

void RobotServer::startCrossCheck(Request& r)
{
    long long newestSeen = 0;
    parseNumber(formField(r.req, "newest"), newestSeen);
    r.redirect("/organiser/run/" + std::to_string(runner_.start(newestSeen)));
}

std::optional<RunRecord> RobotServer::requestedRun(Request& r)
{
    long long run = 0;
    const std::string number = r.req.matches.size() > 1 ? r.req.matches[1].str() : formField(r.req, "run");
    if (!parseNumber(number, run))
        return std::nullopt;
    return runs_.find(run);
}

void RobotServer::showRun(Request& r)
{
    const auto run = requestedRun(r);
    if (!run)
        return r.message(404, r.texts.contestName(), r.texts(MessageId::RobotNotFound));
    RunView view;
    view.run = *run;
    const auto progress = runner_.progress();
    if (progress && progress->run == run->id)
        view.progress = progress;
    if (const auto outputs = runner_.outputsOf(*run)) {
        view.reportNames = listedFiles((fs::path(*outputs) / "out" / "ubn").string());
        // The run keeps every log it read, and nothing else, in logs/.
        view.logsRead = listedFiles((fs::path(*outputs) / "logs").string()).size();
    }
    view.published = store_.setting(kPublishedKey) == std::to_string(run->id);
    r.page(200, runPage(r.texts, r.csrfToken(), view));
}

void RobotServer::sendRunFile(Request& r)
{
    const auto run = requestedRun(r);
    const auto outputs = run ? runner_.outputsOf(*run) : std::nullopt;
    if (!outputs)
        return r.message(404, r.texts.contestName(), r.texts(MessageId::RobotNotFound));
    // The zip lies beside the run's outputs, not among them.
    const std::string name = r.req.matches[3];
    const fs::path folder = *outputs;
    const fs::path base = name == "all.zip" ? folder : folder / (r.req.matches[2].matched ? "out/ubn" : "out");
    const auto path = listedFile(base.string(), name);
    if (!path)
        return r.message(404, r.texts.contestName(), r.texts(MessageId::RobotNotFound));
    r.res.set_content(readWholeFile(*path), contentTypeOf(name));
    if (name == "all.zip")
        r.res.set_header("Content-Disposition",
                         "attachment; filename=\"zemrix-check-" + std::to_string(run->id) + ".zip\"");
}

// Publishes the run the form names, only a finished one, and while logs are
// still taken only once the organiser has confirmed it.
void RobotServer::publish(Request& r)
{
    const auto run = requestedRun(r);
    if (!run || run->state != RunState::Done)
        return r.message(409, r.texts.contestName(), r.texts(MessageId::RobotNotPublishable));
    UploadWindow window;
    window.closed = uploadsClosed(std::time(nullptr), window.deadline);
    if (!window.closed && formField(r.req, "confirm") != "yes")
        return r.page(200, confirmPublishPage(r.texts, r.csrfToken(), *run));
    store_.setSetting(kPublishedKey, std::to_string(run->id));
    r.redirect("/organiser");
}

void RobotServer::closeNow(Request& r)
{
    store_.setSetting(kClosedAtKey, std::to_string(static_cast<long long>(std::time(nullptr))));
    r.redirect("/organiser");
}

// The organiser's choice on a version that waits: check it from now on, or
// keep the one checked.
void RobotServer::decideVersion(Request& r)
{
    const std::string choice = formField(r.req, "choice");
    if (choice != "check" && choice != "keep")
        return r.message(400, r.texts(MessageId::RobotOrganiserHeading), r.texts(MessageId::RobotBadRequest));
    if (!store_.decideVersion(formField(r.req, "receipt"), choice == "check"))
        return r.message(409, r.texts(MessageId::RobotOrganiserHeading), r.texts(MessageId::RobotNotWaiting));
    r.redirect("/organiser");
}

// Undoes "close now"; the config's deadline still holds.
void RobotServer::reopen(Request& r)
{
    store_.clearSetting(kClosedAtKey);
    r.redirect("/organiser");
}

// The zip is made on disk and streamed from there, so that a contest's
// worth of logs never sits in memory; its folder goes once it is sent.
void RobotServer::sendReceived(Request& r)
{
    const std::string zip = exportReceived(store_, (fs::path(config_.dataDir) / "exports").string());
    auto file = std::make_shared<std::ifstream>(zip, std::ios::binary);
    const std::string folder = fs::path(zip).parent_path().string();
    r.res.set_header("Content-Disposition", "attachment; filename=\"zemrix-received.zip\"");
    r.res.set_content_provider(
        static_cast<std::size_t>(fs::file_size(zip)), "application/zip",
        [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            std::vector<char> chunk(std::min<std::size_t>(length, 64 * 1024));
            file->seekg(static_cast<std::streamoff>(offset));
            file->read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            return file->gcount() > 0 && sink.write(chunk.data(), static_cast<std::size_t>(file->gcount()));
        },
        [folder](bool) {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        });
}

void RobotServer::sendResults(Request& r)
{
    if (r.req.path == "/results")
        return r.redirect("/results/");
    sendPublished(r, "out", "results.html");
}

void RobotServer::sendPublishedReport(Request& r)
{
    sendPublished(r, "out/ubn", r.req.matches[1]);
}

// The pages the results page and the whole-log pages link to beside it.
void RobotServer::sendPublishedPage(Request& r)
{
    sendPublished(r, "out", std::string(r.req.matches[1]) + ".html");
}

void RobotServer::sendPublished(Request& r, const std::string& folder, const std::string& name)
{
    const auto published = store_.setting(kPublishedKey);
    const auto run = published ? runs_.find(std::stoll(*published)) : std::nullopt;
    const auto outputs = run ? runner_.outputsOf(*run) : std::nullopt;
    if (!outputs)
        return r.message(404, r.texts(MessageId::RobotPublicResults), r.texts(MessageId::RobotNotPublished));
    const auto path = listedFile((fs::path(*outputs) / folder).string(), name);
    if (!path)
        return r.message(404, r.texts.contestName(), r.texts(MessageId::RobotNotFound));
    std::string content = readWholeFile(*path);
    if (name == "results.html")
        content = withRunNote(std::move(content), r.texts(MessageId::RobotResultsOfRun,
                                                          {std::to_string(run->id), formatUtcSecond(run->finishedAt)}));
    r.res.set_content(content, contentTypeOf(name));
}
