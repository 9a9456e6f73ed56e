// The robot's HTML pages.  Every text that came from outside (a log's lines,
// callsigns, file names, e-mail addresses, the checker's words) goes through
// htmlEscaped before it reaches a page, and attributes are double-quoted.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "robot/check_runner.h"
#include "robot/page_texts.h"
#include "robot/precheck.h"
#include "robot/upload_store.h"

// The frame every page shares: title, language switch, the body as given.
// `switchUrl` is the page's own path, to which ?lang= is added; a page with
// `refreshSeconds` reloads itself that often.
std::string htmlPage(const PageTexts& texts, const std::string& title, const std::string& body,
                     const std::string& switchUrl, int refreshSeconds = 0);

// What the upload form shows about the deadline.
struct UploadWindow {
    std::time_t deadline = 0;  // 0: no deadline set
    bool closed = false;
};

std::string uploadPage(const PageTexts& texts, const std::string& contestName, const UploadWindow& window,
                       const std::string& csrfToken);

// A short answer: a heading, one message, a link back to the form.
std::string messagePage(const PageTexts& texts, const std::string& heading, const std::string& message,
                        const std::string& switchUrl);

// The answer to an upload, also shown again at its receipt's address.
std::string answerPage(const PageTexts& texts, const StoredUpload& upload, const Precheck& precheck);

std::string loginPage(const PageTexts& texts, const std::string& csrfToken, const std::string& message);

struct OrganiserView {
    std::vector<StoredUpload> logs;
    std::vector<StoredUpload> refused;
    std::vector<MissingLog> missing;
    UploadWindow window;
    bool closedByHand = false;            // "close now" was used: it can be undone
    std::optional<RunRecord> newestRun;   // in whatever state
    std::optional<RunRecord> newestDone;  // the one the page offers to publish
    bool published = false;
};

std::string organiserPage(const PageTexts& texts, const std::string& csrfToken, const OrganiserView& view);

struct RunView {
    RunRecord run;
    std::optional<RunProgress> progress;   // while it runs
    std::vector<std::string> reportNames;  // once it is done
};

// A cross-check run: while it runs, its progress (the page refreshes
// itself); when done, its results page, each participant's report, the zip
// and the publish button; when failed, why.
std::string runPage(const PageTexts& texts, const std::string& csrfToken, const RunView& view);

// Asks before publishing while logs are still taken.
std::string confirmPublishPage(const PageTexts& texts, const std::string& csrfToken, const RunRecord& run);

// The address of an upload's report; receipts are made of [0-9A-Z] only.
std::string receiptPath(const std::string& receipt);
