// Key chords: the written forms keymap files may use, and how chords are written back and shown.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "shortcuts/key_chord.hpp"

namespace brontile {
namespace {

const ModifierSet kShiftCmd{ModifierSet::shift, ModifierSet::command};

TEST(KeyChordParsing, AcceptsEverySpellingOfTheSameChordAndRejectsTextWithoutAKey) {
    const struct {
        std::string text;
        std::optional<KeyChord> expected;
    } cases[] = {
        {"Cmd+Shift+K", KeyChord{"k", kShiftCmd}},
        {"cmd + shift + k", KeyChord{"k", kShiftCmd}},
        {"⇧+⌘+k", KeyChord{"k", kShiftCmd}},
        {"shift+cmd+K", KeyChord{"k", kShiftCmd}},
        {"\tCOMMAND+shift+shift+k\t", KeyChord{"k", kShiftCmd}},
        {"opt+^+control+1", KeyChord{"1", ModifierSet::option | ModifierSet::control}},
        {"cmd+", KeyChord{"cmd", {}}},
        {"cmd++", KeyChord{"cmd", {}}},
        {"Esc", KeyChord{"escape", {}}},
        {"ESC", KeyChord{"escape", {}}},
        {"Backspace", KeyChord{"delete", {}}},
        {"del", KeyChord{"delete", {}}},
        {"ctrl+Enter", KeyChord{"return", ModifierSet::control}},
        {"Ä", KeyChord{"ä", {}}},
    };
    for (const auto& c : cases) EXPECT_EQ(KeyChord::parse(c.text), c.expected) << c.text;
    // Without a key, or with unknown modifiers.
    for (const char* text : {"", "+", "++", "  ", "hyper+k", "cmd+ +k", "cmd+shift+ \t", "⌘⇧+k"}) {
        EXPECT_EQ(KeyChord::parse(text), std::nullopt) << text;
    }
}

TEST(KeyChordForms, ModifiersInFixedOrderThenTheKey) {
    const struct {
        std::string written, description, display;
    } cases[] = {
        // clang-format off
        {"cmd+ctrl+alt+x", "ctrl+alt+cmd+x", "⌃⌥⌘X"}, {"cmd+shift+k", "shift+cmd+k", "⇧⌘K"},
        {"escape", "escape", "Esc"},                 {"ctrl+return", "ctrl+return", "⌃↩"},
        {"shift+delete", "shift+delete", "⇧⌫"},      {"Space", "space", "Space"},
        {"alt+home", "alt+home", "⌥Home"},           {"cmd+left", "cmd+left", "⌘←"},
        {"cmd+/", "cmd+/", "⌘/"},
        // Shown in capitals exactly where key names are lower-cased, beyond ASCII too.
        {"cmd+É", "cmd+é", "⌘É"}, {"ä", "ä", "Ä"}, {"ÿ", "ÿ", "Ÿ"}, {"i", "i", "I"},
        {"ѐ", "ѐ", "Ѐ"},           {"ı", "ı", "ı"}, {"ß", "ß", "ß"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const auto chord = KeyChord::parse(c.written);
        ASSERT_TRUE(chord) << c.written;
        EXPECT_EQ(chord->description(), c.description);
        EXPECT_EQ(chord->display(), c.display);
        EXPECT_EQ(KeyChord::parse(chord->description()), chord) << "round trip of " << c.written;
    }
}

}  // namespace
}  // namespace brontile
