#include "robot/page_texts.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace {

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool namesLanguage(const std::string& tag, const char* code)
{
    const std::string prefix = code;
    return tag == prefix || tag.rfind(prefix + "-", 0) == 0;
}

}  // namespace

const char* PageTexts::otherLanguageName() const
{
    return language_ == Language::Russian ? "English" : "Русский";
}

const char* PageTexts::otherLanguageCode() const
{
    return ::languageCode(language_ == Language::Russian ? Language::English : Language::Russian);
}

Language chooseLanguage(const std::string& choice, const std::string& acceptLanguage)
{
    if (choice == "ru")
        return Language::Russian;
    if (choice == "en")
        return Language::English;
    // "ru-RU,ru;q=0.9,en;q=0.8": the highest weight wins, the first on a tie.
    std::istringstream ranges(lowered(acceptLanguage));
    std::string range;
    Language best = Language::English;
    double bestWeight = 0.0;
    while (std::getline(ranges, range, ',')) {
        std::string tag = range.substr(0, range.find(';'));
        tag.erase(0, tag.find_first_not_of(' '));
        tag.erase(tag.find_last_not_of(' ') + 1);
        double weight = 1.0;
        const auto q = range.find(";q=");
        if (q != std::string::npos)
            weight = std::atof(range.c_str() + q + 3);
        if (weight <= bestWeight)
            continue;
        if (namesLanguage(tag, "ru")) {
            best = Language::Russian;
            bestWeight = weight;
        } else if (namesLanguage(tag, "en")) {
            best = Language::English;
            bestWeight = weight;
        }
    }
    return best;
}
