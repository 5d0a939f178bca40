// The platform-neutral pointer and key values that the viewport makes from window-system events
// and that the session, the tools and the keymap consume; nothing here knows a window system.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "base/hashing.hpp"
#include "base/raw_value_enum.hpp"
#include "geometry/ray.hpp"
#include "geometry/vec2.hpp"

namespace brontile {

// The modifier keys held during an event, as a bit set. The bits are stable: key chords hash
// and compare by them.
struct ModifierSet {
    int rawValue = 0;

    static const ModifierSet shift;    // 1
    static const ModifierSet option;   // 2, Alt
    static const ModifierSet command;  // 4
    static const ModifierSet control;  // 8

    constexpr ModifierSet() = default;
    constexpr explicit ModifierSet(int raw) : rawValue(raw) {}
    // The union of the listed members: ModifierSet{ModifierSet::shift, ModifierSet::option}.
    constexpr ModifierSet(std::initializer_list<ModifierSet> members) {
        for (const ModifierSet member : members) rawValue |= member.rawValue;
    }

    friend constexpr bool operator==(ModifierSet, ModifierSet) = default;

    [[nodiscard]] constexpr bool isEmpty() const { return rawValue == 0; }
    // True when every member of `members` is in this set (so always for the empty set).
    [[nodiscard]] constexpr bool contains(ModifierSet members) const {
        return (rawValue & members.rawValue) == members.rawValue;
    }
    [[nodiscard]] constexpr ModifierSet unionWith(ModifierSet other) const {
        return ModifierSet(rawValue | other.rawValue);
    }
    [[nodiscard]] constexpr ModifierSet intersection(ModifierSet other) const {
        return ModifierSet(rawValue & other.rawValue);
    }
    constexpr void insert(ModifierSet members) { rawValue |= members.rawValue; }
    constexpr void remove(ModifierSet members) { rawValue &= ~members.rawValue; }

    friend constexpr ModifierSet operator|(ModifierSet a, ModifierSet b) { return a.unionWith(b); }
    friend constexpr ModifierSet operator&(ModifierSet a, ModifierSet b) {
        return a.intersection(b);
    }
};

inline constexpr ModifierSet ModifierSet::shift{1};
inline constexpr ModifierSet ModifierSet::option{2};
inline constexpr ModifierSet ModifierSet::command{4};
inline constexpr ModifierSet ModifierSet::control{8};

// down: primary button pressed; drag: moved with it held; up: released; move: hover.
enum class PointerPhase { down, drag, up, move };

template <>
struct RawValueCases<PointerPhase> {
    static constexpr std::array<RawValueCase<PointerPhase>, 4> cases{{
        {PointerPhase::down, "down"},
        {PointerPhase::drag, "drag"},
        {PointerPhase::up, "up"},
        {PointerPhase::move, "move"},
    }};
};

struct PointerEvent {
    PointerPhase phase = PointerPhase::move;
    // View points from the viewport's top-left corner, y growing downwards.
    Vec2 location;
    // World-space pick ray through `location` for the current view size.
    Ray ray;
    ModifierSet modifiers;
    // The window system's count: 1 for a single click, 2 for a double click.
    int clickCount = 0;

    friend bool operator==(const PointerEvent&, const PointerEvent&) = default;
};

// A key as the keymap sees it: one of the named keys below, or the key's character (ignoring
// modifiers) in lower case.
struct KeyPress {
    std::string key;
    ModifierSet modifiers;

    friend bool operator==(const KeyPress&, const KeyPress&) = default;
};

// The names of keys that have no character of their own, in KeyPress::key form.
inline constexpr std::array<std::string_view, 10> kNamedKeys{
    "return", "tab", "space", "delete", "escape", "home", "left", "right", "down", "up"};

// The platform-neutral half of turning a key event into a KeyPress. `namedKeyOrCharacters` is
// either one of kNamedKeys (passed through with the modifiers unchanged) or the event's
// characters ignoring modifiers, UTF-8: then the key is the first character, lower-cased, and
// shift is dropped unless that character is a letter or a digit (a shifted punctuation key
// already reports the shifted character). Nothing for empty text or text that is not UTF-8.
[[nodiscard]] std::optional<KeyPress> keyPressFromCharacters(std::string_view namedKeyOrCharacters,
                                                             ModifierSet modifiers);

}  // namespace brontile

template <>
struct std::hash<brontile::ModifierSet> {
    std::size_t operator()(brontile::ModifierSet m) const noexcept {
        return std::hash<int>{}(m.rawValue);
    }
};

template <>
struct std::hash<brontile::KeyPress> {
    std::size_t operator()(const brontile::KeyPress& k) const noexcept {
        return brontile::hashFields(k.key, k.modifiers);
    }
};
