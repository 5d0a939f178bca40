// The menu bar: which commands each menu lists, in which order and groups. Every item is a
// command that the session dispatches; titles and shortcuts come from the registry and keymap.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/command_id.hpp"

namespace brontile::desktop {

struct MenuLayout {
    // The menu's title with its Alt mnemonic ("&File").
    std::string title;
    // Commands in order; nothing marks a separator.
    std::vector<std::optional<CommandID>> items;
};

[[nodiscard]] const std::vector<MenuLayout>& menuLayouts();

}  // namespace brontile::desktop
