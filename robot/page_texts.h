// Every word the robot's pages say, in Russian and in English.
#pragma once

#include <string>

#include "messages/language.h"

struct PageTexts {
    const char* languageCode;
    const char* otherLanguageName;  // the switch's label
    const char* robotTitle;
    const char* uploadHeading;
    const char* uploadIntro;
    const char* fileLabel;
    const char* pasteLabel;
    const char* emailLabel;
    const char* sendButton;
    const char* openUntil;  // {} = the deadline
    const char* closedHeading;
    const char* closedSince;  // {} = the deadline
    const char* acceptedHeading;
    const char* refusedHeading;
    const char* notALog;
    const char* noCallsign;
    const char* otherContest;
    const char* noLogSent;
    const char* badEmail;
    const char* tooLarge;  // {} = the limit
    const char* badForm;
    const char* badRequest;
    const char* serverError;
    const char* busy;
    const char* receipt;
    const char* receivedAt;
    const char* callsign;
    const char* category;
    const char* qsoLines;
    const char* claimedScore;
    const char* computedScore;
    const char* notClaimed;
    const char* headerProblems;
    const char* rejectedLines;
    const char* lineColumn;
    const char* textColumn;
    const char* reasonColumn;
    const char* none;
    const char* versionNote;  // {} = the version number, the one checked
    const char* reportLater;
    const char* resultsText;
    const char* errorLines;
    const char* sendAnother;
    const char* notFound;
    const char* loginHeading;
    const char* password;
    const char* logIn;
    const char* logOut;
    const char* wrongPassword;
    const char* throttled;  // {} = seconds
    const char* organiserHeading;
    const char* logsReceived;
    const char* timeColumn;
    const char* versionColumn;
    const char* emailColumn;
    const char* missingLogs;
    const char* workedBy;
    const char* runCheck;
    const char* publish;
    const char* closeNow;
    const char* checkRun;  // {} = the run number
    const char* download;
    const char* resultsPage;
    const char* reports;
    const char* checkFailed;
    const char* noRunYet;
    const char* published;
    const char* publicResults;
    const char* notPublished;
    // What the robot refuses of a log the checker reads.
    const char* badCallsign;       // {} = the callsign
    const char* callsignMismatch;  // {} = the CALLSIGN line's, {} = the QSO lines'
    const char* noReadableQso;
    const char* noQsoInPeriod;  // {} = the contest period, {} = the QSOs' dates
    // Long lists: a screenful on the page, the whole as a download.
    const char* firstLinesShown;  // {} = how many shown, {} = how many in all
    const char* downloadAll;
    // The versions of a callsign's log.
    const char* earlierReceiptLabel;
    const char* notCheckedHeading;
    const char* versionReplaced;       // {} = the version number
    const char* versionWaiting;        // {} = the version number
    const char* versionDeclined;       // {} = the version number
    const char* receiptProvesNothing;  // {} = the callsign
    const char* replaceLater;
    const char* waitingVersions;
    const char* checkedNow;
    const char* waitingColumn;
    const char* checkThisOne;
    const char* keepChecked;
    const char* everyVersion;
    const char* standingColumn;
    const char* fileColumn;
    const char* standingChecked;
    const char* standingReplaced;
    const char* standingWaiting;
    const char* standingDeclined;
    const char* notWaiting;
    const char* notPublishable;
    const char* resultsOfRun;  // {} = the run number, then its time
    const char* reopen;
    const char* stillOpen;  // {} = the run number
    const char* publishAnyway;
    const char* runStarted;      // {} = the time
    const char* runFinished;     // {} = the time
    const char* collectingLogs;  // {} = "n / total"
    const char* checkingLogs;
    const char* zippingRun;
    const char* pageRefreshes;
    const char* runRunning;
    const char* runFailed;
    const char* runDone;
    const char* downloadReceived;
    const char* refusedUploads;
    const char* scoresDiffer;
};

const PageTexts& pageTexts(Language language);

// The language of a request: `choice` (the switch's ?lang= or its cookie)
// when it names one, else the first of Russian or English in the browser's
// Accept-Language header, else English.
Language chooseLanguage(const std::string& choice, const std::string& acceptLanguage);

// `pattern` with its first "{}" replaced by `value`.
std::string fill(const char* pattern, const std::string& value);
// ... and its second "{}" by `second`.
std::string fill(const char* pattern, const std::string& value, const std::string& second);
