#include "checker/json_writer.h"

#include <algorithm>

namespace {

// Bytes that dump writes as they are: printable ASCII but the quote and
// the backslash.  Nearly every text of results.json is only these.
bool needsNoEscape(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; });
}

}  // namespace

void JsonWriter::close()
{
    const Open closed = open_.back();
    open_.pop_back();
    if (!closed.empty)
        newLine(open_.size());
    out_ += closed.closer;
}

void JsonWriter::key(std::string_view name)
{
    Open& object = open_.back();
    if (!object.empty)
        out_ += ',';
    object.empty = false;
    newLine(open_.size());
    quoted(name);
    out_ += ": ";
    afterKey_ = true;
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
    out_ += std::to_string(number);
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
    Open& array = open_.back();
    if (!array.empty)
        out_ += ',';
    array.empty = false;
    newLine(open_.size());
}

void JsonWriter::newLine(std::size_t depth)
{
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
    out_ += text;
    out_ += '"';
}
