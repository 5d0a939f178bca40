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
    return pick_.empty() ? Vec3::unitZ : pick_.plane().normal();
}

void ExtrudeTool::deactivate(ModelingContext& context) { reset(context); }

void ExtrudeTool::reset(ModelingContext& context) {
    pick_.clear();
    startLineT_.reset();
    distance_ = 0;
    dragging_ = false;
    flipped_ = false;
    hoverArrow_ = false;
    mode_ = BodyMode::newBody;
    modeChosen_ = false;
    contact_.reset();
    meeting_.reset();
    swept_.reset();
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
}

bool ExtrudeTool::key(ToolKey key, ModelingContext& context) {
    if (pick_.empty()) return false;
    switch (key) {
        case ToolKey::escape: reset(context); return true;
        case ToolKey::confirm:
            if (!(std::abs(distance_) > kNoDistance)) return false;
            commit(context);
            return true;
        case ToolKey::nextMode:
            mode_ = BodyModes::next(mode_, target().has_value());
            modeChosen_ = true;
            showPreview(context);
            return true;
        case ToolKey::remove: return false;
    }
    return false;
}

void ExtrudeTool::hudCommit(double value, ModelingContext& context) {
    if (pick_.empty() || !ToolValues::acceptTyped(value, "distance", context)) return;
    if (!(std::abs(value) > kNoDistance)) {
        context.refuseValue(
            "An extrusion needs a distance other than zero: a distance of 0 makes "
            "no solid.");
        return;
    }
    distance_ = std::abs(distance_) < kNoDistance && flipped_ ? -value : value;
    followPlace();
    commit(context);
}

std::optional<Profile> ExtrudeTool::findProfile(const Ray& ray, ModelingContext& context) {
    return RegionFinder::regionUnder(ray, context.document(), context.activeSketchID(), cache_);
}

void ExtrudeTool::pointer(const PointerEvent& event, ModelingContext& context) {
    const double w = context.worldUnitsPerPixel();
    switch (event.phase) {
        case PointerPhase::move:
            if (!pick_.empty()) {
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
            followPlace();
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
    const bool extend = event.modifiers.contains(ModifierSet::shift);
    if (!pick_.empty() && !extend) {
        if (const auto part = arrow_.hit(event.ray, w)) {
            if (*part == ArrowGizmo::Part::reverse) return flip(context);
            dragging_ = true;
            startLineT_ = ToolValues::axisParameter(event.ray, anchor_, axisDirection());
            return showPreview(context);
        }
    }
    const auto region = findProfile(event.ray, context);
    if (!region) return;
    // The press that picks a region never flips it, however near its centre it lands: the
    // arrow only shows, and takes clicks, once the region is held.
    begin(*region, extend, context);
    if (pick_.empty()) return reset(context);
    // Gathering regions with Shift keeps the distance and waits for the next click.
    if (extend) return showPreview(context);
    dragging_ = true;
    startLineT_ = ToolValues::axisParameter(event.ray, anchor_, axisDirection());
    showPreview(context);
}

void ExtrudeTool::begin(const Profile& region, bool extend, ModelingContext& context) {
    const bool fresh = pick_.empty() || !extend;
    pick_.pick(region, extend);
    if (pick_.empty()) return;
    anchor_ = pick_.centroid();
    contact_ = BodyModes::faceUnder(pick_.united(), context.document());
    if (fresh) {
        startLineT_.reset();
        distance_ = 0;
        flipped_ = false;
        hoverArrow_ = false;
        modeChosen_ = false;
        meeting_.reset();
        context.setSelection(Selection::empty);
    }
    followPlace();
    context.setHud(
        HUDState{"Distance", distance_, std::nullopt, true, std::nullopt, HUDQuantity::length});
}

void ExtrudeTool::followPlace() {
    if (modeChosen_) return;
    if (!contact_) {
        mode_ = BodyMode::newBody;
        return;
    }
    const double sense = std::abs(distance_) > kNoDistance ? distance_ : (flipped_ ? -1 : 1);
    const bool intoBody = axisDirection().dot(contact_->outward) * sense < 0;
    mode_ = intoBody ? BodyMode::cut : BodyMode::join;
}

std::optional<BodyID> ExtrudeTool::target() const {
    if (contact_) return contact_->body;
    return meeting_;
}

void ExtrudeTool::flip(ModelingContext& context) {
    if (std::abs(distance_) <= kNoDistance) {
        flipped_ = !flipped_;
    } else {
        distance_ = -distance_;
        flipped_ = distance_ < 0;
    }
    followPlace();
    showPreview(context);
}

void ExtrudeTool::showHover(const Profile& profile, ModelingContext& context) {
    SceneOverlay overlay;
    RegionFinder::addOutline(overlay, profile, RGBA::hover);
    arrow_ = OverlayArrow::extrusion(profile.centroid3D(), profile.plane.normal(), 0, false,
                                     hoverArrow_, true);
    overlay.arrows = {arrow_};
    context.setOverlay(std::move(overlay));
}

std::vector<SolidMesh> ExtrudeTool::previewSolids(ModelingContext& context) {
    if (!(std::abs(distance_) > kSmallestDrag)) return {};
    const std::vector<Profile>& regions = pick_.united();
    if (swept_ && (swept_->distance > 0) == (distance_ > 0) && swept_->regions == regions) {
        const SketchPlane& plane = pick_.plane();
        std::vector<SolidMesh> result;
        for (const SolidMesh& solid : swept_->solids) {
            result.push_back(
                solid.stretched(plane.origin, plane.normal(), distance_ / swept_->distance));
        }
        return result;
    }
    Swept fresh{regions, distance_, {}};
    for (const Profile& region : regions) {
        try {
            fresh.solids.push_back(context.kernel().extrude(region, distance_));
        } catch (const std::exception&) {
            // No solid for a region the kernel refuses; committing says why.
        }
    }
    swept_ = std::move(fresh);
    return swept_->solids;
}

void ExtrudeTool::showPreview(ModelingContext& context) {
    if (pick_.empty()) return;
    SceneOverlay overlay;
    pick_.addOutlines(overlay, RGBA::selection);
    for (SolidMesh& solid : previewSolids(context)) {
        if (!contact_ && !meeting_) meeting_ = BodyModes::bodyMeeting(solid, context.document());
        overlay.meshes.push_back(BodyModes::preview(std::move(solid), mode_));
    }
    const Vec3 n = axisDirection();
    arrow_ =
        OverlayArrow::extrusion(anchor_ + n * distance_, n, distance_, flipped_, hoverArrow_, true);
    overlay.arrows = {arrow_};
    context.setOverlay(std::move(overlay));
    std::string detail = BodyModes::detail(mode_, target(), context.document());
    if (hoverArrow_) {
        detail = "Flip direction";
    } else if (flipped_ && std::abs(distance_) < kNoDistance) {
        detail = "Reverse";
    }
    context.setHud(HUDState{"Distance", distance_, std::nullopt, true, std::move(detail),
                            HUDQuantity::length});
}

void ExtrudeTool::commit(ModelingContext& context) {
    if (pick_.empty()) return;
    std::vector<SolidMesh> made;
    for (const Profile& region : pick_.united()) {
        try {
            made.push_back(context.kernel().extrude(region, distance_));
        } catch (const std::exception& error) {
            context.showError(error.what());
            return;
        }
    }
    if (!contact_ && !meeting_ && !made.empty()) {
        meeting_ = BodyModes::bodyMeeting(made.front(), context.document());
    }
    BodyModes::record(std::move(made), mode_, target(), "Extrude", context,
                      [this](const std::vector<BodyID>& changed, ModelingContext& c) {
                          Selection selection;
                          selection.bodies.insert(changed.begin(), changed.end());
                          c.setSelection(std::move(selection));
                          reset(c);
                          c.setStatusHint(hint());
                      });
}

}  // namespace brontile
