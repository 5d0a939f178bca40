#include "tools/rectangle_tool.hpp"

#include <cmath>

#include "interaction/sketch_auto_constraints.hpp"

namespace brontile {
namespace {

constexpr double kDegenerateLength = 1e-9;

// The corners from a, along x first, counter-clockwise when b lies up and to the right.
std::vector<Vec2> corners(const Vec2& a, const Vec2& b) { return {a, {b.x, a.y}, b, {a.x, b.y}}; }

}  // namespace

RectangleTool::RectangleTool() : SketchDrawingTool(ToolID::rectangle) {}

void RectangleTool::handle(const PointerEvent& event, const Sketch& sketch,
                           ModelingContext& context) {
    switch (event.phase) {
        case PointerPhase::down:
            if (!corner_) {
                corner_ = current_;
            } else {
                commit(*corner_, *current_, sketch, context);
            }
            // The first point shows its HUD at once, so Tab can take a value without a move.
            if (hasFirstPoint()) updatePreview(activeSketch(context).value_or(sketch), context);
            return;
        case PointerPhase::up:
            // Pressing, dragging and releasing draws one; a plain click keeps the first corner.
            if (corner_ && farEnough(*corner_, *current_, context)) {
                commit(*corner_, *current_, sketch, context);
            }
            return;
        case PointerPhase::drag:
        case PointerPhase::move: return updatePreview(sketch, context);
    }
}

void RectangleTool::commit(const Vec2& a, const Vec2& b, const Sketch& sketch,
                           ModelingContext& context) {
    if (!(std::abs(a.x - b.x) > kDegenerateLength && std::abs(a.y - b.y) > kDegenerateLength)) {
        return;
    }
    const std::vector<SketchEntity> edges = lineEntities(corners(a, b), true);
    commitShape(edges, SketchAutoConstraints::forRectangle(entityIDs(edges)), sketch,
                "Sketch Rectangle", context);
    corner_.reset();
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
}

std::vector<std::vector<Vec2>> RectangleTool::previewShape() const {
    if (!corner_ || !current_) return {};
    std::vector<Vec2> outline = corners(*corner_, *current_);
    outline.push_back(*corner_);
    return {outline};
}

std::optional<HUDState> RectangleTool::hudState(const ModelingContext& context) const {
    if (!corner_ || !current_) return std::nullopt;
    const Vec2 size = *current_ - *corner_;
    return HUDState{
        "Size",
        std::nullopt,
        context.formatted(std::abs(size.x)) + " \u00D7 " + context.formatted(std::abs(size.y)),
        false,
        snapLabel(),
        std::nullopt};
}

}  // namespace brontile
