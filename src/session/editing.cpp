// The session's editing operations: delete, duplicate, the construction toggle, constraints and
// dimensions from the selected sketch geometry, and the inspector's operations.
#include <cmath>
#include <unordered_set>

#include "base/utf8.hpp"
#include "geometry/unit_formatter.hpp"
#include "session/document_session.hpp"
#include "sketch/sketch_constraint_factory.hpp"
#include "sketch/sketch_constraint_solver.hpp"
#include "tools/sketch_support.hpp"

namespace brontile {
namespace {

// Copies go this many body widths along x, so that they sit beside their source with a gap.
constexpr double kDuplicateSpacing = 1.15;

std::string lowerName(SketchConstraintKind kind) { return lowercasedText(displayName(kind)); }

}  // namespace

void DocumentSession::deleteSelection() {
    if (tools_.active().key(ToolKey::remove, *this)) return;
    const auto bodies = selection_.involvedBodies();
    const auto& entities = selection_.sketchEntities;
    const auto& constraints = selection_.constraints;
    if (bodies.empty() && entities.empty() && constraints.empty()) return;
    mutate(bodies.empty() ? "Delete Sketch Geometry" : "Delete", [&](CADDocument& document) {
        for (Sketch& sketch : document.sketches) {
            std::unordered_set<SketchEntityID> removed;
            for (const SketchEntityRef& ref : entities) {
                if (ref.sketch == sketch.id) removed.insert(ref.entity);
            }
            if (!removed.empty()) {
                std::erase_if(sketch.entities,
                              [&](const SketchEntity& e) { return removed.contains(e.id); });
                sketch.dropConstraintsForDeletedEntities(removed);
            }
            std::erase_if(sketch.constraints, [&](const SketchConstraint& c) {
                return constraints.contains({sketch.id, c.id});
            });
        }
        for (const BodyID& id : bodies) document.removeBody(id);
    });
    setSelection(Selection::empty);
    setHud(std::nullopt);
}

void DocumentSession::duplicateSelection() {
    const auto ids = selection_.involvedBodies();
    if (ids.empty()) return;
    std::vector<BodyID> copies;
    mutate("Duplicate", [&](CADDocument& document) {
        for (const BodyID& id : ids) {
            const auto body = document.body(id);
            if (!body) continue;
            const auto box = body->mesh.bounds();
            const double dx = box ? kDuplicateSpacing * std::max(box->size().x, 1.0) : 11.5;
            copies.push_back(
                document.addBody(body->mesh.translated({dx, 0, 0}), body->name + " copy"));
        }
    });
    // A refused step (its error is on the error line) made no copies to select.
    std::erase_if(copies, [&](const BodyID& id) { return !document_.bodyIndex(id); });
    if (copies.empty()) return;
    Selection selected;
    selected.bodies.insert(copies.begin(), copies.end());
    setSelection(std::move(selected));
}

void DocumentSession::toggleConstruction() {
    if (selection_.sketchEntities.empty()) return;
    mutate("Toggle Construction", [&](CADDocument& document) {
        for (Sketch& sketch : document.sketches) {
            for (SketchEntity& entity : sketch.entities) {
                if (selection_.sketchEntities.contains({sketch.id, entity.id})) {
                    entity.isConstruction = !entity.isConstruction;
                }
            }
        }
    });
}

std::optional<DocumentSession::SelectedEntities> DocumentSession::selectedSketchEntities() const {
    std::optional<Uuid> sketchID = activeSketchID_;
    if (!sketchID && !selection_.sketchEntities.empty()) {
        sketchID = selection_.sketchEntities.begin()->sketch;
    }
    if (!sketchID) return std::nullopt;
    const auto sketch = document_.sketch(*sketchID);
    if (!sketch) return std::nullopt;
    SelectedEntities result{*sketchID, {}};
    for (const SketchEntityRef& ref : selection_.sketchEntities) {
        if (ref.sketch != *sketchID) continue;
        if (auto entity = sketch->entity(ref.entity)) result.entities.push_back(std::move(*entity));
    }
    if (result.entities.empty()) return std::nullopt;
    return result;
}

void DocumentSession::applyConstraintKind(SketchConstraintKind kind) {
    const auto selected = selectedSketchEntities();
    const auto constraint =
        selected ? SketchConstraintFactory::make(kind, selected->entities) : std::nullopt;
    if (!constraint) {
        setStatusMessage("Select sketch geometry that matches " + lowerName(kind));
        return;
    }
    const std::string name{displayName(kind)};
    if (SketchSupport::applyConstraint(*constraint, selected->sketch, name, *this)) {
        setStatusMessage(name + " constraint added");
        refreshConstraintStatus();
    }
}

void DocumentSession::applyEqualConstraint() {
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
        setStatusMessage("Select two lines or two circles for Equal");
        return;
    }
    const std::string name{displayName(constraint->kind)};
    if (SketchSupport::applyConstraint(*constraint, selected->sketch, name, *this)) {
        setStatusMessage(name + " constraint added");
        refreshConstraintStatus();
    }
}

bool DocumentSession::applyDimensionFromSelection() {
    const auto selected = selectedSketchEntities();
    if (!selected) return false;
    const auto constraint = SketchConstraintFactory::makeDimension(selected->entities);
    if (!constraint) return false;
    const auto applied =
        SketchSupport::applyConstraint(*constraint, selected->sketch, "Dimension", *this);
    if (!applied) return true;
    // When the same dimension was already there, that one is the one to drive.
    const auto sketch = document_.sketch(selected->sketch);
    const auto driven = sketch ? sketch->constraint(*applied) : std::nullopt;
    if (!driven) return true;
    Selection driving = selection_;
    driving.constraints = {{selected->sketch, driven->id}};
    setSelection(std::move(driving));
    if (driven->value) {
        showDimension(driven->kind == SketchConstraintKind::radius ? "Radius" : "Distance",
                      *driven->value);
    }
    setStatusMessage("Driving " + lowerName(driven->kind) + " \u2014 Tab to edit");
    return true;
}

void DocumentSession::showDimension(const std::string& label, double value) {
    setHud(HUDState{label, value, std::nullopt, true, "Dimension", HUDQuantity::length});
}

void DocumentSession::commitConstraintDimension(double value) {
    if (selection_.constraints.size() != 1) return;
    const SketchConstraintSel target = *selection_.constraints.begin();
    switch (SketchSupport::editDimension(target, value, *this)) {
        case SketchSupport::DimensionEdit::notFound:
        case SketchSupport::DimensionEdit::refused: return;
        case SketchSupport::DimensionEdit::unsolved:
            setStatusMessage("Constraints could not be solved");
            return;
        case SketchSupport::DimensionEdit::applied: break;
    }
    if (const auto sketch = document_.sketch(target.sketch)) {
        if (const auto constraint = sketch->constraint(target.constraint)) {
            showDimension(std::string(displayName(constraint->kind)), value);
        }
    }
}

void DocumentSession::refreshConstraintStatus() {
    const auto sketch = activeSketch();
    if (!sketch) return;
    std::unordered_set<SketchEntityID> ids;
    for (const SketchEntityRef& ref : selection_.sketchEntities) {
        if (ref.sketch == sketch->id) ids.insert(ref.entity);
    }
    const auto involved = sketch->constraintsInvolving(ids);
    if (!involved.empty()) {
        std::string names;
        for (const SketchConstraint& c : involved) {
            if (!names.empty()) names += " \u00B7 ";
            names += displayName(c.kind);
        }
        setStatusHint(std::move(names));
    }
    if (selection_.constraints.size() == 1) {
        const SketchConstraintSel& only = *selection_.constraints.begin();
        if (only.sketch != sketch->id) return;
        const auto constraint = sketch->constraint(only.constraint);
        if (constraint && constraint->value) {
            showDimension(std::string(displayName(constraint->kind)), *constraint->value);
        }
    }
}

std::optional<SketchPlane> DocumentSession::faceSelectionPlane() const {
    return SketchSupport::planeFromSelection(*this);
}

void DocumentSession::selectBody(const BodyID& id, bool extend) {
    Selection next;
    if (extend) {
        next.bodies = selection_.bodies;
        next.constraints = selection_.constraints;
        if (!next.bodies.erase(id)) next.bodies.insert(id);
    } else {
        next.bodies.insert(id);
    }
    setSelection(std::move(next));
}

void DocumentSession::toggleBodyVisibility(const BodyID& id) {
    mutate("Toggle Visibility", [&](CADDocument& document) {
        for (Body& body : document.bodies) {
            if (body.id == id) body.isVisible = !body.isVisible;
        }
    });
}

void DocumentSession::renameBody(const BodyID& id, const std::string& name) {
    mutate("Rename Body", [&](CADDocument& document) {
        for (Body& body : document.bodies) {
            if (body.id == id) body.name = name;
        }
    });
}

void DocumentSession::setActiveSketch(std::optional<Uuid> id) {
    setActiveSketchID(id);
    if (id && !isSketchTool(activeToolID_)) {
        setTool(ToolID::line);
    } else if (!id && isSketchTool(activeToolID_)) {
        setTool(ToolID::select);
    }
}

void DocumentSession::toggleSketchVisibility(const Uuid& id) {
    mutate("Toggle Sketch", [&](CADDocument& document) {
        for (Sketch& sketch : document.sketches) {
            if (sketch.id == id) sketch.isVisible = !sketch.isVisible;
        }
    });
}

void DocumentSession::deleteSketch(const Uuid& id) {
    mutate("Delete Sketch", [&](CADDocument& document) {
        std::erase_if(document.sketches, [&](const Sketch& s) { return s.id == id; });
    });
    if (activeSketchID_ == id) setActiveSketchID(std::nullopt);
}

void DocumentSession::deleteConstraint(const Uuid& sketch, const SketchConstraintID& constraint) {
    mutate("Delete Constraint", [&](CADDocument& document) {
        for (Sketch& s : document.sketches) {
            if (s.id != sketch) continue;
            std::erase_if(s.constraints,
                          [&](const SketchConstraint& c) { return c.id == constraint; });
        }
    });
    if (selection_.constraints.contains({sketch, constraint})) {
        Selection next = selection_;
        next.constraints.erase({sketch, constraint});
        setSelection(std::move(next));
    }
}

void DocumentSession::setUnits(LengthUnit units) {
    mutate("Change Units", [&](CADDocument& document) { document.units = units; });
}

}  // namespace brontile
