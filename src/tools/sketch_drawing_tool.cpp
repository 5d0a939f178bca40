#include "tools/sketch_drawing_tool.hpp"

#include "interaction/snap_engine.hpp"
#include "tools/sketch_support.hpp"

namespace brontile {

void SketchDrawingTool::activate(ModelingContext& context) {
    static_cast<void>(SketchSupport::ensureActiveSketch(context));
    reset(context);
}

void SketchDrawingTool::deactivate(ModelingContext& context) { reset(context); }

bool SketchDrawingTool::key(ToolKey key, ModelingContext& context) {
    if (key == ToolKey::remove || !isBusy()) return false;
    reset(context);
    return true;
}

void SketchDrawingTool::pointer(const PointerEvent& event, ModelingContext& context) {
    const auto at = SketchSupport::sketchPoint(event, context);
    if (!at) return;
    // A shape's points belong to its sketch's plane: in another sketch it starts afresh.
    if (hasFirstPoint() && shapeSketch_ != at->sketch.id) clearShape();
    if (!hasFirstPoint()) shapeSketch_ = at->sketch.id;
    beforeSnap(event);
    const SnapArguments arguments = snapArguments();
    const auto snapped =
        SketchSupport::snap(at->point, at->sketch, context, event.modifiers, arguments.extra,
                            arguments.lockFrom, arguments.lastDirection);
    current_ = snapped.point;
    currentHit_ = snapped.hit;
    handle(event, at->sketch, context);
}

void SketchDrawingTool::reset(ModelingContext& context) {
    clearShape();
    current_.reset();
    currentHit_.reset();
    keepStatus_ = false;
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
}

void SketchDrawingTool::updatePreview(const Sketch& sketch, ModelingContext& context) {
    SceneOverlay overlay;
    if (current_) SnapEngine::decorate(*current_, sketch, overlay, currentHit_);
    for (const std::vector<Vec2>& polyline : previewShape()) {
        std::vector<Vec3> world;
        world.reserve(polyline.size());
        for (const Vec2& p : polyline) world.push_back(sketch.plane.toWorld(p));
        overlay.addPolyline(world, RGBA::preview);
    }
    addPreviewExtras(sketch.plane, overlay);
    context.setOverlay(std::move(overlay));
    context.setHud(hudState(context));
    if (!namesSnapInStatus() || std::exchange(keepStatus_, false)) return;
    if (currentHit_ && currentHit_->kind != SnapKind::grid) {
        context.setStatusHint(currentHit_->displayLabel());
    } else {
        context.setStatusHint(hint());
    }
}

std::optional<Sketch> SketchDrawingTool::activeSketch(const ModelingContext& context) const {
    const auto& id = context.activeSketchID();
    if (!id || (hasFirstPoint() && shapeSketch_ != *id)) return std::nullopt;
    return context.document().sketch(*id);
}

std::optional<std::string> SketchDrawingTool::snapLabel() const {
    if (!currentHit_) return std::nullopt;
    return currentHit_->displayLabel();
}

void SketchDrawingTool::commitShape(const std::vector<SketchEntity>& entities,
                                    const std::vector<SketchConstraint>& constraints,
                                    const Sketch& sketch, const std::string& stepName,
                                    ModelingContext& context) {
    if (!SketchSupport::commit(entities, constraints, sketch.id, stepName, context)) {
        context.setStatusHint(std::string(SketchSupport::kUnsolvedGeometry));
        keepStatus_ = true;
    }
}

void SketchDrawingTool::addShape(const std::vector<SketchGeometry>& geometry, const Sketch& sketch,
                                 const std::string& stepName, ModelingContext& context) {
    if (!SketchSupport::addEntities(geometry, sketch.id, stepName, context)) keepStatus_ = true;
}

bool SketchDrawingTool::farEnough(const Vec2& a, const Vec2& b, const ModelingContext& context) {
    return (a - b).length() > 4 * context.worldUnitsPerPixel();
}

std::vector<SketchEntity> lineEntities(std::span<const Vec2> points, bool closed) {
    std::vector<SketchEntity> lines;
    const std::size_t count = closed ? points.size() : points.size() - (points.empty() ? 0 : 1);
    for (std::size_t i = 0; i < count; ++i) {
        lines.push_back({SketchEntityID::generate(),
                         SketchLine{points[i], points[(i + 1) % points.size()]}, false});
    }
    return lines;
}

std::vector<SketchEntityID> entityIDs(std::span<const SketchEntity> entities) {
    std::vector<SketchEntityID> ids;
    ids.reserve(entities.size());
    for (const SketchEntity& entity : entities) ids.push_back(entity.id);
    return ids;
}

}  // namespace brontile
