#include "tools/pattern_tool.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/body_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

// Longer rows (the body and its copies) would exhaust memory long before anyone wanted them.
constexpr double kMostBodies = 1000;
constexpr double kSpacingFactor = 1.15;

}  // namespace

PatternTool::PatternTool() : ModelingTool(ToolID::pattern) {}

void PatternTool::activate(ModelingContext& context) {
    context.setHud(HUDState{"Count", 3.0, std::nullopt, true, std::nullopt, HUDQuantity::count});
}

void PatternTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (event.phase != PointerPhase::down) return;
    if (const auto body = BodySupport::bodyUnder(event.ray, context)) {
        BodySupport::selectOnly(*body, context);
    }
}

void PatternTool::hudCommit(double value, ModelingContext& context) {
    if (!ToolValues::acceptTyped(value, "count", context)) return;
    const double whole = std::trunc(value);
    if (whole < 2) {
        context.refuseValue("A pattern needs a count of at least 2.");
        return;
    }
    if (whole > kMostBodies) {
        char typed[64];
        std::snprintf(typed, sizeof typed, "%.0f", whole);
        context.refuseValue(std::string("A pattern of ") + typed +
                            " bodies is more than the 1000 a pattern can make; type a smaller "
                            "count.");
        return;
    }
    const int count = static_cast<int>(whole);
    const auto body = BodySupport::firstInvolvedBody(context);
    if (!body || body->mesh.vertices().empty()) {
        context.showError("Select a body to pattern.");
        return;
    }
    const auto box = body->mesh.bounds();
    const double spacing = std::max(box ? box->size().x : 0.0, 1.0) * kSpacingFactor;
    // The farthest copy is the one most likely to leave the range of numbers.
    if (!BodySupport::acceptResult(body->mesh.translated({(count - 1) * spacing, 0, 0}), "Pattern",
                                   context)) {
        return;
    }
    // Copies of a large body are many megabytes: made off the window's thread.
    context.runLong("Patterning", [body = *body, count, spacing](Progress& progress) {
        std::vector<SolidMesh> copies;
        for (int i = 1; i < count; ++i) {
            progress.setFraction(static_cast<double>(i) / count);
            progress.check();
            copies.push_back(body.mesh.translated({i * spacing, 0, 0}));
        }
        return [name = body.name, copies = std::move(copies)](ModelingContext& later) {
            later.mutate("Pattern", [&](CADDocument& document) {
                for (std::size_t i = 0; i < copies.size(); ++i) {
                    document.addBody(copies[i], name + " " + std::to_string(i + 2));
                }
            });
            later.setTool(ToolID::select);
        };
    });
}

}  // namespace brontile
