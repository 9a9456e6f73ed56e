// The robot's HTML pages.  Every text that came from outside (a log's lines,
// callsigns, file names, e-mail addresses, the checker's words) goes through
// htmlEscaped before it reaches a page, and attributes are double-quoted.
#pragma once

#include <ctime>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "robot/page_texts.h"
#include "robot/precheck.h"
#include "robot/upload_store.h"

// The hidden field of a form with the visitor's form token.
std::string csrfField(const std::string& token);
// A button that posts a form of its own; `fields` are hidden name=value
// inputs the robot made itself.
std::string postButton(const std::string& action, const std::string& id, const std::string& label,
                       const std::string& csrfToken,
                       const std::vector<std::pair<std::string, std::string>>& fields = {});
// A table's row of headings, in the page's language.
std::string headingRow(const PageTexts& texts, std::initializer_list<MessageId> headings);
// A claimed score, or the words for none.
std::string scoreText(const PageTexts& texts, const std::optional<long long>& value);

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

// "2 MB", "512 KB": an upload limit as the pages state it.
std::string sizeText(const PageTexts& texts, std::size_t bytes);

// `earlierReceipt` fills the form's field for it: an edit link's receipt.
std::string uploadPage(const PageTexts& texts, const UploadWindow& window, std::size_t uploadLimit,
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
std::string rejectedLinesText(const std::vector<RejectedLine>& lines, Language language);

std::string loginPage(const PageTexts& texts, const std::string& csrfToken, const std::string& message);

// The address of an upload's report; receipts are made of [0-9A-Z] only.
std::string receiptPath(const std::string& receipt);
// What a receipt may look like, before the database is asked.
bool isReceiptShaped(const std::string& text);
