#include "tools/revolve_tool.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "base/tolerances.hpp"
#include "geometry/triangulator.hpp"
#include "tools/sketch_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

// Half the length of the axis line the preview draws.
constexpr double kAxisReach = 40;
// A region point this far from the axis line lies on it.
constexpr double kOnAxis = 1e-9;
// Typed angles smaller than this (degrees) sweep nothing.
constexpr double kSmallestAngle = 1e-4;
const std::string kCrossingAxis =
    "The axis runs through the region, so the revolved solid would cut through itself; pick an "
    "axis along or beside the region.";
const std::string kPickAxis =
    "Click a sketch line to use as the axis, or press Return for a full revolution.";

double radians(double degrees) { return degrees * std::numbers::pi / 180; }

std::string degreesText(double degrees) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f\u00B0", degrees);
    return text;
}

}  // namespace

RevolveTool::RevolveTool() : ModelingTool(ToolID::revolve) {}

void RevolveTool::deactivate(ModelingContext& context) { drop(context); }

void RevolveTool::drop(ModelingContext& context) {
    pick_.clear();
    mode_ = BodyMode::newBody;
    meeting_.reset();
    pickingAxis_ = false;
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
}

bool RevolveTool::axisCrossesRegion(const Profile& profile, const Vec3& axisOrigin,
                                    const Vec3& axisDirection) {
    const SketchPlane& plane = profile.plane;
    const Vec3 n = plane.normal();
    const Vec3 d = axisDirection.normalized();
    // The axis seen in the region's plane: points mirrored across that line sweep the same
    // circles, so a region on both sides of it would meet itself.
    const Vec3 along = d - n * d.dot(n);
    if (along.length() > kNormalizeEpsilon) {
        const Vec3 through = axisOrigin - n * (axisOrigin - plane.origin).dot(n);
        const Vec3 line = along.normalized();
        bool left = false;
        bool right = false;
        for (const Vec2& p : profile.loop) {
            const double side = (plane.toWorld(p) - through).cross(line).dot(n);
            left = left || side > kOnAxis;
            right = right || side < -kOnAxis;
        }
        return left && right;
    }
    // An axis square to the plane crosses the region where it pierces it.
    const auto hit = Ray(axisOrigin - d * 1e12, d).intersectPlane(plane.origin, n);
    if (!hit) return false;
    return profile.contains(plane.toLocal(hit->point));
}

bool RevolveTool::axisCrossesPick() const {
    return std::ranges::any_of(pick_.united(), [&](const Profile& region) {
        return axisCrossesRegion(region, axisOrigin_, axisDirection_);
    });
}

bool RevolveTool::key(ToolKey key, ModelingContext& context) {
    if (key == ToolKey::confirm) {
        commit(context);
        return true;
    }
    if (pick_.empty()) return false;
    if (key == ToolKey::nextMode) {
        mode_ = BodyModes::next(mode_, meeting_.has_value());
        showPreview(context);
        return true;
    }
    if (key != ToolKey::escape) return false;
    drop(context);
    return true;
}

void RevolveTool::hudCommit(double value, ModelingContext& context) {
    if (!ToolValues::acceptTyped(value, "angle", context)) return;
    if (!(std::abs(value) >= kSmallestAngle)) {
        context.refuseValue(
            "A revolve needs an angle other than zero: an angle of 0\u00B0 sweeps "
            "no solid.");
        return;
    }
    degrees_ = value;
    commit(context);
}

void RevolveTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (event.phase == PointerPhase::move && pick_.empty()) {
        const auto region =
            RegionFinder::regionUnder(event.ray, context.document(), std::nullopt, cache_);
        if (!region) {
            if (context.overlay() != SceneOverlay::empty) context.setOverlay(SceneOverlay::empty);
            return;
        }
        SceneOverlay overlay;
        RegionFinder::addOutline(overlay, *region, RGBA::hover);
        context.setOverlay(std::move(overlay));
        return;
    }
    if (event.phase != PointerPhase::down) return;
    const bool extend = event.modifiers.contains(ModifierSet::shift);
    if (pick_.empty() || extend) {
        auto region =
            RegionFinder::regionUnder(event.ray, context.document(), std::nullopt, cache_);
        if (!region) return;
        const bool fresh = pick_.empty();
        pick_.pick(*region, extend);
        if (pick_.empty()) return drop(context);
        if (fresh) {
            axisOrigin_ = region->plane.origin;
            axisDirection_ = region->plane.xAxis;
            // Each pick starts from a full turn, which Return takes.
            degrees_ = 360;
            pickingAxis_ = true;
            context.setStatusHint(kPickAxis);
        }
        showPreview(context);
        return;
    }
    if (!pickingAxis_) return;
    const auto hit = context.hitTest(event.ray);
    // A line picked by one of its ends is the line.
    const auto ref = hit ? pickedEntity(hit->target) : std::nullopt;
    if (!ref) return;
    const auto sketch = context.document().sketch(ref->sketch);
    const auto entity = sketch ? sketch->entity(ref->entity) : std::nullopt;
    const auto* line = entity ? std::get_if<SketchLine>(&entity->geometry) : nullptr;
    if (line == nullptr) return;
    const Vec3 from = sketch->plane.toWorld(line->start);
    const Vec3 along = sketch->plane.toWorld(line->end) - from;
    if (!(along.length() > kNormalizeEpsilon)) return;
    axisOrigin_ = from;
    axisDirection_ = along.normalized();
    // An axis through the region is refused; another line may be picked instead.
    pickingAxis_ = axisCrossesPick();
    if (pickingAxis_) context.showError(kCrossingAxis);
    showPreview(context);
}

std::vector<SolidMesh> RevolveTool::solids(ModelingContext& context) const {
    std::vector<SolidMesh> result;
    if (axisCrossesPick()) return result;
    for (const Profile& region : pick_.united()) {
        try {
            result.push_back(context.kernel().revolve(region, axisOrigin_, axisDirection_,
                                                      radians(std::min(degrees_, 360.0))));
        } catch (const std::exception&) {
            // No solid for an angle or axis the kernel refuses; committing says why.
        }
    }
    return result;
}

void RevolveTool::showPreview(ModelingContext& context) {
    SceneOverlay overlay;
    pick_.addOutlines(overlay, RGBA::selection);
    overlay.lines.push_back({axisOrigin_ - axisDirection_ * kAxisReach,
                             axisOrigin_ + axisDirection_ * kAxisReach, RGBA::selection,
                             OverlayLineStyle::solid});
    for (SolidMesh& solid : solids(context)) {
        if (!meeting_) meeting_ = BodyModes::bodyMeeting(solid, context.document());
        overlay.meshes.push_back(BodyModes::preview(std::move(solid), mode_));
    }
    context.setOverlay(std::move(overlay));
    context.setHud(HUDState{"Angle", std::nullopt, degreesText(degrees_), true,
                            BodyModes::detail(mode_, meeting_, context.document()),
                            HUDQuantity::angle});
}

void RevolveTool::commit(ModelingContext& context) {
    if (pick_.empty()) return;
    if (axisCrossesPick()) {
        context.showError(kCrossingAxis);
        pickingAxis_ = true;
        return;
    }
    std::vector<SolidMesh> made;
    for (const Profile& region : pick_.united()) {
        try {
            made.push_back(
                context.kernel().revolve(region, axisOrigin_, axisDirection_, radians(degrees_)));
        } catch (const std::exception& error) {
            context.showError(error.what());
            return;
        }
    }
    BodyModes::record(std::move(made), mode_, meeting_, "Revolve", context,
                      [this](const std::vector<BodyID>& changed, ModelingContext& c) {
                          Selection selection;
                          selection.bodies.insert(changed.begin(), changed.end());
                          c.setSelection(std::move(selection));
                          drop(c);
                          c.setTool(ToolID::select);
                      });
}

}  // namespace brontile
