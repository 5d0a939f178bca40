#include "session/document_session.hpp"

#include "session/command_table.hpp"
#include "tools/tool_descriptor.hpp"

namespace brontile {
namespace {

KeymapStore::Loaded keymapOrDefault(std::optional<KeymapStore> keymap) {
    if (keymap) return {std::move(*keymap), std::nullopt};
    return KeymapStore::loadDefaultReporting();
}

}  // namespace

DocumentSession::DocumentSession(SessionPlatform& platform, std::optional<KeymapStore> keymap)
    : DocumentSession(platform, keymapOrDefault(std::move(keymap))) {}

DocumentSession::DocumentSession(SessionPlatform& platform, KeymapStore::Loaded keymap)
    : platform_(platform),
      editor_(notifier_, platform),
      viewport_(OrbitCamera(editor_.document().camera)),
      registry_(toolCommandEntries()),
      keymap_(std::move(keymap.store)),
      keymapProblem_(std::move(keymap.problem)),
      runner_(platform, status_, notifier_),
      interaction_(editor_, status_, viewport_, kernel_, platform, notifier_, runner_),
      editing_(interaction_, status_),
      files_(platform, editor_, interaction_, status_, viewport_, notifier_),
      input_(viewport_, interaction_, keymap_, platform,
             [this](const CommandID& id) { dispatch(id); }),
      sceneFeed_(viewport_, editor_, interaction_, notifier_) {
    // What no longer exists in a changed document is let go before the window hears of it.
    notifier_.observe([this](SessionProperty property) {
        if (property == SessionProperty::document) interaction_.followDocument();
    });
    status_.setMessage(std::string(kWelcomeHint));
    if (keymapProblem_) status_.showError(*keymapProblem_);
}

DocumentSession::~DocumentSession() = default;

void DocumentSession::dispatch(const CommandID& id) {
    status_.setMessage(std::nullopt);
    if (const CommandTable::Handler* handler = CommandTable::standard().find(id)) {
        (*handler)(*this);
    } else {
        status_.setMessage("Unhandled command " + id.rawValue);
    }
}

}  // namespace brontile
