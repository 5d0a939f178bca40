#include "tools/scale_tool.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/body_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

constexpr double kSmallestFactor = 0.05;
constexpr double kFactorPerPoint = 0.01;
// Factors this close to 1 write nothing.
constexpr double kUnchanged = 0.001;

HUDState factorHud(double factor) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f\u00D7", factor);
    return HUDState{"Factor", factor, text, true, std::nullopt, HUDQuantity::factor};
}

}  // namespace

ScaleTool::ScaleTool() : ModelingTool(ToolID::scale) {}

void ScaleTool::activate(ModelingContext& context) {
    original_.reset();
    if (const auto body = BodySupport::firstInvolvedBody(context)) {
        original_ = std::pair{body->id, body->mesh};
        context.setHud(factorHud(1.0));
    }
}

void ScaleTool::deactivate(ModelingContext& context) {
    original_.reset();
    startY_.reset();
    factor_ = 1.0;
    context.setOverlay(SceneOverlay::empty);
}

SolidMesh ScaleTool::scaledBy(double factor) const {
    const SolidMesh& mesh = original_->second;
    return mesh.scaled(BodySupport::centre(mesh), factor);
}

void ScaleTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (!original_) return;
    switch (event.phase) {
        case PointerPhase::down: startY_ = event.location.y; return;
        case PointerPhase::drag: {
            if (!startY_) return;
            factor_ =
                std::max(1 - kFactorPerPoint * (event.location.y - *startY_), kSmallestFactor);
            SceneOverlay overlay;
            overlay.replacements.emplace(original_->first, scaledBy(factor_));
            context.setOverlay(std::move(overlay));
            context.setHud(factorHud(factor_));
            return;
        }
        case PointerPhase::up:
            if (startY_ && std::abs(factor_ - 1) > kUnchanged) apply(factor_, context);
            startY_.reset();
            return;
        case PointerPhase::move: return;
    }
}

void ScaleTool::hudCommit(double value, ModelingContext& context) {
    if (!original_ || !ToolValues::acceptPositive(value, "factor", 0, context)) return;
    apply(std::max(value, kSmallestFactor), context);
}

void ScaleTool::apply(double factor, ModelingContext& context) {
    const SolidMesh result = scaledBy(factor);
    if (!BodySupport::replaceMesh(original_->first, result, "Scale", context)) return;
    original_.reset();
    factor_ = 1.0;
    context.setOverlay(SceneOverlay::empty);
    // Idle until activated again: nothing more to type.
    context.setHud(std::nullopt);
}

}  // namespace brontile
