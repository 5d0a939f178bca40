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
    // The kernel is the session's and outlives every operation the session runs.
    context.runLong("Shelling", [kernel = &context.kernel(), body = *body,
                                 thickness = std::abs(value)](Progress& progress) {
        return BodySupport::refusing(body.name, [&] {
            return [id = body.id, hollow = kernel->shell(body.mesh, thickness, progress)](
                       ModelingContext& later) {
                if (BodySupport::replaceMesh(id, hollow, "Shell", later)) {
                    later.setTool(ToolID::select);
                }
            };
        });
    });
}

}  // namespace brontile
