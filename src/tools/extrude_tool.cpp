#include "tools/extrude_tool.hpp"

#include <cmath>

#include "tools/tool_values.hpp"

namespace brontile {
namespace {

// Distances closer to zero than this are no distance.
constexpr double kNoDistance = 1e-9;
// A drag released shorter than this adds nothing.
constexpr double kSmallestDrag = 1e-6;
const std::string kAskForDistance =
    "Type a distance and press Return, click the orange reverse arrow to flip, or drag again.";

}  // namespace

ExtrudeTool::ExtrudeTool() : ModelingTool(ToolID::extrude) {}

Vec3 ExtrudeTool::axisDirection() const {
    return profile_ ? profile_->plane.normal() : Vec3::unitZ;
}

void ExtrudeTool::deactivate(ModelingContext& context) { reset(context); }

void ExtrudeTool::reset(ModelingContext& context) {
    profile_.reset();
    startLineT_.reset();
    distance_ = 0;
    dragging_ = false;
    flipped_ = false;
    hoverArrow_ = false;
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
}

bool ExtrudeTool::key(ToolKey key, ModelingContext& context) {
    if (!profile_) return false;
    if (key == ToolKey::escape) {
        reset(context);
        return true;
    }
    if (key == ToolKey::confirm && std::abs(distance_) > kNoDistance) {
        commit(context);
        return true;
    }
    return false;
}

void ExtrudeTool::hudCommit(double value, ModelingContext& context) {
    if (!profile_ || !ToolValues::acceptTyped(value, "distance", context)) return;
    if (!(std::abs(value) > kNoDistance)) {
        context.showError(
            "An extrusion needs a distance other than zero: a distance of 0 makes "
            "no solid.");
        return;
    }
    distance_ = std::abs(distance_) < kNoDistance && flipped_ ? -value : value;
    commit(context);
}

std::optional<Profile> ExtrudeTool::findProfile(const Ray& ray, ModelingContext& context) {
    return RegionFinder::regionUnder(ray, context.document(), context.activeSketchID(), cache_);
}

void ExtrudeTool::pointer(const PointerEvent& event, ModelingContext& context) {
    const double w = context.worldUnitsPerPixel();
    switch (event.phase) {
        case PointerPhase::move:
            if (profile_) {
                hoverArrow_ = arrow_.hit(event.ray, w).has_value();
                return showPreview(context);
            }
            if (const auto region = findProfile(event.ray, context)) {
                const OverlayArrow candidate = OverlayArrow::extrusion(
                    region->centroid3D(), region->plane.normal(), 0, false, false, true);
                hoverArrow_ = candidate.hit(event.ray, w).has_value();
                return showHover(*region, context);
            }
            if (context.overlay() != SceneOverlay::empty) context.setOverlay(SceneOverlay::empty);
            return;
        case PointerPhase::down: return press(event, context);
        case PointerPhase::drag: {
            if (!dragging_ || !startLineT_) return;
            const auto t = ToolValues::axisParameter(event.ray, anchor_, axisDirection());
            if (!t) return;
            const double d = ToolValues::roundedDrag(*t - *startLineT_, context.document().units,
                                                     event.modifiers);
            distance_ = d;
            if (std::abs(d) > kNoDistance) flipped_ = d < 0;
            return showPreview(context);
        }
        case PointerPhase::up:
            if (!dragging_) return;
            dragging_ = false;
            if (std::abs(distance_) > kSmallestDrag) return commit(context);
            context.setStatusHint(kAskForDistance);
            return;
    }
}

void ExtrudeTool::press(const PointerEvent& event, ModelingContext& context) {
    const double w = context.worldUnitsPerPixel();
    if (profile_) {
        if (const auto part = arrow_.hit(event.ray, w)) {
            if (*part == ArrowGizmo::Part::reverse) return flip(context);
            dragging_ = true;
            startLineT_ = ToolValues::axisParameter(event.ray, anchor_, axisDirection());
            return showPreview(context);
        }
    }
    auto region = findProfile(event.ray, context);
    if (!region) return;
    const OverlayArrow fresh = OverlayArrow::extrusion(region->centroid3D(), region->plane.normal(),
                                                       0, false, false, true);
    const auto part = fresh.hit(event.ray, w);
    begin(std::move(*region), context);
    if (part == ArrowGizmo::Part::reverse) return flip(context);
    dragging_ = true;
    startLineT_ = ToolValues::axisParameter(event.ray, anchor_, axisDirection());
    showPreview(context);
}

void ExtrudeTool::begin(Profile profile, ModelingContext& context) {
    anchor_ = profile.centroid3D();
    profile_ = std::move(profile);
    startLineT_.reset();
    distance_ = 0;
    flipped_ = false;
    hoverArrow_ = false;
    context.setSelection(Selection::empty);
    context.setHud(
        HUDState{"Distance", 0.0, std::nullopt, true, std::nullopt, HUDQuantity::length});
}

void ExtrudeTool::flip(ModelingContext& context) {
    if (std::abs(distance_) <= kNoDistance) {
        flipped_ = !flipped_;
    } else {
        distance_ = -distance_;
        flipped_ = distance_ < 0;
    }
    showPreview(context);
}

void ExtrudeTool::showHover(const Profile& profile, ModelingContext& context) {
    SceneOverlay overlay;
    RegionFinder::addOutline(overlay, profile.plane, profile.loop, RGBA::hover);
    arrow_ = OverlayArrow::extrusion(profile.centroid3D(), profile.plane.normal(), 0, false,
                                     hoverArrow_, true);
    overlay.arrows = {arrow_};
    context.setOverlay(std::move(overlay));
}

void ExtrudeTool::showPreview(ModelingContext& context) {
    if (!profile_) return;
    SceneOverlay overlay;
    RegionFinder::addOutline(overlay, profile_->plane, profile_->loop, RGBA::selection);
    if (std::abs(distance_) > kSmallestDrag) {
        try {
            overlay.meshes.push_back(
                {context.kernel().extrude(*profile_, distance_), RGBA::preview});
        } catch (const std::exception&) {
            // No preview solid for a distance the kernel refuses; committing says why.
        }
    }
    const Vec3 n = axisDirection();
    arrow_ =
        OverlayArrow::extrusion(anchor_ + n * distance_, n, distance_, flipped_, hoverArrow_, true);
    overlay.arrows = {arrow_};
    context.setOverlay(std::move(overlay));
    std::optional<std::string> detail;
    if (hoverArrow_) {
        detail = "Flip direction";
    } else if (flipped_ && std::abs(distance_) < kNoDistance) {
        detail = "Reverse";
    }
    context.setHud(HUDState{"Distance", distance_, std::nullopt, true, std::move(detail),
                            HUDQuantity::length});
}

void ExtrudeTool::commit(ModelingContext& context) {
    if (!profile_) return;
    std::optional<SolidMesh> mesh;
    try {
        mesh = context.kernel().extrude(*profile_, distance_);
    } catch (const std::exception& error) {
        context.showError(error.what());
        return;
    }
    std::optional<BodyID> added;
    context.mutate("Extrude", [&](CADDocument& document) { added = document.addBody(*mesh); });
    if (added && context.document().body(*added)) {
        Selection selection;
        selection.bodies.insert(*added);
        context.setSelection(std::move(selection));
    }
    reset(context);
    context.setStatusHint(hint());
}

}  // namespace brontile
