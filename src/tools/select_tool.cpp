#include "tools/select_tool.hpp"

#include <cmath>
#include <string>

#include "tools/body_support.hpp"
#include "tools/sketch_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

// A drag shorter than this writes nothing.
constexpr double kMinimumPushPull = 1e-6;
// A typed distance closer to zero than this changes nothing.
constexpr double kMinimumTyped = 1e-9;
// The direction of a drag is only read from a distance longer than this.
constexpr double kDirectionDistance = 1e-9;

template <class T>
void toggle(std::unordered_set<T>& set, const T& item) {
    if (!set.erase(item)) set.insert(item);
}

// A face whose normal turned nearly right round went through zero area on the way: the moved
// face passed through another side of the body. (A face that only tilts, such as a roof over a
// pushed wall, turns much less.)
constexpr double kReversedNormal = -0.99;

// Why a push/pull result cannot be kept: some face turned inside out, or the body encloses
// nothing any more.
std::optional<std::string> pushPullProblem(const SolidMesh& before, const SolidMesh& after) {
    const auto& old = before.faces();
    const auto& now = after.faces();
    for (std::size_t i = 0; i < old.size() && i < now.size(); ++i) {
        if (old[i].id != now[i].id) continue;
        if (old[i].normal.dot(now[i].normal) < kReversedNormal) {
            return "Push/Pull would turn the body inside out: the face would pass through "
                   "another side of it.";
        }
    }
    if (!(after.volume() > kVolumeTolerance)) {
        return "Push/Pull would leave the body with no volume.";
    }
    return std::nullopt;
}

// The constraint a reference names; the caller found it in the document.
SketchConstraint constraintAt(const CADDocument& document, const SketchConstraintSel& ref) {
    return *document.sketch(ref.sketch)->constraint(ref.constraint);
}

// The pushed mesh, or why there is none (the kernel's error or a result that cannot be kept).
struct PushPullOutcome {
    std::optional<SolidMesh> mesh;
    std::string problem;
};

PushPullOutcome pushPull(const SolidMesh& original, const FaceID& face, double distance,
                         const GeometryKernel& kernel) {
    try {
        SolidMesh pushed = kernel.pushPull(original, face, distance);
        if (auto problem = pushPullProblem(original, pushed)) return {std::nullopt, *problem};
        return {std::move(pushed), {}};
    } catch (const std::exception& error) {
        return {std::nullopt, error.what()};
    }
}

}  // namespace

SelectTool::SelectTool() : ModelingTool(ToolID::select) {}

void SelectTool::activate(ModelingContext& context) {
    refreshHud(context);
    presentArrow(context);
}

void SelectTool::deactivate(ModelingContext& context) {
    if (auto* sketch = std::get_if<SketchDragGesture>(&drag_)) sketch->cancel(context);
    drag_ = {};
    flipped_ = false;
    hoverArrow_ = false;
}

std::optional<SelectTool::SelectedFace> SelectTool::selectedFace(const ModelingContext& context) {
    const auto selected = BodySupport::selectedFace(context);
    if (!selected) return std::nullopt;
    return SelectedFace{selected->ref, selected->mesh, selected->face,
                        selected->mesh.centroid(selected->face)};
}

std::optional<ArrowGizmo::Part> SelectTool::arrowHit(const Ray& ray,
                                                     const ModelingContext& context) const {
    // Only an arrow that is shown can be hit: after an undo the overlay has none.
    const auto& shown = context.overlay().arrows;
    if (std::ranges::find(shown, arrow_) == shown.end()) return std::nullopt;
    return arrow_.hit(ray, context.worldUnitsPerPixel());
}

bool SelectTool::key(ToolKey key, ModelingContext& context) {
    // Escape abandons a push/pull or a sketch drag under way; the selection stays.
    if (key != ToolKey::escape || !isBusy()) return false;
    if (auto* sketch = std::get_if<SketchDragGesture>(&drag_)) {
        sketch->cancel(context);
        drag_ = {};
        return true;
    }
    drag_ = {};
    context.setOverlay(SceneOverlay::empty);
    refreshHud(context);
    presentArrow(context);
    return true;
}

void SelectTool::pointer(const PointerEvent& event, ModelingContext& context) {
    switch (event.phase) {
        case PointerPhase::down: return press(event, context);
        case PointerPhase::drag: return dragTo(event, context);
        case PointerPhase::up: return release(event, context);
        case PointerPhase::move: return hover(event, context);
    }
}

void SelectTool::press(const PointerEvent& event, ModelingContext& context) {
    context.setHover(std::nullopt);
    // The second press of a double click picks what lies under it, even under the arrow.
    if (const auto selected =
            event.clickCount < 2 ? selectedFace(context) : std::optional<SelectedFace>()) {
        if (const auto part = arrowHit(event.ray, context)) {
            if (*part == ArrowGizmo::Part::reverse) {
                flipped_ = !flipped_;
                refreshHud(context);
                presentArrow(context);
                drag_ = {};
                return;
            }
            const auto t =
                ToolValues::axisParameter(event.ray, selected->centroid, selected->face.normal);
            drag_ = FaceDrag{
                selected->ref, selected->mesh, selected->face, selected->centroid, t.value_or(0), 0,
                false};
            presentArrow(context);
            return;
        }
    }
    const auto hit = context.hitTest(event.ray);
    if (!hit) {
        drag_ = EmptyDrag{event.location, false};
        return;
    }
    pick(event, *hit, context);
}

void SelectTool::pick(const PointerEvent& event, const HitResult& hit, ModelingContext& context) {
    if (const auto* face = std::get_if<FaceRef>(&hit.target)) {
        return pickFace(event, *face, hit.point, context);
    }
    flipped_ = false;
    drag_ = {};
    const bool extend = event.modifiers.contains(ModifierSet::shift);
    pickSketchTarget(hit.target, extend, context);
    if (!extend) holdSketchTarget(event, hit.target, context);
    presentConstraintHud(context);
}

void SelectTool::holdSketchTarget(const PointerEvent& event, const HitTarget& target,
                                  ModelingContext& context) {
    std::optional<Uuid> sketchID;
    std::optional<DragHandle> handle;
    if (const auto* entity = std::get_if<SketchEntityRef>(&target)) {
        sketchID = entity->sketch;
        handle = DragHandle{entity->entity, std::nullopt};
    } else if (const auto* point = std::get_if<SketchPointRef>(&target)) {
        sketchID = point->sketch;
        handle = DragHandle{point->entity, point->role};
    }
    const auto sketch = sketchID ? context.document().sketch(*sketchID) : std::nullopt;
    const auto grab = sketch ? SketchSupport::pointOnPlane(event.ray, sketch->plane) : std::nullopt;
    if (grab) drag_ = SketchDragGesture(*sketchID, *handle, *grab, event.location);
}

bool SelectTool::isBusy() const {
    if (std::holds_alternative<FaceDrag>(drag_)) return true;
    const auto* sketch = std::get_if<SketchDragGesture>(&drag_);
    return sketch != nullptr && sketch->isDragging();
}

void SelectTool::pickFace(const PointerEvent& event, const FaceRef& face, const Vec3& at,
                          ModelingContext& context) {
    const auto body = context.document().body(face.body);
    const auto solidFace = body ? body->mesh.face(face.face) : std::nullopt;
    if (!solidFace) return;
    flipped_ = false;
    if (event.clickCount >= 2) {
        Selection whole;
        whole.bodies.insert(face.body);
        context.setSelection(std::move(whole));
        context.setOverlay(SceneOverlay::empty);
        context.setHud(std::nullopt);
        drag_ = {};
        return;
    }
    Selection selection;
    if (event.modifiers.contains(ModifierSet::shift)) {
        selection = context.selection();
        selection.sketchEntities.clear();
        selection.sketchPoints.clear();
        selection.constraints.clear();
    }
    toggle(selection.faces, face);
    context.setSelection(std::move(selection));
    const auto t = ToolValues::axisParameter(event.ray, at, solidFace->normal);
    drag_ = FaceDrag{face, body->mesh, *solidFace, at, t.value_or(0), 0, false};
    refreshHud(context);
    presentArrow(context);
}

void SelectTool::pickSketchTarget(const HitTarget& target, bool extend, ModelingContext& context) {
    // Sketch geometry and constraints are selected together, never with bodies or faces; Shift on
    // a curve or a point lets the selected constraints go, on a constraint it keeps the geometry.
    Selection selection = extend ? context.selection() : Selection{};
    selection.faces.clear();
    selection.bodies.clear();
    std::optional<Uuid> sketch;
    if (const auto* entity = std::get_if<SketchEntityRef>(&target)) {
        selection.constraints.clear();
        toggle(selection.sketchEntities, *entity);
        sketch = entity->sketch;
    } else if (const auto* point = std::get_if<SketchPointRef>(&target)) {
        selection.constraints.clear();
        toggle(selection.sketchPoints, *point);
        sketch = point->sketch;
    } else if (const auto* constraint = std::get_if<SketchConstraintSel>(&target)) {
        toggle(selection.constraints, *constraint);
        sketch = constraint->sketch;
    }
    if (!sketch) return;
    context.setSelection(std::move(selection));
    context.setActiveSketchID(*sketch);
}

void SelectTool::dragTo(const PointerEvent& event, ModelingContext& context) {
    if (auto* sketch = std::get_if<SketchDragGesture>(&drag_))
        return sketch->follow(event, context);
    if (auto* empty = std::get_if<EmptyDrag>(&drag_)) {
        context.orbit(event.location.x - empty->last.x, event.location.y - empty->last.y);
        empty->last = event.location;
        empty->moved = true;
        return;
    }
    auto* face = std::get_if<FaceDrag>(&drag_);
    if (face == nullptr) return;
    const auto t = ToolValues::axisParameter(event.ray, face->anchor, face->face.normal);
    if (!t) return;
    const double d =
        ToolValues::roundedDrag(*t - face->startLineT, context.document().units, event.modifiers);
    face->distance = d;
    face->moved = true;
    if (std::abs(d) > kDirectionDistance) flipped_ = d < 0;
    const Vec3 normal = face->face.normal;
    const Vec3 centroid = face->original.centroid(face->face);
    arrow_ = OverlayArrow::extrusion(centroid + normal * d, normal, d, flipped_, hoverArrow_, true);
    // The arrow follows the pointer at once; the pushed body keeps its last shape until the new
    // one is worked out.
    SceneOverlay overlay = context.overlay();
    overlay.arrows = {arrow_};
    context.setOverlay(std::move(overlay));
    context.setHud(HUDState{"Push/Pull", d, std::nullopt, true, std::nullopt, HUDQuantity::length});
    context.preview([kernel = &context.kernel(), original = face->original, ref = face->ref, d,
                     arrow = arrow_](Progress&) {
        PushPullOutcome outcome = pushPull(original, ref.face, d, *kernel);
        return [ref, arrow, mesh = std::move(outcome.mesh)](ModelingContext& later) {
            SceneOverlay shown;
            shown.arrows.push_back(arrow);
            // A result that cannot be kept is not shown: the body stays as it is while the
            // pointer is where the push/pull would break it.
            if (mesh) shown.replacements.emplace(ref.body, *mesh);
            later.setOverlay(std::move(shown));
        };
    });
}

void SelectTool::release(const PointerEvent& event, ModelingContext& context) {
    context.dropPreview();
    Drag ended = std::exchange(drag_, {});
    if (auto* sketch = std::get_if<SketchDragGesture>(&ended)) {
        sketch->finish(context);
        if (!sketch->wasRefused()) presentConstraintHud(context);
    } else if (const auto* face = std::get_if<FaceDrag>(&ended)) {
        if (face->moved && std::abs(face->distance) > kMinimumPushPull) {
            applyPushPull(face->ref, face->original, face->distance, context);
        }
        context.setOverlay(SceneOverlay::empty);
        refreshHud(context);
        presentArrow(context);
    } else if (const auto* empty = std::get_if<EmptyDrag>(&ended)) {
        if (!empty->moved && !event.modifiers.contains(ModifierSet::shift)) {
            context.setSelection(Selection::empty);
            context.setHud(std::nullopt);
            context.setOverlay(SceneOverlay::empty);
            flipped_ = false;
        }
    }
}

void SelectTool::hover(const PointerEvent& event, ModelingContext& context) {
    if (std::holds_alternative<EmptyDrag>(drag_)) return;
    std::optional<HitTarget> target;
    if (selectedFace(context) && arrowHit(event.ray, context)) {
        hoverArrow_ = true;
    } else {
        hoverArrow_ = false;
        if (const auto hit = context.hitTest(event.ray)) target = hit->target;
    }
    if (target != context.hover()) context.setHover(std::move(target));
    presentArrow(context);
}

void SelectTool::presentArrow(ModelingContext& context) {
    if (std::holds_alternative<EmptyDrag>(drag_)) return;
    if (const auto selected = selectedFace(context)) {
        arrow_ = OverlayArrow::extrusion(selected->centroid, selected->face.normal, 0, flipped_,
                                         hoverArrow_, true);
        SceneOverlay overlay = context.overlay();
        overlay.arrows = {arrow_};
        context.setOverlay(std::move(overlay));
        refreshHud(context);
        return;
    }
    const SceneOverlay& overlay = context.overlay();
    if (!overlay.arrows.empty() && overlay.replacements.empty()) {
        context.setOverlay(SceneOverlay::empty);
    }
}

void SelectTool::refreshHud(ModelingContext& context) const {
    const Selection& selection = context.selection();
    if (!selection.constraints.empty() || selection.hasSketchGeometry()) {
        presentConstraintHud(context);
        return;
    }
    if (selection.faces.size() == 1) {
        std::optional<std::string> detail;
        if (hoverArrow_) {
            detail = "Flip direction";
        } else if (flipped_) {
            detail = "Reverse";
        }
        context.setHud(
            HUDState{"Push/Pull", 0.0, std::nullopt, true, std::move(detail), HUDQuantity::length});
        return;
    }
    context.setHud(std::nullopt);
}

void SelectTool::presentConstraintHud(ModelingContext& context) {
    const Selection& selection = context.selection();
    const CADDocument& document = context.document();
    if (selection.constraints.size() == 1) {
        const SketchConstraintSel& only = *selection.constraints.begin();
        const auto sketch = document.sketch(only.sketch);
        if (const auto constraint = sketch ? sketch->constraint(only.constraint) : std::nullopt) {
            const std::string name{displayName(constraint->kind)};
            context.setHud(
                HUDState{name, constraint->value, std::nullopt, constraint->isDimension(),
                         std::string(glyph(constraint->kind)),
                         constraint->value ? std::optional(HUDQuantity::length) : std::nullopt});
            context.setStatusHint(name);
            return;
        }
    }
    if (!selection.hasSketchGeometry()) {
        context.setHud(std::nullopt);
        return;
    }
    const std::vector<SketchConstraintSel> involved = constraintsOfSelectedCurves(context);
    if (involved.empty()) {
        context.setStatusHint(
            "Shift-select another curve, then H/V/\u2225/\u27C2/Equal/Coincident or Dimension");
    } else {
        std::string names;
        for (const SketchConstraintSel& ref : involved) {
            if (!names.empty()) names += " \u00B7 ";
            names += displayName(constraintAt(document, ref).kind);
        }
        context.setStatusHint(std::move(names));
    }
    const auto dimension = shownDimension(context);
    if (!dimension) {
        context.setHud(std::nullopt);
        return;
    }
    const SketchConstraint shown = constraintAt(document, *dimension);
    context.setHud(HUDState{std::string(displayName(shown.kind)), shown.value, std::nullopt, true,
                            std::string(glyph(shown.kind)), HUDQuantity::length});
}

std::vector<SketchConstraintSel> SelectTool::constraintsOfSelectedCurves(
    const ModelingContext& context) {
    const Selection& selection = context.selection();
    std::vector<SketchConstraintSel> involved;
    for (const Sketch& sketch : context.document().sketches) {
        const std::unordered_set<SketchEntityID> ids = selection.sketchEntityIDs(sketch.id);
        if (ids.empty()) continue;
        for (const SketchConstraint& c : sketch.constraintsInvolving(ids)) {
            involved.push_back({sketch.id, c.id});
        }
    }
    return involved;
}

std::optional<SketchConstraintSel> SelectTool::shownDimension(const ModelingContext& context) {
    if (!context.selection().hasSketchGeometry()) return std::nullopt;
    for (const SketchConstraintSel& ref : constraintsOfSelectedCurves(context)) {
        const SketchConstraint c = constraintAt(context.document(), ref);
        if (c.isDimension() && c.value) return ref;
    }
    return std::nullopt;
}

void SelectTool::applyPushPull(const FaceRef& ref, const SolidMesh& original, double distance,
                               ModelingContext& context) {
    const auto outcome = pushPull(original, ref.face, distance, context.kernel());
    if (!outcome.mesh) {
        context.showError(outcome.problem);
        return;
    }
    BodySupport::replaceMesh(ref.body, *outcome.mesh, "Push/Pull", context);
}

void SelectTool::hudCommit(double value, ModelingContext& context) {
    const Selection& selection = context.selection();
    // A single constraint, or the dimension the HUD shows for the selected curves.
    std::optional<SketchConstraintSel> dimension;
    if (selection.constraints.size() == 1) {
        dimension = *selection.constraints.begin();
    } else if (selection.constraints.empty()) {
        dimension = shownDimension(context);
    }
    if (dimension) {
        // A refused value says why on the error line.
        static_cast<void>(SketchSupport::editDimension(*dimension, value, context));
        presentConstraintHud(context);
        return;
    }
    // A value typed in the middle of a drag replaces it.
    if (std::holds_alternative<FaceDrag>(drag_)) {
        drag_ = {};
        context.setOverlay(SceneOverlay::empty);
    }
    const auto selected = selectedFace(context);
    if (!selected || !ToolValues::acceptTyped(value, "distance", context)) return;
    if (!(std::abs(value) > kMinimumTyped)) return;
    const double distance = flipped_ && value > 0 ? -value : value;
    applyPushPull(selected->ref, selected->mesh, distance, context);
    flipped_ = false;
    refreshHud(context);
    presentArrow(context);
}

}  // namespace brontile
