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
    const char* versionNote;  // {} = the version number
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
};

const PageTexts& pageTexts(Language language);

// The language of a request: `choice` (the switch's ?lang= or its cookie)
// when it names one, else the first of Russian or English in the browser's
// Accept-Language header, else English.
Language chooseLanguage(const std::string& choice, const std::string& acceptLanguage);

// `pattern` with its first "{}" replaced by `value`.
std::string fill(const char* pattern, const std::string& value);
