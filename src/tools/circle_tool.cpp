#include "tools/circle_tool.hpp"

#include <algorithm>

#include "tools/tool_values.hpp"

namespace brontile {
namespace {

constexpr double kDegenerateRadius = 1e-9;
// The preview circle is never drawn smaller than this.
constexpr double kSmallestPreviewRadius = 1e-6;
constexpr RGBA kRadiusColour{0.35f, 0.72f, 1.0f, 0.6f};

}  // namespace

CircleTool::CircleTool() : SketchDrawingTool(ToolID::circle) {}

void CircleTool::handle(const PointerEvent& event, const Sketch& sketch, ModelingContext& context) {
    switch (event.phase) {
        case PointerPhase::down:
            if (!center_) {
                center_ = current_;
            } else if (const double radius = (*current_ - *center_).length();
                       radius > kDegenerateRadius) {
                add(radius, sketch, context);
            }
            // The first point shows its HUD at once, so Tab can take a value without a move.
            if (hasFirstPoint()) updatePreview(activeSketch(context).value_or(sketch), context);
            return;
        case PointerPhase::up:
            if (center_ && farEnough(*center_, *current_, context)) {
                const double radius = (*current_ - *center_).length();
                if (radius > kDegenerateRadius) add(radius, sketch, context);
            }
            return;
        case PointerPhase::drag:
        case PointerPhase::move: return updatePreview(sketch, context);
    }
}

void CircleTool::add(double radius, const Sketch& sketch, ModelingContext& context) {
    addShape({SketchCircle{*center_, radius}}, sketch, "Sketch Circle", context);
    center_.reset();
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
}

void CircleTool::hudCommit(double value, ModelingContext& context) {
    if (!center_) return;
    const auto sketch = activeSketch(context);
    if (!sketch || !ToolValues::acceptPositive(value, "radius", kDegenerateRadius, context)) {
        return;
    }
    add(value, *sketch, context);
}

std::vector<std::vector<Vec2>> CircleTool::previewShape() const {
    if (!center_ || !current_) return {};
    const double radius = std::max((*current_ - *center_).length(), kSmallestPreviewRadius);
    const SketchEntity circle{SketchEntityID{}, SketchCircle{*center_, radius}, false};
    return {circle.polyline()};
}

void CircleTool::addPreviewExtras(const SketchPlane& plane, SceneOverlay& overlay) const {
    if (!center_ || !current_) return;
    overlay.lines.push_back({plane.toWorld(*center_), plane.toWorld(*current_), kRadiusColour,
                             OverlayLineStyle::solid});
}

std::optional<HUDState> CircleTool::hudState(const ModelingContext&) const {
    if (!center_ || !current_) return std::nullopt;
    return HUDState{"Radius",     (*current_ - *center_).length(),
                    std::nullopt, true,
                    snapLabel(),  HUDQuantity::length};
}

}  // namespace brontile
