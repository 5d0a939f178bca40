#include "session/editing.hpp"

#include <algorithm>
#include <unordered_set>

#include "tools/tool_descriptor.hpp"

namespace brontile {
namespace {

// Copies go this many body widths along x, so that they sit beside their source with a gap.
constexpr double kDuplicateSpacing = 1.15;

}  // namespace

void Editing::deleteSelection() {
    if (state_.activeTool().key(ToolKey::remove, state_)) return;
    const Selection& selection = state_.selection();
    const auto bodies = selection.involvedBodies();
    // Only curves picked as curves go: a selected point is no reason to delete its curve, and
    // with nothing else selected Delete does nothing.
    const auto entities = selection.sketchEntities;
    const auto constraints = selection.constraints;
    if (bodies.empty() && entities.empty() && constraints.empty()) return;
    state_.mutate(bodies.empty() ? "Delete Sketch Geometry" : "Delete", [&](CADDocument& document) {
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
    state_.setSelection(Selection::empty);
    state_.setHud(std::nullopt);
}

void Editing::duplicateSelection() {
    const auto ids = state_.selection().involvedBodies();
    if (ids.empty()) return;
    std::vector<BodyID> copies;
    state_.mutate("Duplicate", [&](CADDocument& document) {
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
    std::erase_if(copies, [&](const BodyID& id) { return !state_.document().bodyIndex(id); });
    if (copies.empty()) return;
    Selection selected;
    selected.bodies.insert(copies.begin(), copies.end());
    state_.setSelection(std::move(selected));
}

// A selected point stands for its curve, as it does for constraints.
void Editing::toggleConstruction() {
    const Selection selected = state_.selection();
    if (!selected.hasSketchGeometry()) return;
    state_.mutate("Toggle Construction", [&](CADDocument& document) {
        for (Sketch& sketch : document.sketches) {
            const auto ids = selected.sketchEntityIDs(sketch.id);
            for (SketchEntity& entity : sketch.entities) {
                if (ids.contains(entity.id)) entity.isConstruction = !entity.isConstruction;
            }
        }
    });
}

void Editing::selectAllBodies() {
    Selection all;
    for (const Body& body : state_.document().bodies) {
        if (body.isVisible) all.bodies.insert(body.id);
    }
    state_.setSelection(std::move(all));
}

void Editing::deselectAll() {
    state_.setSelection(Selection::empty);
    state_.setHud(std::nullopt);
}

void Editing::hideSelectedBodies() {
    const auto bodies = state_.selection().involvedBodies();
    if (bodies.empty()) return;
    state_.mutate("Hide Bodies", [&](CADDocument& document) {
        for (Body& body : document.bodies) {
            if (bodies.contains(body.id)) body.isVisible = false;
        }
    });
    state_.setSelection(Selection::empty);
}

void Editing::isolateSelectedBodies() {
    const auto bodies = state_.selection().involvedBodies();
    if (bodies.empty()) return;
    state_.mutate("Isolate", [&](CADDocument& document) {
        for (Body& body : document.bodies) body.isVisible = bodies.contains(body.id);
    });
}

void Editing::showAllBodies() {
    state_.mutate("Show All Bodies", [](CADDocument& document) {
        for (Body& body : document.bodies) body.isVisible = true;
    });
}

// --- The inspector

void Editing::selectBody(const BodyID& id, bool extend) {
    // A tool waiting for a body (a boolean's) takes the row as its pick.
    if (state_.activeTool().pickBody(id, state_)) return;
    Selection next;
    if (extend) {
        next.bodies = state_.selection().bodies;
        next.constraints = state_.selection().constraints;
        if (!next.bodies.erase(id)) next.bodies.insert(id);
    } else {
        next.bodies.insert(id);
    }
    state_.setSelection(std::move(next));
}

void Editing::toggleBodyVisibility(const BodyID& id) {
    state_.mutate("Toggle Visibility", [&](CADDocument& document) {
        for (Body& body : document.bodies) {
            if (body.id == id) body.isVisible = !body.isVisible;
        }
    });
}

void Editing::renameBody(const BodyID& id, const std::string& name) {
    state_.mutate("Rename Body", [&](CADDocument& document) {
        for (Body& body : document.bodies) {
            if (body.id == id) body.name = name;
        }
    });
}

void Editing::setActiveSketch(std::optional<Uuid> id) {
    state_.setActiveSketchID(id);
    const bool drawing = isSketchTool(state_.activeToolID());
    if (id && !drawing) {
        state_.setTool(ToolID::line);
    } else if (!id && drawing) {
        state_.setTool(ToolID::select);
    }
}

void Editing::toggleSketchVisibility(const Uuid& id) {
    state_.mutate("Toggle Sketch", [&](CADDocument& document) {
        for (Sketch& sketch : document.sketches) {
            if (sketch.id == id) sketch.isVisible = !sketch.isVisible;
        }
    });
}

void Editing::deleteSketch(const Uuid& id) {
    state_.mutate("Delete Sketch", [&](CADDocument& document) {
        std::erase_if(document.sketches, [&](const Sketch& s) { return s.id == id; });
    });
    if (state_.activeSketchID() == id) state_.setActiveSketchID(std::nullopt);
}

void Editing::deleteConstraint(const Uuid& sketch, const SketchConstraintID& constraint) {
    state_.mutate("Delete Constraint", [&](CADDocument& document) {
        for (Sketch& s : document.sketches) {
            if (s.id != sketch) continue;
            std::erase_if(s.constraints,
                          [&](const SketchConstraint& c) { return c.id == constraint; });
        }
    });
    if (state_.selection().constraints.contains({sketch, constraint})) {
        Selection next = state_.selection();
        next.constraints.erase({sketch, constraint});
        state_.setSelection(std::move(next));
    }
}

void Editing::setUnits(LengthUnit units) {
    state_.mutate("Change Units", [&](CADDocument& document) { document.units = units; });
}

}  // namespace brontile
