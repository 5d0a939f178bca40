#include "replay/headless_target.hpp"

#include <cstdlib>
#include <ostream>

#include "replay/replayer.hpp"

namespace brontile::replay {

void HeadlessTarget::type(const std::string& text) {
    // Tab opens the field; a field still open from a refused value takes the text again.
    if (!session_.hudEditing()) session_.dispatch("hud.edit");
    if (session_.hudEditing()) static_cast<void>(session_.editing().submitHUDText(text));
}

void useRecoveryStoreIfAsked(DocumentSession& session) {
    const char* root = std::getenv("BRONTILE_RECOVERY_DIR");
    if (root != nullptr && *root != '\0') session.files().recovery().useStore(RecoveryStore(root));
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
    useRecoveryStoreIfAsked(target->session());
    return replay(script, *target, out, err);
}

int replayFile(const std::filesystem::path& script, std::ostream& out, std::ostream& err) {
    const auto text = readScript(script, err);
    return text ? replayHeadless(*text, out, err) : kBadScript;
}

}  // namespace brontile::replay
