#include "shortcuts/key_chord.hpp"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "base/utf8.hpp"

namespace brontile {

namespace {

struct ModifierName {
    std::string_view name;
    ModifierSet member;
};

constexpr auto kModifierNames = std::to_array<ModifierName>({
    {"cmd", ModifierSet::command},
    {"command", ModifierSet::command},
    {"\u2318", ModifierSet::command},  // ⌘
    {"shift", ModifierSet::shift},
    {"\u21E7", ModifierSet::shift},  // ⇧
    {"alt", ModifierSet::option},
    {"option", ModifierSet::option},
    {"opt", ModifierSet::option},
    {"\u2325", ModifierSet::option},  // ⌥
    {"ctrl", ModifierSet::control},
    {"control", ModifierSet::control},
    {"^", ModifierSet::control},
});

using TextPair = std::pair<std::string_view, std::string_view>;

// Written and displayed modifiers follow this order, whatever order the text used.
struct ModifierForm {
    ModifierSet member;
    std::string_view written;
    std::string_view glyph;
};

constexpr auto kModifierForms = std::to_array<ModifierForm>({
    {ModifierSet::control, "ctrl", "\u2303"},  // ⌃
    {ModifierSet::option, "alt", "\u2325"},    // ⌥
    {ModifierSet::shift, "shift", "\u21E7"},   // ⇧
    {ModifierSet::command, "cmd", "\u2318"},   // ⌘
});

constexpr auto kKeySymbols = std::to_array<TextPair>({
    {"escape", "Esc"},
    {"return", "\u21A9"},  // ↩
    {"delete", "\u232B"},  // ⌫
    {"space", "Space"},
    {"tab", "\u21E5"},  // ⇥
    {"home", "Home"},
    {"up", "\u2191"},
    {"down", "\u2193"},
    {"left", "\u2190"},
    {"right", "\u2192"},
});

constexpr auto kKeyAliases = std::to_array<TextPair>({
    {"esc", "escape"},
    {"del", "delete"},
    {"backspace", "delete"},
    {"enter", "return"},
    {" ", "space"},
});

[[nodiscard]] std::string_view trimmed(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The non-empty pieces between "+" signs, each trimmed (so a piece may end up empty).
[[nodiscard]] std::vector<std::string_view> chordPieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    while (!text.empty()) {
        const std::size_t plus = std::min(text.find('+'), text.size());
        if (plus > 0) pieces.push_back(trimmed(text.substr(0, plus)));
        text.remove_prefix(std::min(plus + 1, text.size()));
    }
    return pieces;
}

[[nodiscard]] std::string asciiLowercased(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

[[nodiscard]] std::optional<ModifierSet> modifierNamed(std::string_view piece) {
    const std::string name = asciiLowercased(piece);
    for (const auto& entry : kModifierNames) {
        if (entry.name == name) return entry.member;
    }
    return std::nullopt;
}

}  // namespace

std::string canonicalKeyName(std::string_view text) {
    const std::string lowered = lowercasedText(text);
    for (const auto& [alias, name] : kKeyAliases) {
        if (lowered == alias) return std::string(name);
    }
    return lowered;
}

std::optional<KeyChord> KeyChord::parse(std::string_view text) {
    const std::vector<std::string_view> pieces = chordPieces(text);
    if (pieces.empty() || pieces.back().empty()) return std::nullopt;
    KeyChord chord{.key = canonicalKeyName(pieces.back()), .modifiers = {}};
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        const auto member = modifierNamed(pieces[i]);
        if (!member) return std::nullopt;
        chord.modifiers.insert(*member);
    }
    return chord;
}

std::string KeyChord::description() const {
    std::string text;
    for (const auto& form : kModifierForms) {
        if (modifiers.contains(form.member)) text.append(form.written).append("+");
    }
    return text + key;
}

std::string KeyChord::display() const {
    std::string text;
    for (const auto& form : kModifierForms) {
        if (modifiers.contains(form.member)) text.append(form.glyph);
    }
    const auto symbol = std::ranges::find(kKeySymbols, std::string_view(key), &TextPair::first);
    if (symbol != kKeySymbols.end()) return text.append(symbol->second);
    return text.append(uppercasedText(key));
}

}  // namespace brontile
