// Qt keys in the keymap's terms, and chords in the platform's written form.
#include <gtest/gtest.h>

#include "desktop/key_mapping.hpp"

namespace brontile::desktop {
namespace {

std::string keyOf(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                  const QString& text = {}) {
    const auto press = keyPressFrom(key, modifiers, text);
    if (!press) return "(none)";
    return KeyChord{press->key, press->modifiers}.description();
}

TEST(KeyMapping, QtKeysBecomeTheKeymapsKeyPresses) {
    EXPECT_EQ(keyOf(Qt::Key_Return), "return");
    EXPECT_EQ(keyOf(Qt::Key_Enter), "return");
    EXPECT_EQ(keyOf(Qt::Key_Backspace), "delete");
    EXPECT_EQ(keyOf(Qt::Key_Backtab, Qt::ShiftModifier), "shift+tab");
    EXPECT_EQ(keyOf(Qt::Key_Up), "up");
    // Ctrl is the command key; the key code, not the control character, names the letter.
    EXPECT_EQ(keyOf(Qt::Key_K, Qt::ControlModifier, "\x0b"), "cmd+k");
    EXPECT_EQ(keyOf(Qt::Key_E, Qt::AltModifier | Qt::MetaModifier), "ctrl+alt+e");
    // Shift stays on letters and digits and goes from punctuation, whose character it chose.
    EXPECT_EQ(keyOf(Qt::Key_R, Qt::ShiftModifier, "R"), "shift+r");
    EXPECT_EQ(keyOf(Qt::Key_Question, Qt::ShiftModifier, "?"), "?");
    EXPECT_EQ(keyOf(Qt::Key_Adiaeresis, Qt::NoModifier, QString::fromUtf8("ä")), "\xC3\xA4");
    EXPECT_EQ(keyOf(Qt::Key_Shift, Qt::ShiftModifier), "(none)");
    EXPECT_EQ(keyOf(Qt::Key_F5), "(none)");
}

TEST(KeyMapping, KeyStrokesForAKeyPressComeBackAsThatKeyPress) {
    for (const KeyPress& press :
         {KeyPress{"return", {}}, KeyPress{"tab", ModifierSet::shift},
          KeyPress{"k", ModifierSet::command}, KeyPress{"r", ModifierSet::shift},
          KeyPress{"up", {}}, KeyPress{"[", ModifierSet::option}}) {
        const QtKeyStroke stroke = qtKeyStroke(press);
        EXPECT_EQ(keyPressFrom(stroke.key, stroke.modifiers, stroke.text), press) << press.key;
    }
    EXPECT_EQ(qtKeyStroke(KeyPress{"f13", {}}).key, 0);
}

TEST(KeyMapping, MenusShowChordsInThePlatformsForm) {
    const auto shown = [](std::string_view written) {
        const auto shortcut = menuShortcut(*KeyChord::parse(written));
        return shortcut ? shortcut->toString().toStdString() : "(none)";
    };
    EXPECT_EQ(shown("cmd+k"), "Ctrl+K");
    EXPECT_EQ(shown("shift+cmd+s"), "Ctrl+Shift+S");
    EXPECT_EQ(shown("ctrl+alt+x"), "Meta+Alt+X");
    EXPECT_EQ(shown("escape"), "Esc");
    EXPECT_EQ(shown("delete"), "Del");
    EXPECT_EQ(shown("["), "[");
    // Arrows stay with the viewport: no menu shortcut.
    EXPECT_EQ(shown("up"), "(none)");
}

TEST(KeyMapping, HintsNameThisPlatformsKeys) {
    EXPECT_EQ(platformText("\u2318K for every command. Option disables snapping; Optional stays.")
                  .toStdString(),
              "Ctrl+K for every command. Alt disables snapping; Optional stays.");
}

}  // namespace
}  // namespace brontile::desktop
