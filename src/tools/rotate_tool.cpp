#include "tools/rotate_tool.hpp"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "tools/body_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

constexpr double kDegreesPerPoint = 0.4;
// Smaller turns write nothing.
constexpr double kSmallestTurn = 0.001;

HUDState angleHud(double degrees) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f\u00B0", degrees);
    return HUDState{"Angle", std::nullopt, text, true, std::nullopt, HUDQuantity::angle};
}

}  // namespace

RotateTool::RotateTool() : ModelingTool(ToolID::rotate) {}

void RotateTool::activate(ModelingContext& context) {
    original_.reset();
    if (const auto body = BodySupport::firstInvolvedBody(context)) {
        original_ = std::pair{body->id, body->mesh};
        context.setHud(
            HUDState{"Angle", std::nullopt, "0\u00B0", true, std::nullopt, HUDQuantity::angle});
    }
}

void RotateTool::deactivate(ModelingContext& context) {
    original_.reset();
    start_.reset();
    angle_ = 0;
    context.setOverlay(SceneOverlay::empty);
}

SolidMesh RotateTool::turned(double degrees) const {
    const SolidMesh& mesh = original_->second;
    return mesh.rotated(Vec3::unitZ, BodySupport::centre(mesh), degrees * std::numbers::pi / 180);
}

void RotateTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (!original_) return;
    switch (event.phase) {
        case PointerPhase::down: start_ = event.location; return;
        case PointerPhase::drag: {
            if (!start_) return;
            angle_ = (event.location.x - start_->x) * kDegreesPerPoint;
            SceneOverlay overlay;
            overlay.replacements.emplace(original_->first, turned(angle_));
            context.setOverlay(std::move(overlay));
            context.setHud(angleHud(angle_));
            return;
        }
        case PointerPhase::up:
            if (start_ && std::abs(angle_) > kSmallestTurn) apply(angle_, context);
            start_.reset();
            return;
        case PointerPhase::move: return;
    }
}

void RotateTool::hudCommit(double value, ModelingContext& context) {
    if (!original_ || !ToolValues::acceptTyped(value, "angle", context)) return;
    apply(value, context);
}

void RotateTool::apply(double degrees, ModelingContext& context) {
    const SolidMesh result = turned(degrees);
    if (!BodySupport::replaceMesh(original_->first, result, "Rotate", context)) return;
    original_.reset();
    angle_ = 0;
    context.setOverlay(SceneOverlay::empty);
    // Idle until activated again: nothing more to type.
    context.setHud(std::nullopt);
}

}  // namespace brontile
