#include "base/json_codec.hpp"

#include <cmath>
#include <limits>

#include "base/utf8.hpp"

namespace brontile {

bool JsonCodec<bool>::read(const JsonReader& in) {
    if (!in.json().is_boolean()) in.failType("a Boolean");
    return in.json().get<bool>();
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
    in.fail("Invalid UUID " + quotedExcerpt(text));
}

void JsonCodec<DateTime>::write(JsonWriter& out, const DateTime& value) {
    const auto text = formatDateTime(value);
    if (!text) throw JsonEncodeError("A date outside the years 0 to 9999 cannot be saved.");
    out.value(*text);
}

DateTime JsonCodec<DateTime>::read(const JsonReader& in) {
    const std::string text = in.as<std::string>();
    const auto time = parseDateTime(text);
    if (!time) {
        in.fail("Invalid date " + quotedExcerpt(text) +
                "; expected ISO 8601 such as 2025-03-01T14:05:09Z");
    }
    // Refused here rather than when saving, so that every document that opens can be saved.
    if (!isStorableDateTime(*time)) {
        in.fail("Date " + quotedExcerpt(text) + " lies outside the years 0000 to 9999 in UTC");
    }
    return *time;
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

}  // namespace brontile
