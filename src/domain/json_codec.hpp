// Reading and writing model values as JSON. Each type has a JsonCodec with `write` (value to
// JSON) and `read` (JSON to value). Reading goes through a JsonReader that knows where it is in
// the document, so that every failure names the key or index that is wrong; no read ever yields
// a half-built value.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/date_time.hpp"
#include "domain/error.hpp"
#include "domain/raw_value_enum.hpp"
#include "domain/uuid.hpp"

namespace brontile {

// Objects keep their keys sorted, which is the order documents are written in.
using Json = nlohmann::json;

// The text is not JSON, or the JSON does not describe the expected value. The message says what
// is wrong and where ("Missing required key \"normal\" (at bodies[0].mesh.faces[2])").
class JsonDecodeError : public Error {
public:
    using Error::Error;
};

// The value cannot be written (a number that is not finite, a date outside years 0–9999).
class JsonEncodeError : public Error {
public:
    using Error::Error;
};

// Specialised per type: static Json write(const T&); static T read(const JsonReader&).
template <class T>
struct JsonCodec;

// A view of one JSON value being read, with the path that leads to it. Readers of children
// refer to their parent, so a child must not outlive the reader it came from.
class JsonReader {
public:
    explicit JsonReader(const Json& value) : value_(&value) {}

    [[nodiscard]] const Json& json() const { return *value_; }

    // The member `key` of this object; fails when this is not an object or the key is missing.
    [[nodiscard]] JsonReader operator[](std::string_view key) const;
    // The member `key`, or nothing when it is absent or null.
    [[nodiscard]] std::optional<JsonReader> optionalMember(std::string_view key) const;
    // The element `index` of this array (index < size()).
    [[nodiscard]] JsonReader at(std::size_t index) const;

    // Fail unless this is an object / an array.
    const Json::object_t& object() const;
    const Json::array_t& array() const;

    template <class T>
    [[nodiscard]] T as() const {
        return JsonCodec<T>::read(*this);
    }
    // Reads an array, element by element.
    template <class T>
    [[nodiscard]] std::vector<T> asArray() const {
        const auto& items = array();
        std::vector<T> result;
        result.reserve(items.size());
        for (std::size_t i = 0; i < items.size(); ++i) result.push_back(at(i).template as<T>());
        return result;
    }

    // "bodies[0].mesh.faces[2]", or "the top level" at the root.
    [[nodiscard]] std::string path() const;
    // Throws JsonDecodeError: "<problem> (at <path>)".
    [[noreturn]] void fail(std::string_view problem) const;
    // Throws the type-mismatch error for a value that is not of the `expected` JSON kind.
    [[noreturn]] void failType(std::string_view expected) const;

private:
    JsonReader(const Json& value, const JsonReader& parent, std::string_view key)
        : value_(&value), parent_(&parent), key_(key) {}
    JsonReader(const Json& value, const JsonReader& parent, std::size_t index)
        : value_(&value), parent_(&parent), index_(index) {}

    void appendPath(std::string& out) const;

    const Json* value_;
    const JsonReader* parent_ = nullptr;
    std::string_view key_;
    std::optional<std::size_t> index_;
};

// ---- Codecs of the building blocks -------------------------------------------------------------

template <>
struct JsonCodec<bool> {
    static Json write(bool value) { return value; }
    static bool read(const JsonReader& in);
};

// Finite doubles only: JSON has no NaN or infinity, and the model never wants them.
template <>
struct JsonCodec<double> {
    static Json write(double value);
    static double read(const JsonReader& in);
};

// Whole numbers in the signed 64-bit range (a number written as 3.0 counts).
template <>
struct JsonCodec<std::int64_t> {
    static Json write(std::int64_t value) { return value; }
    static std::int64_t read(const JsonReader& in);
};

template <>
struct JsonCodec<std::string> {
    static Json write(const std::string& value) { return value; }
    static std::string read(const JsonReader& in);
};

// The 36-character text form; upper case when written, either case when read.
template <>
struct JsonCodec<Uuid> {
    static Json write(const Uuid& value) { return value.string(); }
    static Uuid read(const JsonReader& in);
};

template <>
struct JsonCodec<DateTime> {
    static Json write(const DateTime& value);
    static DateTime read(const JsonReader& in);
};

// Enumerations with raw values are stored as their raw text.
template <RawValueEnum E>
struct JsonCodec<E> {
    static Json write(E value) { return std::string(rawValue(value)); }
    static E read(const JsonReader& in);
};

// Identity types are an object with the single key "rawValue".
template <class Tag>
struct JsonCodec<Identifier<Tag>> {
    static Json write(const Identifier<Tag>& id) {
        return Json::object({{"rawValue", id.rawValue.string()}});
    }
    static Identifier<Tag> read(const JsonReader& in) {
        return Identifier<Tag>{in["rawValue"].as<Uuid>()};
    }
};

template <class T>
struct JsonCodec<std::vector<T>> {
    static Json write(const std::vector<T>& items) {
        Json array = Json::array();
        array.get_ref<Json::array_t&>().reserve(items.size());
        for (const T& item : items) array.push_back(JsonCodec<T>::write(item));
        return array;
    }
    static std::vector<T> read(const JsonReader& in) { return in.asArray<T>(); }
};

namespace detail {
[[nodiscard]] std::string quotedList(std::span<const std::string_view> names);
}  // namespace detail

template <RawValueEnum E>
E JsonCodec<E>::read(const JsonReader& in) {
    const std::string text = in.as<std::string>();
    if (const auto value = fromRawValue<E>(text)) return *value;
    std::vector<std::string_view> names;
    for (const auto& c : RawValueCases<E>::cases) names.push_back(c.raw);
    in.fail("Unknown value \"" + text + "\"; expected one of " + detail::quotedList(names));
}

// ---- Entry points ------------------------------------------------------------------------------

template <class T>
[[nodiscard]] Json toJson(const T& value) {
    return JsonCodec<T>::write(value);
}

template <class T>
[[nodiscard]] T fromJson(const Json& json) {
    return JsonReader(json).as<T>();
}

// Pretty-printed text with sorted keys; doubles in a form that reads back exactly.
[[nodiscard]] std::string dumpJsonText(const Json& json);
// Parses JSON text; malformed text throws JsonDecodeError naming the line and column.
[[nodiscard]] Json parseJsonText(std::string_view text);

template <class T>
[[nodiscard]] std::string toJsonText(const T& value) {
    return dumpJsonText(toJson(value));
}

template <class T>
[[nodiscard]] T fromJsonText(std::string_view text) {
    return fromJson<T>(parseJsonText(text));
}

}  // namespace brontile
