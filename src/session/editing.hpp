// The session's edits made from the selection and from the inspector: delete, duplicate, the
// construction toggle, body visibility, constraints and dimensions from the selected sketch
// geometry, values typed into the HUD, and the inspector's body, sketch, constraint and unit
// operations. Each change is one undoable step, recorded only when it changes something.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/interaction_state.hpp"
#include "session/status_lines.hpp"

namespace brontile {

class Editing {
public:
    // Both must outlive the editing operations.
    Editing(InteractionState& state, StatusLines& status) : state_(state), status_(status) {}

    // --- From the selection
    void deleteSelection();
    void duplicateSelection();
    void toggleConstruction();
    void selectAllBodies();
    void deselectAll();
    void hideSelectedBodies();
    void isolateSelectedBodies();
    void showAllBodies();

    // --- Constraints (constraint_editing.cpp)
    void applyConstraintKind(SketchConstraintKind kind);
    void applyEqualConstraint();
    // Holds each selected point (or a selected circle's or arc's centre) where it stands.
    void applyFix();
    // Whether a dimension could be made from the selected sketch geometry (then the command is
    // handled, even when the solve refused it).
    bool applyDimensionFromSelection();
    // A length typed for the one selected dimension; refused when it is not a positive finite
    // length, and recorded only when the sketch can be solved with it.
    void commitConstraintDimension(double value);
    // Selects the dimension and opens its value in the HUD for typing; nothing for a constraint
    // that is gone or has no value.
    void editDimension(const SketchConstraintSel& dimension);
    void refreshConstraintStatus();
    struct SelectedEntities {
        Uuid sketch;
        std::vector<SketchEntity> entities;
    };
    [[nodiscard]] std::optional<SelectedEntities> selectedSketchEntities() const;
    // With exactly two points and no curves selected: a coincident or distance between them.
    [[nodiscard]] std::optional<SketchConstraint> betweenSelectedPoints(
        SketchConstraintKind kind) const;
    [[nodiscard]] std::optional<SketchPlane> faceSelectionPlane() const;

    // --- The HUD (constraint_editing.cpp)
    // Hands the value (millimetres for a length) to the active tool, or to the one selected
    // dimension, and ends typing into the HUD; a value refused (said why on the error line)
    // leaves the field open for another try.
    void commitHUD(double value);
    // What the HUD's field submits: the text read as the HUD's quantity and committed. Text that
    // is no such value says so ("“abc” is not a length.") and the field stays open. Returns
    // whether the value was taken.
    bool submitHUDText(std::string_view text);

    // --- The inspector
    void selectBody(const BodyID& id, bool extend);
    void toggleBodyVisibility(const BodyID& id);
    void renameBody(const BodyID& id, const std::string& name);
    // Activating a sketch picks a drawing tool; leaving it puts a sketch tool away.
    void setActiveSketch(std::optional<Uuid> id);
    void toggleSketchVisibility(const Uuid& id);
    void deleteSketch(const Uuid& id);
    void deleteConstraint(const Uuid& sketch, const SketchConstraintID& constraint);
    void setUnits(LengthUnit units);

private:
    // The HUD of a dimension constraint showing `value`.
    void showDimension(const std::string& label, double value);

    InteractionState& state_;
    StatusLines& status_;
};

}  // namespace brontile
