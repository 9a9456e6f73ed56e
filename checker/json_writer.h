// JSON written as it is made, in the very bytes nlohmann's dump gives with
// an indent of one blank and invalid UTF-8 replaced: results.json of a
// million QSO lines is written a log at a time, never held as one tree,
// and stays the file that the tree would give.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "contest/text.h"

// Keys in the order written, so that two runs give the same bytes.
using Json = nlohmann::ordered_json;

// A member's name quoted once, with the ": " after it, for the names a
// file writes for every QSO line.
class JsonKey {
public:
    explicit JsonKey(std::string_view name);

private:
    friend class JsonWriter;
    std::string quoted_;
};

// One member of an object whose members are all texts, numbers or null,
// for JsonWriter::flatObject.  An empty text is written as null.
class FlatMember {
public:
    FlatMember(const JsonKey& name, std::string_view text) : name_(name), text_(text) {}
    FlatMember(const JsonKey& name, int64_t number) : name_(name), number_(Decimal(number)) {}

private:
    friend class JsonWriter;
    bool quoted() const { return !number_ && !text_.empty(); }
    // As it stands in the file: the digits, the text unquoted, or null.
    std::string_view value() const { return number_ ? number_->view() : text_.empty() ? "null" : text_; }

    const JsonKey& name_;
    std::string_view text_;
    std::optional<Decimal> number_;
};

// Appends to `out`, which the caller may empty between calls (a log at a
// time to a file).  Every value opens, is, or closes one member of the
// innermost open object (after key()) or one element of the innermost open
// array; the caller keeps the nesting right.
class JsonWriter {
public:
    explicit JsonWriter(std::string& out) : out_(out) {}

    void openObject() { open('{'); }
    void openArray() { open('['); }
    void close();  // the innermost open object or array

    // The next member's key, in the innermost open object.
    void key(std::string_view name);
    void key(const JsonKey& name);

    void value(const Json& json);      // a whole value, objects and arrays laid out as dump lays them
    void members(const Json& object);  // each member of `object`, into the innermost open object
    void text(std::string_view text);
    void number(int64_t number);
    void null();

    // A whole object of plain members, laid out as dump lays it, in one
    // append where no text needs an escape: results.json has a million.
    void flatObject(std::initializer_list<FlatMember> members) { flatObject(members.begin(), members.end()); }
    void flatObject(const FlatMember* first, const FlatMember* last);

private:
    struct Open {
        char closer;
        bool empty;
    };

    // A whole member, its name prepared, in one append where the value
    // needs no escape.
    void member(const JsonKey& name, std::string_view text);
    void open(char opener);
    void beginValue();
    void nextItem();
    void newLine(std::size_t depth);
    void keyLine(std::initializer_list<std::string_view> pieces);
    void memberLine(std::initializer_list<std::string_view> pieces);
    void quoted(std::string_view text);

    std::string& out_;
    std::vector<Open> open_;
    bool afterKey_ = false;
};
