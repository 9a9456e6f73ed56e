// The words of the robot's pages, in the visitor's language, all taken from
// the message catalogue.
#pragma once

#include <string>
#include <vector>

#include "messages/message_catalogue.h"

class PageTexts {
public:
    explicit PageTexts(Language language) : language_(language) {}

    // A catalogue message with its "{}" filled by `values` in turn.
    std::string operator()(MessageId id, const std::vector<std::string>& values = {}) const
    {
        return say(id, language_, values);
    }
    Language language() const { return language_; }
    // The page's lang attribute, "en" or "ru".
    const char* languageCode() const;
    // The other language's own name, for the switch.
    const char* otherLanguageName() const;
    const char* otherLanguageCode() const;

private:
    Language language_;
};

// The language of a request: `choice` (the switch's ?lang= or its cookie)
// when it names one, else the first of Russian or English in the browser's
// Accept-Language header, else English.
Language chooseLanguage(const std::string& choice, const std::string& acceptLanguage);
