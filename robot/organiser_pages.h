// The organiser's pages: the list of logs, versions and refusals with the
// buttons that act on them, a cross-check run's page, the question before
// publishing.  Escaped as every page is (see pages.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "robot/check_runner.h"
#include "robot/pages.h"

// How many rows of a long list of the organiser's a page holds: a list of a
// large contest stays quick to send and to draw.
inline constexpr std::size_t kRowsOnAPage = 200;

struct OrganiserView {
    std::vector<StoredUpload> logs;  // all of them; the page shows its share
    std::size_t page = 1;            // of the logs received, from 1
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

// Every version received, a page of them at a time (`page` from 1).
std::string versionsPage(const PageTexts& texts, const std::vector<StoredUpload>& versions, std::size_t page);

struct RunView {
    RunRecord run;
    std::optional<RunProgress> progress;   // while it runs
    std::vector<std::string> reportNames;  // once it is done
    std::size_t logsRead = 0;              // once it is done
    bool published = false;                // its results are the public ones
};

// A cross-check run: while it runs, its progress (the page refreshes
// itself); when done, its results page, each participant's report, the zip
// and the publish button; when failed, why.
std::string runPage(const PageTexts& texts, const std::string& csrfToken, const RunView& view);

// Asks before publishing while logs are still taken.
std::string confirmPublishPage(const PageTexts& texts, const std::string& csrfToken, const RunRecord& run);
