// What the user sees of each command: its title, the group it is listed under and its icon, in a
// fixed presentation order. Feeds the palette (with its search), the shortcut sheet and every
// menu item or button that shows a command.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/hashing.hpp"
#include "commands/app_command_id.hpp"
#include "commands/command_id.hpp"

namespace brontile {

class CommandRegistry {
public:
    struct Entry {
        CommandID id;
        std::string title;
        // One of "File", "Edit", "Sketch", "Tools", "Solid", "Transform", "Inspect", "Body",
        // "View", "Constraints", "Help" for the built-in commands.
        std::string category;
        // Name of the icon image; absent when the command has none.
        std::optional<std::string> symbol;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // The built-in commands in their presentation order, with the tools' own commands: each tool
    // entry takes the place the order keeps for it, and one the order does not know goes last.
    explicit CommandRegistry(std::span<const Entry> toolEntries = {});

    // Stores the entry under its id. A new id goes to the end of the order; a known id keeps its
    // first position and gets the new title, category and symbol.
    void registerEntry(Entry entry);

    // Nothing for an id that was never registered.
    [[nodiscard]] std::optional<Entry> entry(const CommandID& id) const;
    // The entry's title, or the id's raw text when the id is unknown.
    [[nodiscard]] std::string title(const CommandID& id) const;
    // Every entry in registration order.
    [[nodiscard]] std::vector<Entry> allEntries() const;
    // The entries whose category equals `category` exactly (case-sensitive), order kept.
    [[nodiscard]] std::vector<Entry> entries(std::string_view category) const;
    // Distinct categories in the order they first occur in allEntries().
    [[nodiscard]] std::vector<std::string> categories() const;

    // Palette search. The query is trimmed of white space and line breaks at both ends; an empty
    // result gives every entry. Otherwise an entry matches when its title, its id's raw text or
    // its category contains the query as one contiguous piece, ignoring letter case (ASCII letters
    // only). Results keep registration order; there is no ranking and no fuzzy matching.
    [[nodiscard]] std::vector<Entry> search(std::string_view query) const;

private:
    std::unordered_map<CommandID, Entry> entries_;
    // Each id once, in registration order; exactly the keys of entries_.
    std::vector<CommandID> order_;
};

}  // namespace brontile

template <>
struct std::hash<brontile::CommandRegistry::Entry> {
    std::size_t operator()(const brontile::CommandRegistry::Entry& e) const noexcept {
        return brontile::hashFields(e.id, e.title, e.category, e.symbol);
    }
};
