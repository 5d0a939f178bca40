// The tools' commands: every tool of the list is chosen by its own command and remembered for
// Repeat Last Tool, except Select, which is not, and Measure, which first makes a dimension of
// selected sketch geometry when it can. Escape, Return, the body-mode key and the HUD's field go
// to the tools too.
#include "commands/app_command_id.hpp"
#include "session/command_table.hpp"
#include "session/document_session.hpp"
#include "tools/tool_descriptor.hpp"

namespace brontile {
namespace {

void editHud(DocumentSession& session) {
    const auto& hud = session.hud();
    if (hud && hud->editable) session.interaction().setHudEditing(true);
}

void measure(DocumentSession& session) {
    if (session.editing().applyDimensionFromSelection()) return;
    session.interaction().chooseTool(AppCommandID::toolMeasure, ToolID::measure, true);
}

}  // namespace

void addToolCommands(CommandTable& table) {
    namespace Cmd = AppCommandID;
    for (const ToolDescriptor& tool : toolDescriptors()) {
        table.add(tool.command, [&tool](DocumentSession& s) {
            s.interaction().chooseTool(tool.command, tool.id, true);
        });
    }
    table.add(Cmd::toolSelect, [](DocumentSession& s) {
        s.interaction().chooseTool(Cmd::toolSelect, ToolID::select, false);
    });
    table.add(Cmd::toolMeasure, measure);
    table.add(Cmd::toolCancel, [](DocumentSession& s) { s.interaction().cancelTool(); });
    table.add(Cmd::toolConfirm, [](DocumentSession& s) { s.interaction().confirmTool(); });
    table.add(Cmd::toolBodyMode, [](DocumentSession& s) {
        InteractionState& state = s.interaction();
        static_cast<void>(state.activeTool().key(ToolKey::nextMode, state));
    });
    table.add(Cmd::hudEdit, editHud);
}

}  // namespace brontile
