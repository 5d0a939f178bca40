// Printing and reading of command identifiers.
#include "commands/command_id.hpp"

#include <ostream>

namespace brontile {

std::ostream& operator<<(std::ostream& out, const CommandID& id) { return out << id.rawValue; }

CommandID JsonCodec<CommandID>::read(const JsonReader& in) {
    return CommandID{in.as<std::string>()};
}

}  // namespace brontile
