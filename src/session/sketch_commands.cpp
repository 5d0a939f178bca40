// The Sketch menu's commands: starting and finishing a sketch, the construction toggle, and
// constraints and dimensions from the selected sketch geometry.
#include "commands/app_command_id.hpp"
#include "session/command_table.hpp"
#include "session/document_session.hpp"
#include "tools/sketch_support.hpp"
#include "tools/tool_descriptor.hpp"

namespace brontile {
namespace {

// Starts a sketch on the plane, or else on the selected face's, or else on the ground, and
// draws into it with the line tool.
void newSketch(DocumentSession& session, std::optional<SketchPlane> plane) {
    InteractionState& state = session.interaction();
    const SketchPlane on =
        plane.value_or(session.editing().faceSelectionPlane().value_or(SketchPlane::xy));
    static_cast<void>(SketchSupport::startSketch(state, on));
    state.setTool(ToolID::line);
    const auto sketch = state.activeSketch();
    session.status().setMessage("Sketching on " + (sketch ? sketch->name : std::string("sketch")) +
                                ". Draw a closed shape, then press E to extrude.");
}

// Leaves sketch mode: sketch geometry is no longer selected and a sketch tool is put away.
void finishSketch(DocumentSession& session) {
    InteractionState& state = session.interaction();
    state.setActiveSketchID(std::nullopt);
    if (state.selection().hasSketchGeometry()) {
        Selection kept = state.selection();
        kept.sketchEntities.clear();
        kept.sketchPoints.clear();
        state.setSelection(std::move(kept));
    }
    if (isSketchTool(state.activeToolID())) state.setTool(ToolID::select);
}

}  // namespace

void addSketchCommands(CommandTable& table) {
    namespace Cmd = AppCommandID;
    using enum SketchConstraintKind;
    table.add(Cmd::editConstruction, [](DocumentSession& s) { s.editing().toggleConstruction(); });
    table.add(Cmd::sketchNew, [](DocumentSession& s) { newSketch(s, std::nullopt); });
    table.add(Cmd::sketchNewFront, [](DocumentSession& s) { newSketch(s, SketchPlane::xz); });
    table.add(Cmd::sketchNewRight, [](DocumentSession& s) { newSketch(s, SketchPlane::yz); });
    table.add(Cmd::sketchFinish, finishSketch);
    for (const auto& [command, kind] : {std::pair{&Cmd::constraintHorizontal, horizontal},
                                        std::pair{&Cmd::constraintVertical, vertical},
                                        std::pair{&Cmd::constraintParallel, parallel},
                                        std::pair{&Cmd::constraintPerpendicular, perpendicular},
                                        std::pair{&Cmd::constraintCoincident, coincident},
                                        std::pair{&Cmd::constraintMidpoint, midpoint},
                                        std::pair{&Cmd::constraintTangent, tangent}}) {
        table.add(*command, [kind](DocumentSession& s) { s.editing().applyConstraintKind(kind); });
    }
    table.add(Cmd::constraintEqual, [](DocumentSession& s) { s.editing().applyEqualConstraint(); });
    table.add(Cmd::constraintFix, [](DocumentSession& s) { s.editing().applyFix(); });
    table.add(Cmd::constraintDimension, [](DocumentSession& s) {
        static_cast<void>(s.editing().applyDimensionFromSelection());
    });
}

}  // namespace brontile
