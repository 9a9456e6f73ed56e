// The two languages the contest's programs speak.
#pragma once

enum class Language { English, Russian };

// The language's code, as an HTML page's lang attribute gives it.
inline const char* languageCode(Language language)
{
    return language == Language::Russian ? "ru" : "en";
}
