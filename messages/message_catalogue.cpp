#include "messages/message_catalogue.h"

namespace {

std::string filled(const char* pattern, const std::vector<std::string>& values)
{
    std::string text = pattern;
    std::size_t at = 0;
    for (const std::string& value : values) {
        at = text.find("{}", at);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, value);
        at += value.size();
    }
    return text;
}

}  // namespace

const std::vector<CatalogueEntry>& messageCatalogue()
{
    static const std::vector<CatalogueEntry> entries = {
#define MESSAGE(id, english, russian) {MessageId::id, #id, english, russian},
#include "messages/catalogue.def"
#undef MESSAGE
    };
    return entries;
}

std::string say(MessageId id, Language language, const std::vector<std::string>& values)
{
    const CatalogueEntry& entry = messageCatalogue()[static_cast<std::size_t>(id)];
    return filled(language == Language::Russian ? entry.russian : entry.english, values);
}

std::string Message::in(Language language) const
{
    std::string text = say(id, language, values);
    for (const Message& next : then)
        text += next.in(language);
    return text;
}

std::string Message::bilingual() const
{
    const std::string russian = in(Language::Russian), english = in(Language::English);
    return russian == english ? english : russian + " / " + english;
}
