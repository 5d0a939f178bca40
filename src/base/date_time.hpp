// Points in time as documents store them: ISO 8601 internet date-time text in UTC with whole
// seconds, for example 2025-03-01T14:05:09Z.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace brontile {

// Microseconds since the epoch: finer than any date is stored, and wide enough for every year a
// document can name (0000–9999), which nanosecond clock ticks are not.
using DateTime = std::chrono::sys_time<std::chrono::microseconds>;

// The current time of the system clock.
[[nodiscard]] inline DateTime currentDateTime() {
    return std::chrono::time_point_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now());
}

// Whether `time` lies in the years 0000–9999 in UTC, the years formatDateTime can write.
[[nodiscard]] bool isStorableDateTime(DateTime time);

// Whole seconds (rounded down); nothing for a time that is not storable.
[[nodiscard]] std::optional<std::string> formatDateTime(DateTime time);

// "YYYY-MM-DDTHH:MM:SSZ", or with a "+hh:mm" / "-hh:mm" offset instead of Z; fractional seconds
// are not accepted. Nothing for any other text or an impossible date. The offset can carry a
// date written in year 0000 or 9999 out of the storable years: callers that keep the result must
// check isStorableDateTime.
[[nodiscard]] std::optional<DateTime> parseDateTime(std::string_view text);

}  // namespace brontile
