#include "domain/json_codec.hpp"

#include <cmath>
#include <limits>

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

}  // namespace

// ---- JsonReader --------------------------------------------------------------------------------

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

// ---- Building blocks ---------------------------------------------------------------------------

bool JsonCodec<bool>::read(const JsonReader& in) {
    if (!in.json().is_boolean()) in.failType("a Boolean");
    return in.json().get<bool>();
}

Json JsonCodec<double>::write(double value) {
    if (!std::isfinite(value)) {
        throw JsonEncodeError("A number that is not finite (NaN or infinity) cannot be saved.");
    }
    return value;
}

double JsonCodec<double>::read(const JsonReader& in) {
    if (!in.json().is_number()) in.failType("a number");
    const double value = in.json().get<double>();
    if (!std::isfinite(value)) in.fail("Expected a finite number");
    return value;
}

std::int64_t JsonCodec<std::int64_t>::read(const JsonReader& in) {
    const Json& value = in.json();
    if (value.is_number_integer() && !value.is_number_unsigned()) return value.get<std::int64_t>();
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return static_cast<std::int64_t>(u);
        }
    } else if (value.is_number_float()) {
        // 2^63 is exactly representable; everything below it that is whole converts exactly.
        const double d = value.get<double>();
        if (std::isfinite(d) && d == std::trunc(d) && d >= -9223372036854775808.0 &&
            d < 9223372036854775808.0) {
            return static_cast<std::int64_t>(d);
        }
    } else {
        in.failType("a whole number");
    }
    in.fail("Expected a whole number in the signed 64-bit range");
}

std::string JsonCodec<std::string>::read(const JsonReader& in) {
    if (!in.json().is_string()) in.failType("a string");
    return in.json().get<std::string>();
}

Uuid JsonCodec<Uuid>::read(const JsonReader& in) {
    const std::string text = in.as<std::string>();
    if (const auto id = Uuid::parse(text)) return *id;
    in.fail("Invalid UUID \"" + text + "\"");
}

Json JsonCodec<DateTime>::write(const DateTime& value) {
    if (const auto text = formatDateTime(value)) return *text;
    throw JsonEncodeError("A date outside the years 0 to 9999 cannot be saved.");
}

DateTime JsonCodec<DateTime>::read(const JsonReader& in) {
    const std::string text = in.as<std::string>();
    if (const auto time = parseDateTime(text)) return *time;
    in.fail("Invalid date \"" + text + "\"; expected ISO 8601 such as 2025-03-01T14:05:09Z");
}

std::string detail::quotedList(std::span<const std::string_view> names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += i + 1 == names.size() ? " or " : ", ";
        out += '"';
        out += names[i];
        out += '"';
    }
    return out;
}

// ---- Text --------------------------------------------------------------------------------------

std::string dumpJsonText(const Json& json) {
    try {
        return json.dump(2);
    } catch (const Json::exception& e) {
        throw JsonEncodeError("The document cannot be written as JSON: " +
                              withoutExceptionTag(e.what()));
    }
}

Json parseJsonText(std::string_view text) {
    try {
        return Json::parse(text);
    } catch (const Json::exception& e) {
        throw JsonDecodeError("Malformed JSON: " + withoutExceptionTag(e.what()));
    }
}

}  // namespace brontile
