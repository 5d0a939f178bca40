// The View menu's commands and the window's panels: the camera's views, the grid, the section
// view, the command palette and the shortcut sheet. None of them is a step in the history.
#include "commands/app_command_id.hpp"
#include "session/command_table.hpp"
#include "session/document_session.hpp"

namespace brontile {
namespace {

void toggleSection(DocumentSession& session) {
    InteractionState& state = session.interaction();
    if (!state.showSection() && state.sectionPlane().isUnplaced()) {
        state.setSectionPlane(SectionPlane::first(session.document().bounds()));
    }
    state.setShowSection(!state.showSection());
    session.status().setMessage(state.showSection() ? "Section view on" : "Section view off");
}

void sectionAlong(DocumentSession& session, SectionChoice choice, const char* message) {
    InteractionState& state = session.interaction();
    state.setSectionPlane(SectionPlane::main(choice).through(session.document().bounds()));
    state.setShowSection(true);
    session.status().setMessage(message);
}

void toggleProjection(DocumentSession& session) {
    ViewportState& viewport = session.viewport();
    const bool toOrthographic = !viewport.camera.isOrthographic();
    viewport.setProjection(toOrthographic ? Projection::orthographic : Projection::perspective);
    session.status().setMessage(toOrthographic ? "Orthographic projection"
                                               : "Perspective projection");
}

}  // namespace

void addViewCommands(CommandTable& table) {
    namespace Cmd = AppCommandID;
    table.add(Cmd::viewFrameAll,
              [](DocumentSession& s) { s.viewport().frame(s.document().bounds()); });
    table.add(Cmd::viewResetCamera, [](DocumentSession& s) { s.viewport().resetCamera(); });
    for (const auto& [command, preset] :
         {std::pair{&Cmd::viewTop, ViewPreset::top}, std::pair{&Cmd::viewFront, ViewPreset::front},
          std::pair{&Cmd::viewRight, ViewPreset::right},
          std::pair{&Cmd::viewIso, ViewPreset::iso}}) {
        table.add(*command, [preset](DocumentSession& s) { s.viewport().applyPreset(preset); });
    }
    table.add(Cmd::viewToggleGrid, [](DocumentSession& s) { s.editor().toggleGrid(); });
    table.add(Cmd::viewSection, toggleSection);
    table.add(Cmd::viewProjection, toggleProjection);
    table.add(Cmd::viewSectionTop, [](DocumentSession& s) {
        sectionAlong(s, SectionChoice::top, "Section along the top plane");
    });
    table.add(Cmd::viewSectionFront, [](DocumentSession& s) {
        sectionAlong(s, SectionChoice::front, "Section along the front plane");
    });
    table.add(Cmd::viewSectionRight, [](DocumentSession& s) {
        sectionAlong(s, SectionChoice::right, "Section along the right plane");
    });
    table.add(Cmd::paletteShow,
              [](DocumentSession& s) { s.platform().showPanel(WindowPanel::commandPalette); });
    table.add(Cmd::helpCheatSheet,
              [](DocumentSession& s) { s.platform().showPanel(WindowPanel::shortcutSheet); });
}

}  // namespace brontile
