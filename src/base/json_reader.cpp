#include "base/json_reader.hpp"

#include <string>

#include "base/utf8.hpp"

namespace brontile {
namespace {

std::string_view kindName(const Json& value) {
    switch (value.type()) {
        case Json::value_t::null: return "null";
        case Json::value_t::object: return "an object";
        case Json::value_t::array: return "an array";
        case Json::value_t::string: return "a string";
        case Json::value_t::boolean: return "a Boolean";
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
        case Json::value_t::number_float: return "a number";
        case Json::value_t::binary: return "binary data";
        case Json::value_t::discarded: break;
    }
    return "nothing";
}

// nlohmann prefixes its messages with "[json.exception.parse_error.101] "; users need only the
// sentence after it.
std::string withoutExceptionTag(const char* what) {
    std::string_view text(what);
    if (text.starts_with('[')) {
        const auto close = text.find("] ");
        if (close != std::string_view::npos) text.remove_prefix(close + 2);
    }
    return std::string(text);
}

// nlohmann quotes all it read of the token that broke off, which for a damaged string can be the
// rest of the file; the start of it is enough to find the place.
std::string withShortLastRead(std::string message) {
    constexpr std::string_view kMarker = "; last read: '";
    const std::size_t marker = message.find(kMarker);
    if (marker == std::string::npos) return message;
    const std::size_t tokenStart = marker + kMarker.size();
    // The token ends at the closing quote, which may be followed by a short "; expected ..."
    // that names a token kind.
    std::size_t tokenEnd = message.size() - 1;
    const std::size_t expected = message.rfind("'; expected ");
    if (expected != std::string::npos && expected >= tokenStart && message.size() - expected < 64) {
        tokenEnd = expected;
    }
    if (tokenEnd < tokenStart) return message;
    return message.substr(0, tokenStart) +
           messageExcerpt(std::string_view(message).substr(tokenStart, tokenEnd - tokenStart)) +
           message.substr(tokenEnd);
}

}  // namespace

JsonReader JsonReader::operator[](std::string_view key) const {
    const auto& members = object();
    const auto it = members.find(std::string(key));
    if (it == members.end()) fail("Missing required key \"" + std::string(key) + "\"");
    return JsonReader(it->second, *this, std::string_view(it->first));
}

std::optional<JsonReader> JsonReader::optionalMember(std::string_view key) const {
    const auto& members = object();
    const auto it = members.find(std::string(key));
    if (it == members.end() || it->second.is_null()) return std::nullopt;
    return JsonReader(it->second, *this, std::string_view(it->first));
}

JsonReader JsonReader::at(std::size_t index) const {
    const auto& items = array();
    if (index >= items.size()) fail("Missing element " + std::to_string(index));
    return JsonReader(items[index], *this, index);
}

const Json::object_t& JsonReader::object() const {
    if (!value_->is_object()) failType("an object");
    return value_->get_ref<const Json::object_t&>();
}

const Json::array_t& JsonReader::array() const {
    if (!value_->is_array()) failType("an array");
    return value_->get_ref<const Json::array_t&>();
}

void JsonReader::appendPath(std::string& out) const {
    if (parent_ == nullptr) return;
    parent_->appendPath(out);
    if (index_) {
        out += '[';
        out += std::to_string(*index_);
        out += ']';
    } else {
        if (!out.empty()) out += '.';
        out += key_;
    }
}

std::string JsonReader::path() const {
    std::string out;
    appendPath(out);
    return out.empty() ? "the top level" : out;
}

void JsonReader::fail(std::string_view problem) const {
    throw JsonDecodeError(std::string(problem) + " (at " + path() + ")");
}

void JsonReader::failType(std::string_view expected) const {
    fail("Expected " + std::string(expected) + " but found " + std::string(kindName(*value_)));
}

Json parseJsonText(std::string_view text) {
    try {
        return Json::parse(text);
    } catch (const Json::exception& e) {
        throw JsonDecodeError("Malformed JSON: " +
                              withShortLastRead(withoutExceptionTag(e.what())));
    }
}

}  // namespace brontile
