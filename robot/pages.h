// The robot's HTML pages.  Every text that came from outside (a log's lines,
// callsigns, file names, e-mail addresses, the checker's words) goes through
// htmlEscaped before it reaches a page, and attributes are double-quoted.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "robot/page_texts.h"
#include "robot/precheck.h"
#include "robot/upload_store.h"

// The frame every page shares: title, language switch, the body as given.
// `switchUrl` is the page's own path, to which ?lang= is added.
std::string htmlPage(const PageTexts& texts, const std::string& title, const std::string& body,
                     const std::string& switchUrl);

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
    std::vector<MissingLog> missing;
    UploadWindow window;
    long long lastRun = 0;  // 0: none yet
    bool published = false;
};

std::string organiserPage(const PageTexts& texts, const std::string& csrfToken, const OrganiserView& view);

// A cross-check run: its results page, each participant's report, the zip.
std::string runPage(const PageTexts& texts, const std::string& csrfToken, long long run,
                    const std::vector<std::string>& reportNames, const std::string& failure);

// The address of an upload's report; receipts are made of [0-9A-Z] only.
std::string receiptPath(const std::string& receipt);
