#include "tools/shell_tool.hpp"

#include <cmath>

#include "tools/body_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile {

ShellTool::ShellTool() : ModelingTool(ToolID::shell) {}

void ShellTool::activate(ModelingContext& context) {
    context.setHud(
        HUDState{"Thickness", 2.0, std::nullopt, true, std::nullopt, HUDQuantity::length});
}

void ShellTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (event.phase != PointerPhase::down) return;
    if (const auto body = BodySupport::bodyUnder(event.ray, context)) {
        BodySupport::selectOnly(*body, context);
    }
}

void ShellTool::hudCommit(double value, ModelingContext& context) {
    if (!ToolValues::acceptTyped(value, "thickness", context)) return;
    const auto body = BodySupport::firstInvolvedBody(context);
    if (!body) {
        context.showError("Select a body to shell.");
        return;
    }
    std::optional<SolidMesh> hollow;
    try {
        hollow = context.kernel().shell(body->mesh, std::abs(value));
    } catch (const std::exception& error) {
        context.showError(BodySupport::refusal(error, body->name));
        return;
    }
    if (!BodySupport::replaceMesh(body->id, *hollow, "Shell", context)) return;
    context.setTool(ToolID::select);
}

}  // namespace brontile
