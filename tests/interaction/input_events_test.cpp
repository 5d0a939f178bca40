// Modifier sets and key presses as the viewport hands them to the session and the keymap.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <unordered_set>

#include "interaction/input_events.hpp"

namespace brontile {
namespace {

TEST(ModifierSets, BitsCombineLikeAnOptionSetAndPointerEventsCompareFieldByField) {
    ModifierSet held{ModifierSet::shift, ModifierSet::option};
    EXPECT_EQ(held.rawValue, 3);
    EXPECT_TRUE(held.contains(ModifierSet::option));
    EXPECT_FALSE(held.contains(ModifierSet{ModifierSet::option, ModifierSet::command}));
    EXPECT_TRUE(held.contains(ModifierSet{}));

    held.insert(ModifierSet::control);
    held.remove(ModifierSet::shift);
    EXPECT_EQ(held, (ModifierSet{ModifierSet::control, ModifierSet::option}));
    EXPECT_EQ(held.intersection(ModifierSet::control | ModifierSet::command).rawValue, 8);
    EXPECT_EQ(held.unionWith(ModifierSet::command).rawValue, 14);

    const std::unordered_set<ModifierSet> sets{ModifierSet(3), held,
                                               ModifierSet::shift | ModifierSet(2)};
    EXPECT_EQ(sets.size(), 2u);
    // Pointer events compare field by field.
    const Ray ray(Vec3{0, 0, 10}, Vec3{0, 0, -2});
    const PointerEvent click{PointerPhase::down, Vec2{4, 5}, ray, ModifierSet{}, 2};
    PointerEvent other = click;
    EXPECT_EQ(other, click);
    other.clickCount = 1;
    EXPECT_NE(other, click);
}

TEST(KeyPresses, FromCharactersOrNamedKeys) {
    const ModifierSet shift = ModifierSet::shift;
    const ModifierSet shiftCmd = ModifierSet::shift | ModifierSet::command;
    const struct {
        const char* name;
        std::string text;
        ModifierSet modifiers;
        std::optional<KeyPress> expected;
    } cases[] = {
        {"letter keeps shift", "A", shift, KeyPress{"a", shift}},
        {"digit keeps shift", "7", shift, KeyPress{"7", shift}},
        {"punctuation drops shift", "?", shiftCmd, KeyPress{"?", ModifierSet::command}},
        {"first character only", "Ab", {}, KeyPress{"a", {}}},
        {"named key passes through", "return", shift, KeyPress{"return", shift}},
        {"space character is named", " ", {}, KeyPress{"space", {}}},
        {"backspace character", "\x7f", {}, KeyPress{"delete", {}}},
        {"Latin-1 capital", "\xC3\x84", shift, KeyPress{"\xC3\xA4", shift}},  // Ä → ä
        {"Cyrillic capital", "\xD0\x96", {}, KeyPress{"\xD0\xB6", {}}},       // Ж → ж
        {"arrow symbol drops shift", "\xE2\x86\x90", shift, KeyPress{"\xE2\x86\x90", {}}},
        {"empty text", "", shift, std::nullopt},
        {"truncated sequence", "\xC3", {}, std::nullopt},
        {"overlong form", "\xC0\xAF", {}, std::nullopt},
        {"surrogate", "\xED\xA0\x80", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keyPressFromCharacters(c.text, c.modifiers), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace brontile
