#include "tools/fillet_tool.hpp"

#include <algorithm>
#include <cmath>

#include "tools/body_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

// Blends are never smaller than this.
constexpr double kSmallestBlend = 0.1;

}  // namespace

FilletTool::FilletTool() : ModelingTool(ToolID::fillet) {}

void FilletTool::activate(ModelingContext& context) {
    // A chamfer is made only while Option is held: each turn of the tool starts with a fillet.
    chamfer_ = false;
    context.setHud(
        HUDState{"Radius", distance_, std::nullopt, true, std::nullopt, HUDQuantity::length});
    showPreview(context);
}

void FilletTool::deactivate(ModelingContext& context) {
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
}

bool FilletTool::key(ToolKey key, ModelingContext& context) {
    if (key != ToolKey::confirm) return false;
    commit(context);
    return true;
}

void FilletTool::hudCommit(double value, ModelingContext& context) {
    if (!ToolValues::acceptTyped(value, "radius", context)) return;
    distance_ = std::abs(value);
    commit(context);
}

void FilletTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (event.phase == PointerPhase::down) {
        const auto hit = context.hitTest(event.ray);
        if (const auto* face = hit ? std::get_if<FaceRef>(&hit->target) : nullptr) {
            Selection selection;
            selection.faces.insert(*face);
            context.setSelection(std::move(selection));
            showPreview(context);
        }
        return;
    }
    if (event.phase == PointerPhase::drag && context.selection().faces.size() == 1) {
        chamfer_ = event.modifiers.contains(ModifierSet::option);
        distance_ = std::max(distance_, kSmallestBlend);
        showPreview(context);
    }
}

std::optional<FilletTool::Blend> FilletTool::blend(const ModelingContext& context) {
    const Selection& selection = context.selection();
    if (selection.faces.size() != 1) return std::nullopt;
    const FaceRef ref = *selection.faces.begin();
    const auto index = context.document().bodyIndex(ref.body);
    if (!index) return std::nullopt;
    const SolidMesh& mesh = context.document().bodies[*index].mesh;
    if (cache_ && cache_->source == mesh && cache_->face == ref.face &&
        cache_->distance == distance_ && cache_->chamfer == chamfer_) {
        return cache_->result;
    }
    Blend result{ref.body, std::nullopt, {}};
    try {
        SolidMesh edited = chamfer_ ? context.kernel().chamfer(mesh, ref.face, distance_)
                                    : context.kernel().fillet(mesh, ref.face, distance_);
        // The kernel leaves an edge it cannot cut as it was; when that is every edge, the face
        // is unchanged and there is nothing to write.
        if (edited == mesh) {
            result.problem = std::string(chamfer_ ? "Chamfer" : "Fillet") + " could not " +
                             (chamfer_ ? "cut" : "round") + " any edge of this face at " +
                             context.formatted(distance_) + ".";
        } else {
            result.mesh = std::move(edited);
        }
    } catch (const std::exception& error) {
        result.problem = error.what();
    }
    cache_ = Cached{mesh, ref.face, distance_, chamfer_, result};
    return result;
}

void FilletTool::showPreview(ModelingContext& context) {
    const auto result = blend(context);
    if (!result) return;
    SceneOverlay overlay;
    if (result->mesh) overlay.replacements.emplace(result->body, *result->mesh);
    context.setOverlay(std::move(overlay));
    context.setHud(HUDState{chamfer_ ? "Chamfer" : "Radius", distance_, std::nullopt, true,
                            std::nullopt, HUDQuantity::length});
}

void FilletTool::commit(ModelingContext& context) {
    const auto result = blend(context);
    if (!result) return;
    // Nothing to cut stays in the tool, with the reason, rather than looking like success.
    if (!result->mesh) {
        context.showError(result->problem);
        showPreview(context);
        return;
    }
    if (!BodySupport::replaceMesh(result->body, *result->mesh, stepName(), context)) return;
    context.setOverlay(SceneOverlay::empty);
    context.setTool(ToolID::select);
}

}  // namespace brontile
