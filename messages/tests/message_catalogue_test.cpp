#include "messages/message_catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::size_t placeholders(const std::string& text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find("{}"); at != std::string::npos; at = text.find("{}", at + 2))
        ++count;
    return count;
}

bool holdsCyrillic(const std::string& text)
{
    // Every Cyrillic letter in UTF-8 starts with 0xD0 or 0xD1.
    for (unsigned char byte : text)
        if (byte == 0xD0 || byte == 0xD1)
            return true;
    return false;
}

// Texts that are the same in both languages: punctuation, or only the
// log's own words and tags.
const std::set<std::string> kSameInBothLanguages = {"ListSeparator", "RulesRefusal"};
// Russian written in Latin letters: the word Russian operators use.
const std::set<std::string> kRussianInLatinLetters = {"ReplayReportQsosColumn"};

}  // namespace

TEST(MessageCatalogue, EveryMessageHasBothLanguagesWithTheSameValues)
{
    const auto& catalogue = messageCatalogue();
    ASSERT_FALSE(catalogue.empty());
    std::set<std::string> names;
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const CatalogueEntry& entry = catalogue[i];
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(static_cast<std::size_t>(entry.id), i);
        EXPECT_TRUE(names.insert(entry.name).second);
        ASSERT_NE(std::string(entry.english), "");
        ASSERT_NE(std::string(entry.russian), "");
        EXPECT_EQ(placeholders(entry.english), placeholders(entry.russian));
        EXPECT_FALSE(holdsCyrillic(entry.english));
        if (!kSameInBothLanguages.count(entry.name)) {
            EXPECT_EQ(holdsCyrillic(entry.russian), !kRussianInLatinLetters.count(entry.name));
            EXPECT_NE(std::string(entry.english), entry.russian);
        }
    }
}

TEST(MessageCatalogue, ValuesFillInTurnAndFollowingMessagesJoin)
{
    const Message message{MessageId::FieldPastItsValue, {"<CALL:9>", "{} RA1A"}, {{MessageId::LastRecordUnclosed}}};
    // A value holding "{}" is not filled again.
    EXPECT_EQ(message.english(),
              "<CALL:9> runs past its value \"{} RA1A\": its length is wrong (the last record, which has no <EOR>)");
    EXPECT_EQ(message.in(Language::Russian),
              "<CALL:9> выходит за своё значение \"{} RA1A\": длина указана неверно (последняя запись, без <EOR>)");
    EXPECT_EQ(Message{MessageId::NoQsos}.bilingual(), "нет связей / no QSOs");
    EXPECT_EQ((Message{MessageId::RulesRefusal, {"NO TEST MODE"}}.bilingual()), "NO TEST MODE");
    // Too few values leave the rest visible rather than dropping words.
    EXPECT_EQ(say(MessageId::FreqOutsideBand, Language::English, {"7.3"}), "FREQ 7.3 lies outside BAND {}, in MHz and in kHz");
}
