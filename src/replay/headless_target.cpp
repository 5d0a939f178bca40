#include "replay/headless_target.hpp"

#include <ostream>

#include "replay/replayer.hpp"

namespace brontile::replay {

void HeadlessTarget::type(const std::string& text) {
    // Tab submits only when it is what opened the field.
    const bool wasEditing = session_.hudEditing();
    session_.dispatch("hud.edit");
    if (!wasEditing && session_.hudEditing()) {
        static_cast<void>(session_.editing().submitHUDText(text));
    }
}

int replayHeadless(std::string_view script, std::ostream& out, std::ostream& err) {
    const ScopedUuidSeed seed(kReplaySeed);
    std::optional<HeadlessTarget> target;
    try {
        target.emplace();
    } catch (const std::exception& error) {
        err << "failed at start: " << error.what() << '\n';
        return kFailed;
    }
    if (const auto& problem = target->session().keymapProblem()) err << *problem << '\n';
    return replay(script, *target, out, err);
}

int replayFile(const std::filesystem::path& script, std::ostream& out, std::ostream& err) {
    const auto text = readScript(script, err);
    return text ? replayHeadless(*text, out, err) : kBadScript;
}

}  // namespace brontile::replay
