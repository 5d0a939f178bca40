#include "base/date_time.hpp"

#include <array>
#include <cstdio>

namespace brontile {
namespace {

using namespace std::chrono;

// Reads exactly `count` decimal digits at `pos`.
std::optional<int> digits(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool charAt(std::string_view text, std::size_t pos, char c) {
    return pos < text.size() && text[pos] == c;
}

// "Z" → 0; "+hh:mm" / "-hh:mm" → signed offset east of UTC.
std::optional<minutes> parseOffset(std::string_view zone) {
    if (zone == "Z") return minutes{0};
    if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':') {
        return std::nullopt;
    }
    const auto hh = digits(zone, 1, 2);
    const auto mm = digits(zone, 4, 2);
    if (!hh || !mm || *hh > 23 || *mm > 59) return std::nullopt;
    const minutes offset{*hh * 60 + *mm};
    return zone[0] == '-' ? -offset : offset;
}

}  // namespace

bool isStorableDateTime(DateTime time) {
    return time >= sys_days{year{0} / January / 1} && time < sys_days{year{10000} / January / 1};
}

std::optional<std::string> formatDateTime(DateTime time) {
    if (!isStorableDateTime(time)) return std::nullopt;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto day = floor<days>(seconds);
    const year_month_day date{day};
    const int y = static_cast<int>(date.year());
    const hh_mm_ss clock{seconds - day};
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%04d-%02u-%02uT%02d:%02d:%02dZ", y,
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return std::string(buffer.data());
}

std::optional<DateTime> parseDateTime(std::string_view text) {
    const auto y = digits(text, 0, 4);
    const auto mo = digits(text, 5, 2);
    const auto d = digits(text, 8, 2);
    const auto h = digits(text, 11, 2);
    const auto mi = digits(text, 14, 2);
    const auto s = digits(text, 17, 2);
    if (!y || !mo || !d || !h || !mi || !s) return std::nullopt;
    if (!charAt(text, 4, '-') || !charAt(text, 7, '-') || !(charAt(text, 10, 'T')) ||
        !charAt(text, 13, ':') || !charAt(text, 16, ':')) {
        return std::nullopt;
    }
    const auto offset = parseOffset(text.substr(19));
    if (!offset) return std::nullopt;

    const year_month_day date{year{*y}, month{static_cast<unsigned>(*mo)},
                              day{static_cast<unsigned>(*d)}};
    if (!date.ok() || *h > 23 || *mi > 59 || *s > 59) return std::nullopt;
    const sys_seconds local = sys_days{date} + hours{*h} + minutes{*mi} + std::chrono::seconds{*s};
    return DateTime{local - *offset};
}

}  // namespace brontile
