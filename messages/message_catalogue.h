// One catalogue of what the programs say to people, in English and in
// Russian: the log readers, the checker, replay.exe and the robot all take
// their words from it, so a Russian page or report is Russian throughout.
// A message travels as a value (which message, and the values it names)
// and becomes text only where a person reads it, in that person's language.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "messages/language.h"

enum class MessageId : unsigned short {
#define MESSAGE(id, english, russian) id,
#include "messages/catalogue.def"
#undef MESSAGE
};

struct Message {
    MessageId id;
    std::vector<std::string> values = {};  // fill the "{}" in turn, as given
    std::vector<Message> then = {};        // said right after it, in the same language

    std::string in(Language language) const;
    std::string english() const { return in(Language::English); }
    // "Russian / English", for the texts that both kinds of reader share;
    // said once when it is the same in both.
    std::string bilingual() const;
};

// One entry of the catalogue, as the tests walk it.
struct CatalogueEntry {
    MessageId id;
    const char* name;
    const char* english;
    const char* russian;
};
const std::vector<CatalogueEntry>& messageCatalogue();

// The text of one entry with `values` filled in; a "{}" with no value left
// stays as it is.
std::string say(MessageId id, Language language, const std::vector<std::string>& values = {});
