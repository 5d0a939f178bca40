#include "tools/sketch_support.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "base/tolerances.hpp"
#include "base/utf8.hpp"
#include "geometry/unit_formatter.hpp"
#include "interaction/snap_engine.hpp"
#include "sketch/constraint_check.hpp"
#include "sketch/sketch_constraint_solver.hpp"
#include "sketch/sketch_names.hpp"
#include "tools/body_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile::SketchSupport {
namespace {

bool sameReferences(const SketchConstraint& a, const SketchConstraint& b) {
    return a.kind == b.kind && a.refs == b.refs;
}

// One step named `stepName` that edits the sketch; a sketch that is gone changes nothing.
template <class Edit>
void editSketch(ModelingContext& context, const std::string& stepName, const Uuid& sketchID,
                Edit edit) {
    context.mutate(stepName, [&](CADDocument& document) {
        if (const auto index = document.sketchIndex(sketchID)) edit(document.sketches[*index]);
    });
}

// Says why the constraint was refused, with the constraints involved marked while it shows.
void refuse(const ConstraintVerdict& verdict, const Sketch& trial, const SketchConstraint& subject,
            ModelingContext& context) {
    std::vector<SketchConstraintSel> involved;
    for (const SketchConstraintID& id : verdict.involved) involved.push_back({trial.id, id});
    context.showConflict(SketchNames::refusal(verdict, trial, subject, context.document().units),
                         std::move(involved));
}

}  // namespace

std::optional<Sketch> ensureActiveSketch(ModelingContext& context) {
    if (const auto& id = context.activeSketchID()) {
        if (auto existing = context.document().sketch(*id)) return existing;
    }
    const auto created =
        startSketch(context, planeFromSelection(context).value_or(SketchPlane::xy));
    if (!created) return std::nullopt;
    return context.document().sketch(*created);
}

std::optional<Uuid> startSketch(ModelingContext& context, const SketchPlane& plane) {
    std::optional<Uuid> created;
    context.mutate("New Sketch",
                   [&](CADDocument& document) { created = document.addSketch(plane); });
    if (!created) return std::nullopt;
    context.setActiveSketchID(created);
    context.setSelection(Selection::empty);
    return created;
}

std::optional<SketchPlane> planeFromSelection(const ModelingContext& context) {
    const auto selected = BodySupport::selectedFace(context);
    if (!selected) return std::nullopt;
    const Vec3& normal = selected->face.normal;
    // A face whose normal has no length has no plane to draw on.
    if (!(normal.length() > kNormalizeEpsilon) || !normal.isFinite()) return std::nullopt;
    return SketchPlane::fromNormal(selected->mesh.centroid(selected->face), normal);
}

std::optional<SketchPoint> sketchPoint(const PointerEvent& event, ModelingContext& context) {
    // Only a press makes a sketch: a hover, or the rest of a drag, after undoing "New Sketch"
    // must not record a new step and wipe the redo stack.
    std::optional<Sketch> sketch;
    if (event.phase == PointerPhase::down) {
        sketch = ensureActiveSketch(context);
    } else if (const auto& id = context.activeSketchID()) {
        sketch = context.document().sketch(*id);
    }
    if (!sketch) return std::nullopt;
    const auto point = pointOnPlane(event.ray, sketch->plane);
    if (!point) return std::nullopt;
    return SketchPoint{std::move(*sketch), *point};
}

std::optional<Vec2> pointOnPlane(const Ray& ray, const SketchPlane& plane) {
    const auto hit = ray.intersectPlane(plane.origin, plane.normal());
    if (!hit || !hit->point.isFinite()) return std::nullopt;
    return plane.toLocal(hit->point);
}

SnapResult snap(const Vec2& point, const Sketch& sketch, const ModelingContext& context,
                ModifierSet modifiers, std::span<const Vec2> extra, std::optional<Vec2> lockFrom,
                std::optional<Vec2> lastDirection) {
    const CADDocument& document = context.document();
    const SnapQuery query{
        .cursor = point,
        .sketch = sketch,
        .worldUnitsPerPixel = context.worldUnitsPerPixel(),
        .extraPoints = extra,
        .segmentStart = lockFrom,
        .previousDirection = lastDirection,
        .gridStep = ToolValues::step(document.units),
        .disabled = modifiers.contains(ModifierSet::option),
        .bodies = document.bodies,
    };
    if (auto hit = SnapEngine::snap(query)) return {hit->point, hit};
    return {point, std::nullopt};
}

bool addEntities(const std::vector<SketchGeometry>& geometry, const Uuid& sketchID,
                 const std::string& stepName, ModelingContext& context) {
    std::vector<SketchEntity> entities;
    entities.reserve(geometry.size());
    for (const SketchGeometry& g : geometry) {
        entities.push_back({SketchEntityID::generate(), g, false});
    }
    if (commit(entities, {}, sketchID, stepName, context)) return true;
    context.setStatusHint(std::string(kUnsolvedGeometry));
    return false;
}

bool commit(const std::vector<SketchEntity>& entities,
            const std::vector<SketchConstraint>& constraints, const Uuid& sketchID,
            const std::string& stepName, ModelingContext& context) {
    bool solved = true;
    editSketch(context, stepName, sketchID, [&](Sketch& sketch) {
        sketch.entities.insert(sketch.entities.end(), entities.begin(), entities.end());
        std::unordered_set<SketchConstraintID> added;
        for (const SketchConstraint& c : constraints) added.insert(c.id);
        sketch.constraints.insert(sketch.constraints.end(), constraints.begin(), constraints.end());
        if (SketchConstraintSolver::solve(sketch).success) return;
        std::erase_if(sketch.constraints,
                      [&](const SketchConstraint& c) { return added.contains(c.id); });
        static_cast<void>(SketchConstraintSolver::solve(sketch));
        solved = false;
    });
    return solved;
}

std::optional<SketchConstraintID> applyConstraint(const SketchConstraint& constraint,
                                                  const Uuid& sketchID, const std::string& stepName,
                                                  ModelingContext& context) {
    const auto sketch = context.document().sketch(sketchID);
    if (!sketch) return std::nullopt;
    const auto same = std::ranges::find_if(sketch->constraints, [&](const SketchConstraint& c) {
        return sameReferences(c, constraint);
    });
    if (same != sketch->constraints.end()) {
        // The same dimension asked for again is the one to drive.
        if (constraint.isDimension()) return same->id;
        ConstraintVerdict repeat;
        repeat.outcome = ConstraintVerdict::Outcome::redundant;
        repeat.involved = {same->id};
        refuse(repeat, *sketch, constraint, context);
        return std::nullopt;
    }
    Sketch trial = *sketch;
    trial.constraints.push_back(constraint);
    ConstraintVerdict verdict = ConstraintCheck::check(trial, constraint.id, true);
    if (verdict.outcome != ConstraintVerdict::Outcome::accepted) {
        refuse(verdict, trial, constraint, context);
        return std::nullopt;
    }
    editSketch(context, stepName, sketchID,
               [&](Sketch& edited) { edited = std::move(verdict.solved); });
    return constraint.id;
}

DimensionEdit editDimension(const SketchConstraintSel& target, double value,
                            ModelingContext& context) {
    const CADDocument& document = context.document();
    const auto index = document.sketchIndex(target.sketch);
    if (!index) return DimensionEdit::notFound;
    Sketch trial = document.sketches[*index];
    const auto position = std::ranges::find_if(
        trial.constraints, [&](const SketchConstraint& c) { return c.id == target.constraint; });
    // Only a distance or a radius carries a value.
    if (position == trial.constraints.end() || !position->isDimension()) {
        return DimensionEdit::notFound;
    }
    // A length that is not positive cannot be drawn; the sketch must never hold it.
    if (!(value > 0) || !std::isfinite(value)) {
        const std::string typed = std::isnan(value) ? "a value that is not a number"
                                  : std::isfinite(value)
                                      ? UnitFormatter::string(value, document.units)
                                      : "an infinite value";
        context.refuseValue("A dimension must be a length greater than zero; " + typed +
                            " was not applied.");
        return DimensionEdit::refused;
    }
    position->value = value;
    const SketchConstraint edited = *position;
    ConstraintVerdict verdict = ConstraintCheck::check(trial, target.constraint, false);
    if (verdict.outcome != ConstraintVerdict::Outcome::accepted) {
        refuse(verdict, trial, edited, context);
        return DimensionEdit::unsolved;
    }
    context.mutate("Edit Dimension", [&](CADDocument& changed) {
        if (const auto at = changed.sketchIndex(target.sketch)) {
            changed.sketches[*at] = std::move(verdict.solved);
        }
    });
    return DimensionEdit::applied;
}

}  // namespace brontile::SketchSupport
