#include "tools/polygon_tool.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "interaction/sketch_auto_constraints.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

constexpr int kFewestSides = 3;
constexpr int kMostSides = 12;
constexpr double kSmallestRadius = 1e-6;

}  // namespace

PolygonTool::PolygonTool() : SketchDrawingTool(ToolID::polygon) {}

void PolygonTool::beforeSnap(const PointerEvent& event) {
    const bool shift = event.modifiers.contains(ModifierSet::shift);
    if (shift) {
        // Each press of Shift steps the count, from 12 round to 3.
        if (!shiftHeld_) sides_ = sides_ >= kMostSides ? kFewestSides : sides_ + 1;
        sides_ = std::clamp(sides_, kFewestSides, kMostSides);
    }
    shiftHeld_ = shift;
}

std::vector<Vec2> PolygonTool::vertices(const Vec2& c, const Vec2& v, int sides) {
    const Vec2 arm = v - c;
    const double radius = std::hypot(arm.x, arm.y);
    const double first = std::atan2(arm.y, arm.x);
    std::vector<Vec2> points;
    points.reserve(static_cast<std::size_t>(std::max(sides, 0)));
    for (int i = 0; i < sides; ++i) {
        const double angle = first + 2 * std::numbers::pi * i / sides;
        points.push_back(c + Vec2{std::cos(angle), std::sin(angle)} * radius);
    }
    return points;
}

void PolygonTool::handle(const PointerEvent& event, const Sketch& sketch,
                         ModelingContext& context) {
    switch (event.phase) {
        case PointerPhase::down:
            if (!center_) {
                center_ = current_;
            } else {
                commit(*center_, *current_, sketch, context);
            }
            // The first point shows its HUD at once, so Tab can take a value without a move.
            if (hasFirstPoint()) updatePreview(activeSketch(context).value_or(sketch), context);
            return;
        case PointerPhase::up:
            if (center_ && farEnough(*center_, *current_, context)) {
                commit(*center_, *current_, sketch, context);
            }
            return;
        case PointerPhase::drag:
        case PointerPhase::move: return updatePreview(sketch, context);
    }
}

void PolygonTool::commit(const Vec2& c, const Vec2& v, const Sketch& sketch,
                         ModelingContext& context) {
    if (!(std::hypot(v.x - c.x, v.y - c.y) > kSmallestRadius)) return;
    const std::vector<SketchEntity> edges = lineEntities(vertices(c, v, sides_), true);
    commitShape(edges, SketchAutoConstraints::forPolygon(entityIDs(edges)), sketch,
                "Sketch Polygon", context);
    reset(context);
}

void PolygonTool::hudCommit(double value, ModelingContext& context) {
    if (!center_) return;
    const auto sketch = activeSketch(context);
    if (!sketch || !ToolValues::acceptPositive(value, "radius", kSmallestRadius, context)) {
        return;
    }
    commit(*center_, *center_ + Vec2{value, 0}, *sketch, context);
}

std::vector<std::vector<Vec2>> PolygonTool::previewShape() const {
    if (!center_ || !current_) return {};
    std::vector<Vec2> outline = vertices(*center_, *current_, sides_);
    if (!outline.empty()) outline.push_back(outline.front());
    return {outline};
}

std::optional<HUDState> PolygonTool::hudState(const ModelingContext&) const {
    if (!center_ || !current_) return std::nullopt;
    return HUDState{std::to_string(sides_) + "-gon",
                    (*current_ - *center_).length(),
                    std::nullopt,
                    true,
                    std::nullopt,
                    HUDQuantity::length};
}

}  // namespace brontile
