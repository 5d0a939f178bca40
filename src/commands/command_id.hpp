// The stable dotted name of a user action ("tool.extrude", "file.save"). Menus, the palette,
// shortcuts and buttons all reach the session with one of these; any text is a valid id.
#pragma once

#include <compare>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <utility>

#include "base/json_codec.hpp"

namespace brontile {

struct CommandID {
    std::string rawValue;

    CommandID() = default;
    explicit CommandID(std::string raw) : rawValue(std::move(raw)) {}
    // Implicit so that literals can stand where an id is expected; a null pointer gives "".
    CommandID(const char* raw) : rawValue(raw != nullptr ? raw : "") {}

    // The raw text, unchanged.
    [[nodiscard]] const std::string& description() const { return rawValue; }

    // Exact, case-sensitive comparison of the raw text.
    friend bool operator==(const CommandID&, const CommandID&) = default;
    friend auto operator<=>(const CommandID&, const CommandID&) = default;
};

std::ostream& operator<<(std::ostream& out, const CommandID& id);

// Stored as a bare string equal to the raw text, never as an object: that is how keymap files
// name commands.
template <>
struct JsonCodec<CommandID> {
    static void write(JsonWriter& out, const CommandID& id) { out.value(id.rawValue); }
    static CommandID read(const JsonReader& in);
};

}  // namespace brontile

template <>
struct std::hash<brontile::CommandID> {
    std::size_t operator()(const brontile::CommandID& id) const noexcept {
        return std::hash<std::string>{}(id.rawValue);
    }
};
