#include "tools/hud_state.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "geometry/unit_formatter.hpp"

namespace brontile {
namespace {

// A plain number in the shortest form that reads back, without trailing zeros.
std::string plainNumber(double value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc{} ? std::string(buffer, end) : std::string("?");
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string hudValueText(const HUDState& hud, LengthUnit units) {
    if (!hud.valueMM) return hud.text.value_or("");
    const double value = *hud.valueMM;
    switch (hud.quantity.value_or(HUDQuantity::length)) {
        case HUDQuantity::length: return UnitFormatter::string(value, units);
        case HUDQuantity::angle: return plainNumber(std::round(value * 100) / 100) + "\u00B0";
        case HUDQuantity::factor: return plainNumber(std::round(value * 1000) / 1000);
        case HUDQuantity::count: return plainNumber(std::round(value));
    }
    return {};
}

std::optional<double> parseHudValue(const HUDState& hud, std::string_view text, LengthUnit units) {
    const HUDQuantity quantity = hud.quantity.value_or(HUDQuantity::length);
    if (quantity == HUDQuantity::length) return UnitFormatter::parseMillimeters(text, units);
    text = trimmed(text);
    // An angle may carry its unit: the degree sign, or "deg" (any case) as typed on any keyboard.
    if (quantity == HUDQuantity::angle) {
        const auto endsWithDeg = [](std::string_view t) {
            if (t.size() < 3) return false;
            const std::string_view tail = t.substr(t.size() - 3);
            return std::equal(tail.begin(), tail.end(), "deg", [](char a, char b) {
                return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
            });
        };
        if (text.ends_with("\u00B0")) {
            text = trimmed(text.substr(0, text.size() - std::string_view("\u00B0").size()));
        } else if (endsWithDeg(text)) {
            text = trimmed(text.substr(0, text.size() - 3));
        }
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace brontile
