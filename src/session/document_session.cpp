#include "session/document_session.hpp"

#include <unordered_set>

#include "commands/app_command_id.hpp"
#include "session/command_table.hpp"
#include "tools/tool_descriptor.hpp"

namespace brontile {
namespace {

KeymapStore::Loaded keymapOrDefault(std::optional<KeymapStore> keymap) {
    if (keymap) return {std::move(*keymap), std::nullopt};
    return KeymapStore::loadDefaultReporting();
}

// What stays live while a long operation runs: nothing here changes the document.
bool runsWhileBusy(const CommandID& id) {
    namespace App = AppCommandID;
    static const std::unordered_set<CommandID> live{
        App::viewFrameAll,   App::viewResetCamera,  App::viewTop,          App::viewFront,
        App::viewRight,      App::viewIso,          App::viewSection,      App::viewProjection,
        App::viewSectionTop, App::viewSectionFront, App::viewSectionRight, App::editSelectAll,
        App::editDeselect,   App::paletteShow,      App::helpCheatSheet};
    return live.contains(id);
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
      previews_(platform),
      interaction_(editor_, status_, viewport_, kernel_, platform, notifier_, runner_, previews_),
      editing_(interaction_, status_),
      files_(platform, editor_, interaction_, status_, viewport_, notifier_, runner_),
      imports_(platform, interaction_, status_, viewport_, runner_),
      input_(
          viewport_, interaction_, keymap_, platform, [this](const CommandID& id) { dispatch(id); },
          [this](const SketchConstraintSel& dimension) { editing_.editDimension(dimension); }),
      sceneFeed_(viewport_, editor_, interaction_, status_, freedoms_, notifier_) {
    // What no longer exists in a changed document is let go before the window hears of it.
    notifier_.observe([this](SessionProperty property) {
        if (property == SessionProperty::document) {
            interaction_.followDocument();
            freedoms_.retainOnly(editor_.document().sketches);
        }
    });
    status_.setMessage(std::string(kWelcomeHint));
    if (keymapProblem_) status_.showError(*keymapProblem_);
}

DocumentSession::~DocumentSession() = default;

std::optional<SketchFreedom> DocumentSession::activeFreedom() const {
    const auto sketch = interaction_.activeSketch();
    if (!sketch) return std::nullopt;
    return freedoms_.of(*sketch);
}

bool DocumentSession::isAvailable(const CommandID& id) const {
    return !runner_.isBusy() || runsWhileBusy(id) || id == AppCommandID::toolCancel;
}

void DocumentSession::dispatch(const CommandID& id) {
    if (runner_.isBusy() && !runsWhileBusy(id)) {
        // Escape stops the operation rather than the tool under it.
        if (id == AppCommandID::toolCancel) return runner_.cancel();
        status_.setMessage(interaction_.busyMessage());
        return;
    }
    status_.setMessage(std::nullopt);
    if (const CommandTable::Handler* handler = CommandTable::standard().find(id)) {
        (*handler)(*this);
    } else {
        status_.setMessage("Unhandled command " + id.rawValue);
    }
}

}  // namespace brontile
