// The words of the robot's pages, in the visitor's language, all taken from
// the message catalogue, and the name of the contest every page bears.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "messages/message_catalogue.h"

class PageTexts {
public:
    PageTexts(Language language, std::string contestName)
        : language_(language), contestName_(std::move(contestName))
    {
    }

    // A catalogue message with its "{}" filled by `values` in turn.
    std::string operator()(MessageId id, const std::vector<std::string>& values = {}) const
    {
        return say(id, language_, values);
    }
    Language language() const { return language_; }
    // As the robot's settings name it: the title of the participant's pages.
    const std::string& contestName() const { return contestName_; }
    const char* languageCode() const { return ::languageCode(language_); }
    // The other language's own name, for the switch.
    const char* otherLanguageName() const;
    const char* otherLanguageCode() const;

private:
    Language language_;
    std::string contestName_;
};

// The language of a request: `choice` (the switch's ?lang= or its cookie)
// when it names one, else the first of Russian or English in the browser's
// Accept-Language header, else English.
Language chooseLanguage(const std::string& choice, const std::string& acceptLanguage);
