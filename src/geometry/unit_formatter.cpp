#include "geometry/unit_formatter.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace brontile::UnitFormatter {
namespace {

constexpr int kMaxDecimals = 20;

bool isWhitespace(char c) { return c == ' ' || c == '\t'; }
bool isWhitespaceOrNewline(char c) {
    return isWhitespace(c) || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

template <class Predicate>
std::string_view trim(std::string_view text, Predicate isBlank) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The whole text as a finite decimal number (optional sign, fraction, exponent), independent of
// the process locale.
std::optional<double> parseDecimal(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

// "a/b", with empty pieces around the slashes ignored.
std::optional<double> parseFraction(std::string_view text) {
    std::vector<std::string_view> pieces;
    while (!text.empty()) {
        const auto slash = text.find('/');
        const auto piece = text.substr(0, slash);
        if (!piece.empty()) pieces.push_back(piece);
        if (slash == std::string_view::npos) break;
        text.remove_prefix(slash + 1);
    }
    if (pieces.size() != 2) return std::nullopt;
    const auto numerator = parseDecimal(pieces[0]);
    const auto denominator = parseDecimal(pieces[1]);
    if (!numerator || !denominator || *denominator == 0) return std::nullopt;
    const double quotient = *numerator / *denominator;
    if (!std::isfinite(quotient)) return std::nullopt;
    return quotient;
}

}  // namespace

std::string string(double valueMM, LengthUnit units, std::optional<int> decimals) {
    const double value = valueMM / millimetersPerUnit(units);
    const int places =
        std::clamp(decimals.value_or(units == LengthUnit::inches ? 3 : 2), 0, kMaxDecimals);

    // Large enough for the largest double in fixed notation with kMaxDecimals decimals.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, places);
    std::string text(buffer.data(), result.ptr);

    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    text += ' ';
    text += shortLabel(units);
    return text;
}

std::optional<double> parseMillimeters(std::string_view typed, LengthUnit units) {
    std::string lowered(trim(typed, isWhitespaceOrNewline));
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });

    std::string_view text = lowered;
    LengthUnit unit = units;
    // Centimetres are no document unit, but a length typed in them is still a length.
    double scale = 1;
    if (text.ends_with("cm")) {
        text.remove_suffix(2);
        unit = LengthUnit::millimeters;
        scale = 10;
    } else if (text.ends_with("mm")) {
        text.remove_suffix(2);
        unit = LengthUnit::millimeters;
    } else if (text.ends_with("in")) {
        text.remove_suffix(2);
        unit = LengthUnit::inches;
    } else if (text.ends_with('"')) {
        text.remove_suffix(1);
        unit = LengthUnit::inches;
    }
    text = trim(text, isWhitespace);

    const auto number =
        text.find('/') != std::string_view::npos ? parseFraction(text) : parseDecimal(text);
    if (!number) return std::nullopt;
    return *number * scale * millimetersPerUnit(unit);
}

}  // namespace brontile::UnitFormatter
