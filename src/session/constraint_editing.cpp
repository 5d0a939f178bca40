// Constraints and dimensions made from the selected sketch geometry, and the values typed into
// the HUD, which go to the active tool or drive the one selected dimension.
#include <unordered_set>

#include "base/utf8.hpp"
#include "session/editing.hpp"
#include "sketch/sketch_constraint_factory.hpp"
#include "tools/sketch_support.hpp"

namespace brontile {
namespace {

std::string lowerName(SketchConstraintKind kind) { return lowercasedText(displayName(kind)); }

}  // namespace

// A selected point stands for its entity, so that a line picked by its end takes constraints as
// the line does; each entity comes once, in sketch order.
std::optional<Editing::SelectedEntities> Editing::selectedSketchEntities() const {
    const Selection& selection = state_.selection();
    std::optional<Uuid> sketchID = state_.activeSketchID();
    if (!sketchID) sketchID = selection.anySketchOfGeometry();
    if (!sketchID) return std::nullopt;
    const auto sketch = state_.document().sketch(*sketchID);
    if (!sketch) return std::nullopt;
    const std::unordered_set<SketchEntityID> ids = selection.sketchEntityIDs(*sketchID);
    SelectedEntities result{*sketchID, {}};
    for (const SketchEntity& entity : sketch->entities) {
        if (ids.contains(entity.id)) result.entities.push_back(entity);
    }
    if (result.entities.empty()) return std::nullopt;
    return result;
}

std::optional<SketchPlane> Editing::faceSelectionPlane() const {
    return SketchSupport::planeFromSelection(state_);
}

std::optional<SketchConstraint> Editing::betweenSelectedPoints(SketchConstraintKind kind) const {
    const Selection& selection = state_.selection();
    if (selection.sketchPoints.size() != 2 || !selection.sketchEntities.empty())
        return std::nullopt;
    std::vector<SketchPointRef> points(selection.sketchPoints.begin(),
                                       selection.sketchPoints.end());
    if (points[0].sketch != points[1].sketch) return std::nullopt;
    const auto sketch = state_.document().sketch(points[0].sketch);
    const auto first = sketch ? sketch->entity(points[0].entity) : std::nullopt;
    const auto second = sketch ? sketch->entity(points[1].entity) : std::nullopt;
    if (!first || !second) return std::nullopt;
    return SketchConstraintFactory::makeBetweenPoints(kind, *first, points[0].role, *second,
                                                      points[1].role);
}

void Editing::applyFix() {
    const auto selected = selectedSketchEntities();
    if (!selected) {
        status_.setMessage("Select a sketch point to fix");
        return;
    }
    std::vector<SketchConstraint> fixes;
    // In sketch order, whatever order the selection holds its points in.
    for (const SketchEntity& entity : selected->entities) {
        for (const SketchParamRole role : entity.pointRoles()) {
            if (!state_.selection().sketchPoints.contains({selected->sketch, entity.id, role})) {
                continue;
            }
            if (auto fix = SketchConstraintFactory::makeFix(entity, role)) fixes.push_back(*fix);
        }
    }
    // A circle or arc picked whole is held by its centre.
    if (fixes.empty()) {
        for (const SketchEntity& entity : selected->entities) {
            if (auto fix = SketchConstraintFactory::make(SketchConstraintKind::fix, {&entity, 1})) {
                fixes.push_back(*fix);
            }
        }
    }
    if (fixes.empty()) {
        status_.setMessage("Select a sketch point to fix");
        return;
    }
    bool added = false;
    for (const SketchConstraint& fix : fixes) {
        added = SketchSupport::applyConstraint(fix, selected->sketch, "Fix", state_) || added;
    }
    if (added) {
        status_.setMessage("Fix constraint added");
        refreshConstraintStatus();
    }
}

void Editing::applyConstraintKind(SketchConstraintKind kind) {
    const auto selected = selectedSketchEntities();
    auto constraint = betweenSelectedPoints(kind);
    if (!constraint && selected)
        constraint = SketchConstraintFactory::make(kind, selected->entities);
    if (!constraint) {
        status_.setMessage("Select sketch geometry that matches " + lowerName(kind));
        return;
    }
    const std::string name{displayName(kind)};
    if (SketchSupport::applyConstraint(*constraint, selected->sketch, name, state_)) {
        status_.setMessage(name + " constraint added");
        refreshConstraintStatus();
    }
}

void Editing::applyEqualConstraint() {
    const auto selected = selectedSketchEntities();
    std::optional<SketchConstraint> constraint;
    if (selected) {
        constraint =
            SketchConstraintFactory::make(SketchConstraintKind::equalLength, selected->entities);
        if (!constraint) {
            constraint = SketchConstraintFactory::make(SketchConstraintKind::equalRadius,
                                                       selected->entities);
        }
    }
    if (!constraint) {
        status_.setMessage("Select two lines or two circles for Equal");
        return;
    }
    const std::string name{displayName(constraint->kind)};
    if (SketchSupport::applyConstraint(*constraint, selected->sketch, name, state_)) {
        status_.setMessage(name + " constraint added");
        refreshConstraintStatus();
    }
}

bool Editing::applyDimensionFromSelection() {
    const auto selected = selectedSketchEntities();
    if (!selected) return false;
    auto constraint = betweenSelectedPoints(SketchConstraintKind::distance);
    if (!constraint) constraint = SketchConstraintFactory::makeDimension(selected->entities);
    if (!constraint) return false;
    const auto applied =
        SketchSupport::applyConstraint(*constraint, selected->sketch, "Dimension", state_);
    if (!applied) return true;
    // When the same dimension was already there, that one is the one to drive.
    const auto sketch = state_.document().sketch(selected->sketch);
    const auto driven = sketch ? sketch->constraint(*applied) : std::nullopt;
    if (!driven) return true;
    Selection driving = state_.selection();
    driving.constraints = {{selected->sketch, driven->id}};
    state_.setSelection(std::move(driving));
    if (driven->value) {
        showDimension(driven->kind == SketchConstraintKind::radius ? "Radius" : "Distance",
                      *driven->value);
    }
    status_.setMessage("Driving " + lowerName(driven->kind) + " \u2014 Tab to edit");
    return true;
}

void Editing::showDimension(const std::string& label, double value) {
    state_.setHud(HUDState{label, value, std::nullopt, true, "Dimension", HUDQuantity::length});
}

void Editing::editDimension(const SketchConstraintSel& dimension) {
    const auto sketch = state_.document().sketch(dimension.sketch);
    const auto constraint = sketch ? sketch->constraint(dimension.constraint) : std::nullopt;
    if (!constraint || !constraint->value) return;
    Selection only;
    only.constraints.insert(dimension);
    state_.setSelection(std::move(only));
    showDimension(std::string(displayName(constraint->kind)), *constraint->value);
    state_.setHudEditing(true);
}

void Editing::commitConstraintDimension(double value) {
    if (state_.selection().constraints.size() != 1) return;
    const SketchConstraintSel target = *state_.selection().constraints.begin();
    switch (SketchSupport::editDimension(target, value, state_)) {
        case SketchSupport::DimensionEdit::notFound:
        case SketchSupport::DimensionEdit::refused:
        case SketchSupport::DimensionEdit::unsolved: return;
        case SketchSupport::DimensionEdit::applied: break;
    }
    if (const auto sketch = state_.document().sketch(target.sketch)) {
        if (const auto constraint = sketch->constraint(target.constraint)) {
            showDimension(std::string(displayName(constraint->kind)), value);
        }
    }
}

void Editing::refreshConstraintStatus() {
    const auto sketch = state_.activeSketch();
    if (!sketch) return;
    const Selection& selection = state_.selection();
    const auto involved = sketch->constraintsInvolving(selection.sketchEntityIDs(sketch->id));
    if (!involved.empty()) {
        std::string names;
        for (const SketchConstraint& c : involved) {
            if (!names.empty()) names += " \u00B7 ";
            names += displayName(c.kind);
        }
        state_.setStatusHint(std::move(names));
    }
    if (selection.constraints.size() != 1) return;
    const SketchConstraintSel& only = *selection.constraints.begin();
    if (only.sketch != sketch->id) return;
    const auto constraint = sketch->constraint(only.constraint);
    if (constraint && constraint->value) {
        showDimension(std::string(displayName(constraint->kind)), *constraint->value);
    }
}

// --- The HUD

namespace {

// "“abc” is not a length.": what the typed text was taken for.
std::string notAValue(const HUDState& hud, std::string_view text) {
    const char* what = "a number";
    switch (hud.quantity.value_or(HUDQuantity::length)) {
        case HUDQuantity::length: what = "a length"; break;
        case HUDQuantity::angle: what = "an angle"; break;
        case HUDQuantity::factor: what = "a factor"; break;
        case HUDQuantity::count: what = "a count"; break;
    }
    return "\u201C" + std::string(text) + "\u201D is not " + what + ".";
}

}  // namespace

void Editing::commitHUD(double value) {
    static_cast<void>(state_.takeValueRefused());
    if (state_.selection().constraints.empty()) {
        state_.activeTool().hudCommit(value, state_);
    } else {
        commitConstraintDimension(value);
    }
    // A value refused says why on the error line, and the field stays open for another try.
    if (!state_.takeValueRefused()) state_.setHudEditing(false);
}

bool Editing::submitHUDText(std::string_view text) {
    const auto& hud = state_.hud();
    if (!hud) {
        state_.setHudEditing(false);
        return false;
    }
    const auto value = parseHudValue(*hud, text, state_.document().units);
    if (!value) {
        // Said why; the field stays open with the text for another try.
        status_.showError(notAValue(*hud, text));
        return false;
    }
    commitHUD(*value);
    return !state_.hudEditing();
}

}  // namespace brontile
