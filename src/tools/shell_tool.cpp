#include "tools/shell_tool.hpp"

#include <cmath>

#include "geometry/mesh_closure.hpp"
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
    if (!ToolValues::acceptPositive(value, "wall thickness", 0, context)) return;
    const auto body = BodySupport::firstInvolvedBody(context);
    if (!body) {
        context.showError("Select a body to shell.");
        return;
    }
    // The kernel is the session's and outlives every operation the session runs.
    context.runLong("Shelling", [kernel = &context.kernel(), body = *body,
                                 thickness = value](Progress& progress) {
        return BodySupport::refusing(body.name, [&]() -> ModelingContext::Finish {
            SolidMesh hollow = kernel->shell(body.mesh, thickness, progress);
            auto problem = BodySupport::resultProblem(hollow, "Shell", body.name,
                                                      [&] { return isClosed(body.mesh); });
            return [id = body.id, hollow = std::move(hollow),
                    problem = std::move(problem)](ModelingContext& later) {
                if (BodySupport::writeMesh(id, hollow, "Shell", problem, later)) {
                    later.setTool(ToolID::select);
                }
            };
        });
    });
}

}  // namespace brontile
