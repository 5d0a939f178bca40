// Qt's keys and modifiers in the program's own terms: the key presses the keymap matches, and the
// platform's written form of a chord for menus and panels ("Ctrl+Shift+S").
#pragma once

#include <optional>

#include <QKeySequence>
#include <QString>
#include <Qt>

#include "commands/command_id.hpp"
#include "interaction/input_events.hpp"
#include "shortcuts/key_chord.hpp"
#include "shortcuts/keymap_store.hpp"

class QKeyEvent;

namespace brontile::desktop {

// Ctrl is the command key here, as Qt has it on Linux; Meta is control and Alt is option.
[[nodiscard]] ModifierSet modifiersFrom(Qt::KeyboardModifiers modifiers);

// The key press of a Qt key: named keys by their name, any other key by its character without
// modifiers, lower-cased; Shift is dropped for a character that is neither a letter nor a digit
// (it chose the character). Nothing for a key without a character (a lone modifier, F-keys).
[[nodiscard]] std::optional<KeyPress> keyPressFrom(int key, Qt::KeyboardModifiers modifiers,
                                                   const QString& text);
[[nodiscard]] std::optional<KeyPress> keyPressFrom(const QKeyEvent& event);

// The inverse of keyPressFrom: the Qt key, modifiers and text a keyboard gives for a key press
// (key 0 when Qt has no key of that name).
struct QtKeyStroke {
    int key = 0;
    Qt::KeyboardModifiers modifiers;
    QString text;
};
[[nodiscard]] QtKeyStroke qtKeyStroke(const KeyPress& press);
[[nodiscard]] Qt::KeyboardModifiers qtModifiers(ModifierSet set);

// The menu shortcut of a chord: the named keys escape, return, delete, space, tab and home, and
// any one-character key; arrows and other named keys give none (the viewport still handles them).
[[nodiscard]] std::optional<QKeySequence> menuShortcut(const KeyChord& chord);
// The primary chord's menu shortcut, if the command has one.
[[nodiscard]] std::optional<QKeySequence> menuShortcut(const KeymapStore& keymap,
                                                       const CommandID& command);
// What panels show for a command's shortcut, in the platform's form ("Ctrl+K", "Shift+R", "Esc",
// "Up"); empty when the command has no chord.
[[nodiscard]] QString shortcutText(const KeymapStore& keymap, const CommandID& command);

// A text of the program's with its keys named as this platform's keyboard names them: the
// session's hints say "⌘K" and "Option", which are Ctrl+K and Alt here.
[[nodiscard]] QString platformText(const std::string& text);

}  // namespace brontile::desktop
