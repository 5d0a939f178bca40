// Model values as JSON. Each type has a JsonCodec with `write` (streams the value to a
// JsonWriter) and `read` (builds the value from a JsonReader, or throws JsonDecodeError; no read
// ever yields a half-built value). This header holds the codecs of the building blocks and the
// entry points; the model's own types have theirs in the *_json headers.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.hpp"
#include "base/json_reader.hpp"
#include "base/json_writer.hpp"
#include "base/raw_value_enum.hpp"
#include "base/utf8.hpp"
#include "base/uuid.hpp"

namespace brontile {

template <>
struct JsonCodec<bool> {
    static void write(JsonWriter& out, bool value) { out.value(value); }
    static bool read(const JsonReader& in);
};

// Finite doubles only: JSON has no NaN or infinity, and the model never wants them.
template <>
struct JsonCodec<double> {
    static void write(JsonWriter& out, double value) { out.value(value); }
    static double read(const JsonReader& in);
};

// Whole numbers in the signed 64-bit range (a number written as 3.0 counts).
template <>
struct JsonCodec<std::int64_t> {
    static void write(JsonWriter& out, std::int64_t value) { out.value(value); }
    static std::int64_t read(const JsonReader& in);
};

template <>
struct JsonCodec<std::string> {
    static void write(JsonWriter& out, const std::string& value) { out.value(value); }
    static std::string read(const JsonReader& in);
};

// The 36-character text form; upper case when written, either case when read.
template <>
struct JsonCodec<Uuid> {
    static void write(JsonWriter& out, const Uuid& value) { out.value(value.string()); }
    static Uuid read(const JsonReader& in);
};

// ISO 8601 in UTC with whole seconds.
template <>
struct JsonCodec<DateTime> {
    static void write(JsonWriter& out, const DateTime& value);
    static DateTime read(const JsonReader& in);
};

// Enumerations with raw values are stored as their raw text.
template <RawValueEnum E>
struct JsonCodec<E> {
    static void write(JsonWriter& out, E value) { out.value(rawValue(value)); }
    static E read(const JsonReader& in);
};

// Identity types are an object with the single key "rawValue".
template <class Tag>
struct JsonCodec<Identifier<Tag>> {
    static void write(JsonWriter& out, const Identifier<Tag>& id) {
        out.beginObject().member("rawValue", id.rawValue).endObject();
    }
    static Identifier<Tag> read(const JsonReader& in) {
        return Identifier<Tag>{in["rawValue"].as<Uuid>()};
    }
};

template <class T>
struct JsonCodec<std::vector<T>> {
    static void write(JsonWriter& out, const std::vector<T>& items) {
        out.beginArray();
        for (const T& item : items) JsonCodec<T>::write(out, item);
        out.endArray();
    }
    static std::vector<T> read(const JsonReader& in) { return in.asArray<T>(); }
};

namespace detail {
// "a", "b" or "c".
[[nodiscard]] std::string quotedList(std::span<const std::string_view> names);
}  // namespace detail

template <RawValueEnum E>
E JsonCodec<E>::read(const JsonReader& in) {
    const std::string text = in.as<std::string>();
    if (const auto value = fromRawValue<E>(text)) return *value;
    std::vector<std::string_view> names;
    for (const auto& c : RawValueCases<E>::cases) names.push_back(c.raw);
    in.fail("Unknown value " + quotedExcerpt(text) + "; expected one of " +
            detail::quotedList(names));
}

// ---- Entry points ------------------------------------------------------------------------------

// Pretty-printed text with sorted keys; doubles in a form that reads back exactly.
template <class T>
[[nodiscard]] std::string toJsonText(const T& value) {
    JsonWriter out;
    JsonCodec<T>::write(out, value);
    return std::move(out).finish();
}

template <class T>
[[nodiscard]] T fromJson(const Json& json) {
    return JsonReader(json).as<T>();
}

template <class T>
[[nodiscard]] T fromJsonText(std::string_view text) {
    return fromJson<T>(parseJsonText(text));
}

// The parsed form of what toJsonText writes (for inspecting single values).
template <class T>
[[nodiscard]] Json toJson(const T& value) {
    return parseJsonText(toJsonText(value));
}

}  // namespace brontile
