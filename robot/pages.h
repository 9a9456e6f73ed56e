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

// `earlierReceipt` fills the form's field for it: an edit link's receipt.
std::string uploadPage(const PageTexts& texts, const std::string& contestName, const UploadWindow& window,
                       const std::string& csrfToken, const std::string& earlierReceipt);

// A short answer: a heading, one message, a link back to the form.
std::string messagePage(const PageTexts& texts, const std::string& heading, const std::string& message,
                        const std::string& switchUrl);

// How many lines of a long list a page shows; the rest is a download.
inline constexpr int kLinesOnAPage = 50;

// What the answer to an upload shows.
struct Answer {
    StoredUpload upload;
    Precheck precheck;  // up to kLinesOnAPage of its rejected lines are shown
    int rejectedLineCount = 0;
    bool receiptProvedNothing = false;  // one was given, and the upload waits all the same
};

// The answer to an upload, also shown again at its receipt's address.
std::string answerPage(const PageTexts& texts, const Answer& answer);
// The whole list of rejected lines, one a line: number, text, reason, tab-separated.
std::string rejectedLinesText(const std::vector<RejectedLine>& lines);

std::string loginPage(const PageTexts& texts, const std::string& csrfToken, const std::string& message);

struct OrganiserView {
    std::vector<StoredUpload> logs;
    std::vector<StoredUpload> refused;
    std::vector<MissingLog> missing;
    std::vector<StoredUpload> versions;  // every accepted upload, by callsign
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
// What a receipt may look like, before the database is asked.
bool isReceiptShaped(const std::string& text);
