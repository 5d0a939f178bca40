// The commands' icons: each symbol name of the registry drawn as a clean line glyph of our own,
// crisp at any size, tinted for the button's state (dimmed when disabled, accent when checked).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QIcon>
#include <QString>

#include "commands/command_id.hpp"
#include "commands/command_registry.hpp"
#include "shortcuts/keymap_store.hpp"

class QAbstractButton;

namespace brontile::desktop {

// The icon of a registry symbol; a question mark for a command without one, a neutral glyph for
// a name this program has no drawing of.
[[nodiscard]] QIcon symbolIcon(const std::optional<std::string>& symbol);

// Whether `name` has a drawing of its own (rather than the neutral glyph).
[[nodiscard]] bool hasSymbolDrawing(std::string_view name);

// The icon of a command: its registry symbol, or the question mark.
[[nodiscard]] QIcon commandIcon(const CommandRegistry& registry, const CommandID& command);
// "Title (Shortcut)", or the title alone for a command without a chord.
[[nodiscard]] QString commandToolTip(const CommandRegistry& registry, const KeymapStore& keymap,
                                     const CommandID& command);
// Gives a button the command's icon and tool tip, and its id as object name (so the command a
// button sends can be read back from it).
void presentCommand(QAbstractButton& button, const CommandRegistry& registry,
                    const KeymapStore& keymap, const CommandID& command);

}  // namespace brontile::desktop
