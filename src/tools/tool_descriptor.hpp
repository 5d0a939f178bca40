// What the program knows of each tool, in one place: its identity, the command that activates
// it, what the person reads of it (title, hint, icon, group), what it works on, and how to make
// it. The controller, the session's tool commands and the command registry all read this list.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "commands/command_id.hpp"
#include "commands/command_registry.hpp"
#include "tools/tool_id.hpp"

namespace brontile {

class ModelingTool;

// What a tool works on: the active sketch, the bodies, or neither (it selects or measures).
enum class ToolKind { sketch, body, view };

struct ToolDescriptor {
    ToolID id;
    // Activates the tool.
    CommandID command;
    // The tool's name, shown while it is active.
    std::string_view title;
    // The status line's instruction while the tool is active.
    std::string_view hint;
    // The group its command is listed under in the palette and the shortcut sheet.
    std::string_view category;
    // The command's icon; empty for none.
    std::string_view symbol;
    ToolKind kind;
    std::unique_ptr<ModelingTool> (*make)();
    // The command's title where it says more than the tool's name ("Fillet / Chamfer").
    std::string_view commandTitle = {};

    [[nodiscard]] CommandRegistry::Entry commandEntry() const;
};

// Every tool, in registration order (the select tool first).
[[nodiscard]] std::span<const ToolDescriptor> toolDescriptors();
// The descriptor of a tool, or of the tool a command activates; nothing when there is none.
[[nodiscard]] const ToolDescriptor* findToolDescriptor(const ToolID& id);
[[nodiscard]] const ToolDescriptor* findToolDescriptor(const CommandID& command);
// The descriptor of a tool of the list; an unknown id is a programming error.
[[nodiscard]] const ToolDescriptor& toolDescriptor(const ToolID& id);
// The registry entries of the tools' commands.
[[nodiscard]] std::vector<CommandRegistry::Entry> toolCommandEntries();

// The tools that draw into or edit the active sketch.
[[nodiscard]] bool isSketchTool(const ToolID& id);

}  // namespace brontile
