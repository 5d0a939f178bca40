#include "interaction/input_events.hpp"

#include <algorithm>
#include <cstdint>

namespace brontile {

namespace {

struct CodePoint {
    char32_t value = 0;
    std::size_t length = 0;  // bytes it took
};

[[nodiscard]] std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The first character of `text`; nothing when it is not well-formed UTF-8 (overlong forms and
// surrogates included).
[[nodiscard]] std::optional<CodePoint> decodeFirst(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = sequenceLength(lead);
    if (length == 0 || length > text.size()) return std::nullopt;
    if (length == 1) return CodePoint{lead, 1};
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        value = (value << 6) | (next & 0x3F);
    }
    constexpr std::array<char32_t, 5> kSmallest{0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF) return std::nullopt;
    if (value >= 0xD800 && value <= 0xDFFF) return std::nullopt;
    return CodePoint{value, length};
}

void appendUtf8(std::string& out, char32_t c) {
    const auto byte = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | (c >> 6));
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | (c >> 12));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | (c >> 18));
        byte(0x80 | ((c >> 12) & 0x3F));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

// Capitals and their small letters. An `alternating` range pairs each capital with the
// character right after it; otherwise the small letter lies `offset` away.
struct CaseRange {
    char32_t first;
    char32_t last;
    std::int32_t offset;
    bool alternating;
};

constexpr std::array<CaseRange, 14> kCaseRanges{{
    {0x41, 0x5A, 32, false},      // A–Z
    {0xC0, 0xD6, 32, false},      // À–Ö
    {0xD8, 0xDE, 32, false},      // Ø–Þ
    {0x100, 0x12F, 1, true},      // Ā–į
    {0x130, 0x130, -199, false},  // İ → i
    {0x132, 0x137, 1, true},      // Ĳ–ķ
    {0x139, 0x148, 1, true},      // Ĺ–ň
    {0x14A, 0x177, 1, true},      // Ŋ–ŷ
    {0x178, 0x178, -121, false},  // Ÿ → ÿ
    {0x179, 0x17E, 1, true},      // Ź–ž
    {0x391, 0x3A1, 32, false},    // Α–Ρ
    {0x3A3, 0x3AB, 32, false},    // Σ–Ϋ
    {0x400, 0x40F, 80, false},    // Ѐ–Џ
    {0x410, 0x42F, 32, false},    // А–Я
}};

[[nodiscard]] char32_t lowercased(char32_t c) {
    for (const CaseRange& range : kCaseRanges) {
        if (c < range.first || c > range.last) continue;
        if (range.alternating && (c - range.first) % 2 != 0) return c;
        return static_cast<char32_t>(static_cast<std::int32_t>(c) + range.offset);
    }
    return c;
}

// Without the full Unicode tables, characters beyond ASCII count as letters unless they lie in
// the blocks that hold punctuation, symbols and arrows.
[[nodiscard]] bool isLetterOrDigit(char32_t c) {
    if (c < 0x80) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    }
    const bool symbol = (c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x2BFF) ||
                        (c >= 0x3000 && c <= 0x303F);
    return !symbol;
}

// Control characters some window systems report as the text of a named key.
[[nodiscard]] std::optional<std::string_view> namedKeyOfCharacter(char32_t c) {
    switch (c) {
        case U' ': return "space";
        case U'\r':
        case U'\n': return "return";
        case U'\t': return "tab";
        case 0x1B: return "escape";
        case U'\b':
        case 0x7F: return "delete";
        default: return std::nullopt;
    }
}

}  // namespace

std::optional<KeyPress> keyPressFromCharacters(std::string_view namedKeyOrCharacters,
                                               ModifierSet modifiers) {
    if (std::ranges::find(kNamedKeys, namedKeyOrCharacters) != kNamedKeys.end()) {
        return KeyPress{std::string(namedKeyOrCharacters), modifiers};
    }
    const auto first = decodeFirst(namedKeyOrCharacters);
    if (!first) return std::nullopt;
    if (const auto named = namedKeyOfCharacter(first->value)) {
        return KeyPress{std::string(*named), modifiers};
    }
    // A shifted punctuation key already reports its shifted character ("?" rather than "/"),
    // so keeping shift would ask for a chord nobody can type.
    if (!isLetterOrDigit(first->value)) modifiers.remove(ModifierSet::shift);
    KeyPress press{.key = {}, .modifiers = modifiers};
    appendUtf8(press.key, lowercased(first->value));
    return press;
}

std::string lowercasedKeyText(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    while (!text.empty()) {
        if (const auto c = decodeFirst(text)) {
            appendUtf8(result, lowercased(c->value));
            text.remove_prefix(c->length);
        } else {
            result.push_back(text.front());
            text.remove_prefix(1);
        }
    }
    return result;
}

}  // namespace brontile
