#include "checker/json_writer.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "contest/text.h"

namespace {

// Bytes that dump writes as they are: printable ASCII but the quote and
// the backslash.  Nearly every text of results.json is only these, and
// there are some twenty million of them: one look in a table each.
bool needsNoEscape(std::string_view text)
{
    static const auto kAsItIs = [] {
        std::array<bool, 256> asItIs{};
        for (int c = 0x20; c < 0x7F; ++c)
            asItIs[c] = c != '"' && c != '\\';
        return asItIs;
    }();
    return std::all_of(text.begin(), text.end(), [](char c) { return kAsItIs[static_cast<unsigned char>(c)]; });
}

}  // namespace

JsonKey::JsonKey(std::string_view name)
{
    JsonWriter(quoted_).text(name);
    quoted_ += ": ";
}

void JsonWriter::close()
{
    const Open closed = open_.back();
    open_.pop_back();
    if (!closed.empty)
        newLine(open_.size());
    out_ += closed.closer;
}

// The name quoted by hand where it needs no escape (every name but a
// header's odd CATEGORY- tag).
void JsonWriter::key(std::string_view name)
{
    if (needsNoEscape(name)) {
        keyLine({"\"", name, "\": "});
        return;
    }
    afterKey_ = true;
    nextItem();
    quoted(name);
    out_.append(": ", 2);
}

void JsonWriter::key(const JsonKey& name)
{
    keyLine({name.quoted_});
}

void JsonWriter::member(const JsonKey& name, std::string_view text)
{
    if (needsNoEscape(text)) {
        memberLine({name.quoted_, "\"", text, "\""});
        return;
    }
    key(name);
    this->text(text);
}

void JsonWriter::flatObject(const FlatMember* first, const FlatMember* last)
{
    const bool plain = std::all_of(
        first, last, [](const FlatMember& member) { return !member.quoted() || needsNoEscape(member.text_); });
    if (!plain) {
        openObject();
        for (const FlatMember* member = first; member != last; ++member) {
            if (member->quoted())
                this->member(member->name_, member->text_);
            else
                memberLine({member->name_.quoted_, member->value()});
        }
        close();
        return;
    }
    beginValue();
    // Room for the object, the first member's comma over: the text is cut
    // to what was written.
    const std::size_t depth = open_.size() + 1;
    std::size_t size = first == last ? 2 : 2 + depth;
    for (const FlatMember* member = first; member != last; ++member)
        size += 2 + depth + member->name_.quoted_.size() + member->value().size() + (member->quoted() ? 2 : 0);
    const std::size_t start = out_.size();
    out_.resize(start + size);
    char* at = &out_[start];
    // Pieces copied whole, as the library copies, not a byte at a time.
    const auto put = [&](std::string_view piece) { at = copyText(at, piece); };
    const auto indent = [&](std::size_t blanks) {
        std::memset(at, ' ', blanks);
        at += blanks;
    };
    // The comma, the line break and the indent of a member: one piece.
    const std::string lineStart = ",\n" + std::string(depth, ' ');
    *at++ = '{';
    for (const FlatMember* member = first; member != last; ++member) {
        put(std::string_view(lineStart).substr(member == first ? 1 : 0));
        put(member->name_.quoted_);
        if (member->quoted())
            *at++ = '"';
        put(member->value());
        if (member->quoted())
            *at++ = '"';
    }
    if (first != last) {
        *at++ = '\n';
        indent(depth - 1);
    }
    *at++ = '}';
    out_.resize(static_cast<std::size_t>(at - out_.data()));
}

// The comma, the line break, the indent and `pieces` (a quoted name with
// its ": ", and the value after it, if any) in one append.
void JsonWriter::keyLine(std::initializer_list<std::string_view> pieces)
{
    afterKey_ = true;
    const std::size_t depth = open_.size();
    std::size_t size = depth + 2;
    for (std::string_view piece : pieces)
        size += piece.size();
    std::array<char, 128> line;
    if (size > line.size()) {
        nextItem();
        for (std::string_view piece : pieces)
            out_ += piece;
        return;
    }
    Open& object = open_.back();
    char* at = line.data();
    if (!object.empty)
        *at++ = ',';
    object.empty = false;
    *at++ = '\n';
    at = std::fill_n(at, depth, ' ');
    for (std::string_view piece : pieces)
        at = std::copy(piece.begin(), piece.end(), at);
    out_.append(line.data(), static_cast<std::size_t>(at - line.data()));
}

// A key line with its value in it.
void JsonWriter::memberLine(std::initializer_list<std::string_view> pieces)
{
    keyLine(pieces);
    afterKey_ = false;
}

void JsonWriter::value(const Json& json)
{
    if (json.is_object()) {
        openObject();
        members(json);
        close();
    } else if (json.is_array()) {
        openArray();
        for (const Json& element : json)
            value(element);
        close();
    } else if (json.is_string()) {
        text(json.get_ref<const std::string&>());
    } else {
        beginValue();
        out_ += json.dump();
    }
}

void JsonWriter::members(const Json& object)
{
    for (auto member = object.begin(); member != object.end(); ++member) {
        key(member.key());
        value(*member);
    }
}

void JsonWriter::text(std::string_view text)
{
    beginValue();
    quoted(text);
}

void JsonWriter::number(int64_t number)
{
    beginValue();
    appendDecimal(out_, number);
}

void JsonWriter::null()
{
    beginValue();
    out_ += "null";
}

void JsonWriter::open(char opener)
{
    beginValue();
    out_ += opener;
    open_.push_back({opener == '{' ? '}' : ']', true});
}

// A member's key has placed the value already; an element of an array
// takes its own line.
void JsonWriter::beginValue()
{
    if (afterKey_ || open_.empty()) {
        afterKey_ = false;
        return;
    }
    nextItem();
}

// The comma after the item before, if any, and the next item's line.
void JsonWriter::nextItem()
{
    Open& container = open_.back();
    if (!container.empty)
        out_ += ',';
    container.empty = false;
    newLine(open_.size());
}

// A line break and its indent in one append: a million QSO lines have
// thirteen each.
void JsonWriter::newLine(std::size_t depth)
{
    static const std::string kIndents = "\n" + std::string(64, ' ');
    if (depth < kIndents.size()) {
        out_.append(kIndents, 0, depth + 1);
        return;
    }
    out_ += '\n';
    out_.append(depth, ' ');
}

void JsonWriter::quoted(std::string_view text)
{
    if (!needsNoEscape(text)) {
        out_ += Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
        return;
    }
    out_ += '"';
    out_.append(text);
    out_ += '"';
}
