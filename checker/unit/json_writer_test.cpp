// The JSON writer against the library it stands in for: random documents
// from fixed seeds, written piece by piece, give the very bytes of
// nlohmann's dump with an indent of one blank.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "checker/json_writer.h"

namespace {

// Bytes of every kind a log may hold: plain letters, the quote and the
// backslash, control bytes, UTF-8 whole and cut, bytes that are no UTF-8,
// and now and then a text longer than a line the writer makes at once.
std::string randomText(std::mt19937& random)
{
    static const std::string kPieces[] = {"A", "z", "9", " ", "/", "\"", "\\", "\n", "\t", std::string(1, '\0'),
                                          "\x01", "\x1F", "\x7F", "№", "é", "\xE2\x84", "\xFF", "\xC0\xAF", "😀",
                                          std::string(130, 'L')};
    std::string text;
    for (int n = std::uniform_int_distribution<int>(0, 6)(random); n > 0; --n)
        text += kPieces[random() % std::size(kPieces)];
    return text;
}

Json randomJson(std::mt19937& random, int depth)
{
    switch (random() % (depth > 3 ? 4 : 6)) {
    case 0: return nullptr;
    case 1: return randomText(random);
    case 2: return static_cast<int64_t>(random()) - (1LL << 31) + (random() % 2 ? INT64_MIN / 2 : 0);
    case 3: return random() % 2 == 0;
    case 4: {
        Json array = Json::array();
        for (int n = random() % 4; n > 0; --n)
            array.push_back(randomJson(random, depth + 1));
        return array;
    }
    default: {
        Json object = Json::object();
        for (int n = random() % 4; n > 0; --n)
            object[randomText(random)] = randomJson(random, depth + 1);
        return object;
    }
    }
}

// An object of texts but empty ones, numbers and nulls, as flatObject
// writes it (it writes an empty text as null).
bool isFlat(const Json& json)
{
    return json.is_object() && std::all_of(json.begin(), json.end(), [](const Json& value) {
               return value.is_null() || value.is_number_integer() ||
                      (value.is_string() && !value.get_ref<const std::string&>().empty());
           });
}

void writeFlat(JsonWriter& writer, const Json& object)
{
    std::vector<JsonKey> names;
    for (auto member = object.begin(); member != object.end(); ++member)
        names.emplace_back(member.key());
    std::vector<FlatMember> members;
    std::size_t at = 0;
    for (const Json& value : object) {
        const JsonKey& name = names[at++];
        members.push_back(value.is_number_integer() ? FlatMember(name, value.get<int64_t>())
                          : value.is_null()         ? FlatMember(name, "")
                                                    : FlatMember(name, value.get_ref<const std::string&>()));
    }
    writer.flatObject(members.data(), members.data() + members.size());
}

// What results_json does: each scalar through text(), number() or null(),
// each object and array opened and closed around its members, each name
// as it is or prepared, and every other object of scalars whole.
void writePieceByPiece(JsonWriter& writer, const Json& json)
{
    if (isFlat(json) && json.size() % 2 == 1) {
        writeFlat(writer, json);
    } else if (json.is_object()) {
        writer.openObject();
        for (auto member = json.begin(); member != json.end(); ++member) {
            // Every other name prepared, as results.json prepares a QSO
            // line's.
            if (member.key().size() % 2 == 0)
                writer.key(member.key());
            else
                writer.key(JsonKey(member.key()));
            writePieceByPiece(writer, *member);
        }
        writer.close();
    } else if (json.is_array()) {
        writer.openArray();
        for (const Json& element : json)
            writePieceByPiece(writer, element);
        writer.close();
    } else if (json.is_string()) {
        writer.text(json.get_ref<const std::string&>());
    } else if (json.is_number_integer()) {
        writer.number(json.get<int64_t>());
    } else if (json.is_null()) {
        writer.null();
    } else {
        writer.value(json);
    }
}

TEST(JsonWriter, WritesTheBytesOfTheLibrarysDump)
{
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        std::mt19937 random(seed);
        const Json document = randomJson(random, 0);
        const std::string expected = document.dump(1, ' ', false, Json::error_handler_t::replace);
        std::string whole, pieces;
        JsonWriter(whole).value(document);
        JsonWriter pieceByPiece(pieces);
        writePieceByPiece(pieceByPiece, document);
        ASSERT_EQ(whole, expected) << "seed " << seed;
        ASSERT_EQ(pieces, expected) << "seed " << seed;
    }
}

TEST(JsonWriter, WritesTheWidestNumbersAsTheLibraryDoes)
{
    for (int64_t value : {INT64_MIN, INT64_MIN + 1, int64_t{-1}, int64_t{0}, INT64_MAX}) {
        std::string out;
        JsonWriter(out).number(value);
        EXPECT_EQ(out, Json(value).dump());
    }
}

TEST(JsonWriter, CarriesOnWhenTheCallerEmptiesItsText)
{
    std::string piece, file;
    JsonWriter writer(piece);
    writer.openArray();
    for (int i = 0; i < 3; ++i) {
        writer.openObject();
        writer.key("n");
        writer.number(i);
        writer.close();
        file += piece;
        piece.clear();
    }
    writer.close();
    file += piece;
    EXPECT_EQ(file, Json::parse("[{\"n\":0},{\"n\":1},{\"n\":2}]").dump(1));
}

}  // namespace
