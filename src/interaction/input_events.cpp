#include "interaction/input_events.hpp"

#include <algorithm>

#include "base/utf8.hpp"

namespace brontile {

namespace {

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
    const auto first = decodeUtf8(namedKeyOrCharacters);
    if (!first) return std::nullopt;
    if (const auto named = namedKeyOfCharacter(first->codePoint)) {
        return KeyPress{std::string(*named), modifiers};
    }
    // A shifted punctuation key already reports its shifted character ("?" rather than "/"),
    // so keeping shift would ask for a chord nobody can type.
    if (!isLetterOrDigit(first->codePoint)) modifiers.remove(ModifierSet::shift);
    KeyPress press{.key = {}, .modifiers = modifiers};
    appendUtf8(press.key, lowercased(first->codePoint));
    return press;
}

}  // namespace brontile
