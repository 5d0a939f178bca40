#include "desktop/key_mapping.hpp"

#include <array>
#include <string_view>
#include <utility>

#include <QKeyEvent>
#include <QRegularExpression>

namespace brontile::desktop {
namespace {

struct NamedKey {
    std::string_view name;
    Qt::Key key;
    // Whether a menu may carry it as a shortcut.
    bool inMenus;
};

// The first entry of a name is the key its chords are shown and bound with.
constexpr std::array<NamedKey, 13> kNamedKeys{{
    {"return", Qt::Key_Return, true},
    {"return", Qt::Key_Enter, true},
    {"tab", Qt::Key_Tab, true},
    {"tab", Qt::Key_Backtab, true},
    {"space", Qt::Key_Space, true},
    {"delete", Qt::Key_Delete, true},
    {"delete", Qt::Key_Backspace, true},
    {"escape", Qt::Key_Escape, true},
    {"home", Qt::Key_Home, true},
    {"left", Qt::Key_Left, false},
    {"right", Qt::Key_Right, false},
    {"down", Qt::Key_Down, false},
    {"up", Qt::Key_Up, false},
}};

// The Qt key of a chord's key name and whether menus may show it; nothing for a name that is
// neither a named key nor one character.
std::optional<std::pair<int, bool>> qtKey(const std::string& name) {
    for (const NamedKey& named : kNamedKeys) {
        if (named.name == name) return std::pair{static_cast<int>(named.key), named.inMenus};
    }
    const QString text = QString::fromStdString(name);
    const auto characters = text.toUcs4();
    if (characters.size() != 1) return std::nullopt;
    // Qt names character keys by their upper-case code point.
    const char32_t upper = QChar::toUpper(characters.front());
    return std::pair{static_cast<int>(upper), true};
}

QKeySequence sequence(const KeyChord& chord, int key) {
    return QKeySequence(QKeyCombination(qtModifiers(chord.modifiers), static_cast<Qt::Key>(key)));
}

}  // namespace

Qt::KeyboardModifiers qtModifiers(ModifierSet set) {
    Qt::KeyboardModifiers result;
    if (set.contains(ModifierSet::command)) result |= Qt::ControlModifier;
    if (set.contains(ModifierSet::shift)) result |= Qt::ShiftModifier;
    if (set.contains(ModifierSet::option)) result |= Qt::AltModifier;
    if (set.contains(ModifierSet::control)) result |= Qt::MetaModifier;
    return result;
}

QtKeyStroke qtKeyStroke(const KeyPress& press) {
    const std::string name = canonicalKeyName(press.key);
    QtKeyStroke stroke{0, qtModifiers(press.modifiers), {}};
    const auto key = qtKey(name);
    if (!key) return stroke;
    stroke.key = key->first;
    if (name == "space") {
        stroke.text = " ";
    } else if (name == "tab") {
        stroke.text = "\t";
    } else if (name == "return") {
        stroke.text = "\r";
    } else if (name == "escape") {
        stroke.text = "\x1b";
    } else if (name.size() == 1 || QString::fromStdString(name).toUcs4().size() == 1) {
        stroke.text = QString::fromStdString(name);
        if (press.modifiers.contains(ModifierSet::shift)) stroke.text = stroke.text.toUpper();
    }
    return stroke;
}

ModifierSet modifiersFrom(Qt::KeyboardModifiers modifiers) {
    ModifierSet set;
    if (modifiers & Qt::ShiftModifier) set.insert(ModifierSet::shift);
    if (modifiers & Qt::AltModifier) set.insert(ModifierSet::option);
    if (modifiers & Qt::ControlModifier) set.insert(ModifierSet::command);
    if (modifiers & Qt::MetaModifier) set.insert(ModifierSet::control);
    return set;
}

std::optional<KeyPress> keyPressFrom(int key, Qt::KeyboardModifiers modifiers,
                                     const QString& text) {
    ModifierSet set = modifiersFrom(modifiers);
    for (const NamedKey& named : kNamedKeys) {
        if (named.key == key) return KeyPress{std::string(named.name), set};
    }
    // The key code names the character without Ctrl or Alt, which turn the text into control
    // characters; the text serves keys Qt has no code for.
    char32_t character = 0;
    if (key > 0x20 && key < 0x01000000) {
        character = static_cast<char32_t>(key);
    } else if (const auto codes = text.toUcs4();
               !codes.isEmpty() && codes.front() >= 0x20 && codes.front() != 0x7F) {
        character = codes.front();
    }
    if (character == 0) return std::nullopt;
    const char32_t lower = QChar::toLower(character);
    if (!QChar::isLetterOrNumber(lower)) set.remove(ModifierSet::shift);
    return KeyPress{QString::fromUcs4(&lower, 1).toStdString(), set};
}

std::optional<KeyPress> keyPressFrom(const QKeyEvent& event) {
    return keyPressFrom(event.key(), event.modifiers(), event.text());
}

std::optional<QKeySequence> menuShortcut(const KeyChord& chord) {
    const auto key = qtKey(chord.key);
    if (!key || !key->second) return std::nullopt;
    return sequence(chord, key->first);
}

std::optional<QKeySequence> menuShortcut(const KeymapStore& keymap, const CommandID& command) {
    const auto chord = keymap.primaryChord(command);
    return chord ? menuShortcut(*chord) : std::nullopt;
}

QString shortcutText(const KeymapStore& keymap, const CommandID& command) {
    const auto chord = keymap.primaryChord(command);
    if (!chord) return {};
    const auto key = qtKey(chord->key);
    if (!key) return QString::fromStdString(chord->description());
    return sequence(*chord, key->first).toString(QKeySequence::NativeText);
}

QString platformText(const std::string& text) {
    QString result = QString::fromStdString(text);
    result.replace(QString::fromUtf8("\u2318"), "Ctrl+");
    result.replace(QString::fromUtf8("\u2325"), "Alt+");
    result.replace(QString::fromUtf8("\u21E7"), "Shift+");
    result.replace(QString::fromUtf8("\u2303"), "Meta+");
    static const QRegularExpression kOption("\\bOption\\b");
    result.replace(kOption, "Alt");
    return result;
}

}  // namespace brontile::desktop
