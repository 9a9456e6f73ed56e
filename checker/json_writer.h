// JSON written as it is made, in the very bytes nlohmann's dump gives with
// an indent of one blank and invalid UTF-8 replaced: results.json of a
// million QSO lines is written a log at a time, never held as one tree,
// and stays the file that the tree would give.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

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

    void value(const Json& json);  // a whole value, objects and arrays laid out as dump lays them
    void members(const Json& object);  // each member of `object`, into the innermost open object
    void text(std::string_view text);
    void number(int64_t number);
    void null();

    // A whole member, its name prepared, in one append where the value
    // needs no escape: results.json has a dozen for each QSO line.
    void member(const JsonKey& name, std::string_view text);
    void member(const JsonKey& name, int64_t number);
    void nullMember(const JsonKey& name);

private:
    struct Open {
        char closer;
        bool empty;
    };

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
