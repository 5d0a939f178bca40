// A key together with the modifiers held for it, as the keymap matches it: parsed from the
// written form in keymap files ("shift+cmd+k") and shown to the user as glyphs ("⇧⌘K").
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/hashing.hpp"
#include "interaction/input_events.hpp"

namespace brontile {

struct KeyChord {
    // Canonical key name: "escape", "delete", "return", "space", "tab", "home", "up", "down",
    // "left", "right", or the key's character in lower case ("k", "1", "[").
    std::string key;
    ModifierSet modifiers;

    friend bool operator==(const KeyChord&, const KeyChord&) = default;

    // Parses the written form: pieces joined by "+", spaces and tabs around each piece ignored,
    // the last piece the key (any spelling canonicalKeyName accepts), the others modifier names
    // in any letter case: cmd/command/⌘, shift/⇧, alt/option/opt/⌥, ctrl/control/^. Nothing for
    // text without a key or with an unknown modifier. A "+" key cannot be written.
    [[nodiscard]] static std::optional<KeyChord> parse(std::string_view text);

    // The written form: modifiers in the order ctrl, alt, shift, cmd, then the key, joined by
    // "+" ("shift+cmd+k", "escape").
    [[nodiscard]] std::string description() const;
    // What menus and the shortcut sheet show: ⌃⌥⇧⌘ glyphs then the key, no separators
    // ("⇧⌘K", "Esc", "⌃↩"). Keys without a symbol are shown in capitals wherever key names are
    // lower-cased (uppercasedText), so "é" shows as "É" and "ß" stays "ß".
    [[nodiscard]] std::string display() const;
};

// The key name a chord stores for a written or pressed key: lower case, with the aliases
// esc → escape, del and backspace → delete, enter → return, and " " → space.
[[nodiscard]] std::string canonicalKeyName(std::string_view text);

}  // namespace brontile

template <>
struct std::hash<brontile::KeyChord> {
    std::size_t operator()(const brontile::KeyChord& c) const noexcept {
        return brontile::hashFields(c.key, c.modifiers);
    }
};
