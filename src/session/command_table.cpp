#include "session/command_table.hpp"

namespace brontile {

const CommandTable& CommandTable::standard() {
    // Built once and never changed afterwards.
    static const CommandTable table = [] {
        CommandTable built;
        addFileCommands(built);
        addEditCommands(built);
        addSketchCommands(built);
        addViewCommands(built);
        addToolCommands(built);
        return built;
    }();
    return table;
}

const CommandTable::Handler* CommandTable::find(const CommandID& id) const {
    const auto it = handlers_.find(id);
    return it == handlers_.end() ? nullptr : &it->second;
}

std::vector<CommandID> CommandTable::ids() const {
    std::vector<CommandID> result;
    result.reserve(handlers_.size());
    for (const auto& [id, handler] : handlers_) result.push_back(id);
    return result;
}

}  // namespace brontile
