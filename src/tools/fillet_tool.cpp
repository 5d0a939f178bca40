#include "tools/fillet_tool.hpp"

#include <algorithm>
#include <cmath>

#include "geometry/mesh_closure.hpp"
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
    if (!ToolValues::acceptPositive(value, chamfer_ ? "distance" : "radius", 0, context)) {
        return;
    }
    distance_ = value;
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

std::optional<FilletTool::Request> FilletTool::request(const ModelingContext& context) const {
    const Selection& selection = context.selection();
    if (selection.faces.size() != 1) return std::nullopt;
    const FaceRef ref = *selection.faces.begin();
    const auto body = context.document().body(ref.body);
    if (!body) return std::nullopt;
    return Request{ref.body,
                   body->name,
                   body->mesh,
                   ref.face,
                   distance_,
                   chamfer_,
                   context.formatted(distance_)};
}

FilletTool::Blend FilletTool::worked(const GeometryKernel& kernel, const Request& request,
                                     Progress& progress) {
    Blend result{request.body, std::nullopt, {}};
    try {
        SolidMesh edited =
            request.chamfer
                ? kernel.chamfer(request.source, request.face, request.distance, progress)
                : kernel.fillet(request.source, request.face, request.distance, progress);
        // The kernel leaves an edge it cannot cut as it was; when that is every edge, the face
        // is unchanged and there is nothing to write.
        if (edited == request.source) {
            result.problem = std::string(request.chamfer ? "Chamfer" : "Fillet") + " could not " +
                             (request.chamfer ? "cut" : "round") + " any edge of this face at " +
                             request.shown + ".";
        } else if (auto problem = BodySupport::resultProblem(
                       edited, request.chamfer ? "Chamfer" : "Fillet", request.bodyName,
                       [&] { return isClosed(request.source); })) {
            result.problem = std::move(*problem);
        } else {
            result.mesh = std::move(edited);
        }
    } catch (const Cancelled&) {
        throw;
    } catch (const std::exception& error) {
        result.problem = error.what();
    }
    return result;
}

const FilletTool::Blend* FilletTool::cached(const Request& request) const {
    if (!cache_ || !(cache_->source == request.source) || cache_->face != request.face ||
        cache_->distance != request.distance || cache_->chamfer != request.chamfer) {
        return nullptr;
    }
    return &cache_->result;
}

void FilletTool::remember(const Request& request, Blend result) {
    cache_ =
        Cached{request.source, request.face, request.distance, request.chamfer, std::move(result)};
}

void FilletTool::showBlend(const Blend& result, ModelingContext& context) {
    SceneOverlay overlay;
    if (result.mesh) overlay.replacements.emplace(result.body, *result.mesh);
    context.setOverlay(std::move(overlay));
}

void FilletTool::showPreview(ModelingContext& context) {
    context.setHud(HUDState{chamfer_ ? "Chamfer" : "Radius", distance_, std::nullopt, true,
                            std::nullopt, HUDQuantity::length});
    const auto asked = request(context);
    if (!asked) return;
    if (const Blend* known = cached(*asked)) return showBlend(*known, context);
    // A large body takes a while: the drag goes on, and the blend shows when it is ready.
    context.preview([this, kernel = &context.kernel(), asked = *asked](Progress& progress) {
        Blend result = worked(*kernel, asked, progress);
        return [this, asked, result = std::move(result)](ModelingContext& c) {
            remember(asked, result);
            showBlend(result, c);
        };
    });
}

void FilletTool::commit(ModelingContext& context) {
    context.dropPreview();
    auto asked = request(context);
    if (!asked) return;
    if (const Blend* known = cached(*asked)) return write(*known, context);
    // Worked out anew (a typed value): off the window's thread, and written when it is done.
    context.runLong(
        asked->chamfer ? "Cutting edges" : "Rounding edges",
        [this, kernel = &context.kernel(), asked = std::move(*asked)](Progress& progress) {
            Blend result = worked(*kernel, asked, progress);
            return [this, asked, result = std::move(result)](ModelingContext& c) {
                remember(asked, result);
                write(result, c);
            };
        });
}

void FilletTool::write(const Blend& result, ModelingContext& context) {
    // Nothing to cut stays in the tool, with the reason, rather than looking like success.
    if (!result.mesh) {
        context.showError(result.problem);
        showPreview(context);
        return;
    }
    // Checked where it was made (worked).
    if (!BodySupport::writeMesh(result.body, *result.mesh, stepName(), std::nullopt, context)) {
        return;
    }
    context.setOverlay(SceneOverlay::empty);
    context.setTool(ToolID::select);
}

}  // namespace brontile
