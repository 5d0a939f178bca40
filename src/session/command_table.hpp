// What each command does: one handler per command identifier, built once. The rows are grouped
// by concern, each group in the file that carries out its commands.
#pragma once

#include <functional>
#include <unordered_map>
#include <vector>

#include "commands/command_id.hpp"

namespace brontile {

class DocumentSession;

class CommandTable {
public:
    using Handler = std::function<void(DocumentSession&)>;

    // The program's table: every group's rows.
    [[nodiscard]] static const CommandTable& standard();

    // A later row for the same command replaces the earlier one.
    void add(const CommandID& id, Handler handler) { handlers_[id] = std::move(handler); }
    // Nothing for a command without a row.
    [[nodiscard]] const Handler* find(const CommandID& id) const;
    [[nodiscard]] std::vector<CommandID> ids() const;

private:
    std::unordered_map<CommandID, Handler> handlers_;
};

// The groups of rows (file_commands.cpp, edit_commands.cpp, sketch_commands.cpp,
// view_commands.cpp, tool_commands.cpp).
void addFileCommands(CommandTable& table);
void addEditCommands(CommandTable& table);
void addSketchCommands(CommandTable& table);
void addViewCommands(CommandTable& table);
void addToolCommands(CommandTable& table);

}  // namespace brontile
