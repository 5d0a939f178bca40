#include "tools/measure_tool.hpp"

namespace brontile {
namespace {

// What lies under the pointer: the picked point, or else where the ray meets the ground.
std::optional<Vec3> pointUnder(const Ray& ray, ModelingContext& context) {
    if (const auto hit = context.hitTest(ray)) return hit->point;
    if (const auto ground = ray.intersectPlane(Vec3::zero, Vec3::unitZ)) return ground->point;
    return std::nullopt;
}

HUDState distanceHud(double distance) {
    return HUDState{"Distance", distance, std::nullopt, false, std::nullopt, HUDQuantity::length};
}

}  // namespace

MeasureTool::MeasureTool() : ModelingTool(ToolID::measure) {}

void MeasureTool::deactivate(ModelingContext& context) {
    first_.reset();
    context.setOverlay(SceneOverlay::empty);
}

bool MeasureTool::key(ToolKey, ModelingContext& context) {
    if (!first_) return false;
    first_.reset();
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
    return true;
}

void MeasureTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (event.phase == PointerPhase::down) {
        const auto point = pointUnder(event.ray, context);
        if (!point) return;
        if (!first_) {
            first_ = point;
            return;
        }
        const Vec3 d = *point - *first_;
        context.setHud(distanceHud(d.length()));
        context.setStatusHint(context.formatted(d.length()) + "  \u00B7  \u0394X " +
                              context.formatted(d.x) + "  \u0394Y " + context.formatted(d.y) +
                              "  \u0394Z " + context.formatted(d.z));
        first_.reset();
        return;
    }
    if (event.phase != PointerPhase::move || !first_) return;
    const auto point = pointUnder(event.ray, context);
    if (!point) return;
    SceneOverlay overlay;
    overlay.lines.push_back({*first_, *point, RGBA::snap, OverlayLineStyle::solid});
    for (const Vec3& end : {*first_, *point}) {
        overlay.points.push_back({end, RGBA::snap, OverlayMarkerKind::cross, Vec3::unitZ});
    }
    context.setOverlay(std::move(overlay));
    context.setHud(distanceHud((*point - *first_).length()));
}

}  // namespace brontile
