#include "tools/offset_tool.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/tolerances.hpp"
#include "geometry/triangulator.hpp"
#include "sketch/offset_2d.hpp"
#include "tools/sketch_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

// Offsets this close to zero add nothing.
constexpr double kSmallestOffset = 1e-6;

// Whether the offset outline still bounds the region's shape: every edge keeps its direction
// (an inward offset past a narrow part, or an outward one past a short notch edge, turns some
// edge round) and the outline encloses an area turning the same way as before.
bool keepsShape(std::span<const Vec2> loop, std::span<const Vec2> moved) {
    const double before = Triangulator::signedArea(loop);
    const double after = Triangulator::signedArea(moved);
    if (moved.size() != loop.size() || !(std::abs(after) > kAreaTolerance) ||
        (after > 0) != (before > 0)) {
        return false;
    }
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const std::size_t next = (i + 1) % loop.size();
        if (!((moved[next] - moved[i]).dot(loop[next] - loop[i]) > 0)) return false;
    }
    return true;
}

// The region's outline and its holes' moved by `distance` away from the region (holes wind the
// other way, so the same offset shrinks them as the outline grows); nothing when one would fold.
std::optional<std::vector<std::vector<Vec2>>> offsetLoops(const Profile& region, double distance) {
    std::vector<std::vector<Vec2>> loops;
    loops.reserve(region.holes.size() + 1);
    for (std::size_t i = 0; i <= region.holes.size(); ++i) {
        const std::vector<Vec2>& loop = i == 0 ? region.loop : region.holes[i - 1];
        loops.push_back(Offset2D::offset(loop, distance));
        if (!keepsShape(loop, loops.back())) return std::nullopt;
    }
    return loops;
}

}  // namespace

OffsetTool::OffsetTool() : ModelingTool(ToolID::offset) {}

void OffsetTool::deactivate(ModelingContext& context) { drop(context); }

void OffsetTool::drop(ModelingContext& context) {
    profile_.reset();
    distance_ = 0;
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
}

bool OffsetTool::key(ToolKey key, ModelingContext& context) {
    if (!profile_ || key == ToolKey::remove) return false;
    if (key == ToolKey::confirm) {
        commit(context);
    } else {
        drop(context);
    }
    return true;
}

void OffsetTool::hudCommit(double value, ModelingContext& context) {
    if (!ToolValues::acceptTyped(value, "offset", context)) return;
    distance_ = value;
    commit(context);
}

void OffsetTool::pointer(const PointerEvent& event, ModelingContext& context) {
    switch (event.phase) {
        case PointerPhase::down: {
            auto region =
                RegionFinder::regionUnder(event.ray, context.document(), std::nullopt, cache_);
            if (!region) return;
            profile_ = std::move(region);
            distance_ = 0;
            return showPreview(context);
        }
        case PointerPhase::drag: {
            if (!profile_) return;
            const auto q = SketchSupport::pointOnPlane(event.ray, profile_->plane);
            if (!q) return;
            // How far the pointer lies outside a circle of the region's area about its centroid.
            const double radius = std::sqrt(std::max(profile_->area() / std::numbers::pi, 0.0));
            const double d = (*q - profile_->centroid2D()).length() - radius;
            distance_ = ToolValues::roundedDrag(d, context.document().units, event.modifiers);
            return showPreview(context);
        }
        case PointerPhase::up:
            if (profile_ && std::abs(distance_) > kSmallestOffset) commit(context);
            return;
        case PointerPhase::move: return;
    }
}

void OffsetTool::showPreview(ModelingContext& context) const {
    SceneOverlay overlay;
    RegionFinder::addOutline(overlay, *profile_, RGBA::hover);
    if (std::abs(distance_) > kSmallestOffset) {
        if (const auto loops = offsetLoops(*profile_, distance_)) {
            for (const auto& loop : *loops) {
                RegionFinder::addOutline(overlay, profile_->plane, loop, RGBA::preview);
            }
        }
    }
    context.setOverlay(std::move(overlay));
    context.setHud(
        HUDState{"Offset", distance_, std::nullopt, true, std::nullopt, HUDQuantity::length});
}

void OffsetTool::commit(ModelingContext& context) {
    if (!profile_) return;
    // The outline goes into the sketch the region came from, never into another plane.
    if (!context.document().sketch(profile_->sketchID)) {
        context.showError("The region's sketch is gone; nothing was offset.");
        return drop(context);
    }
    if (std::abs(distance_) > kSmallestOffset) {
        const auto loops = offsetLoops(*profile_, distance_);
        if (!loops) {
            context.showError("An offset of " + context.formatted(distance_) +
                              " would fold the region's outline over itself; nothing was "
                              "added.");
            return;
        }
        std::vector<SketchGeometry> lines;
        for (const std::vector<Vec2>& loop : *loops) {
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const SketchLine edge{loop[i], loop[(i + 1) % loop.size()]};
                if ((edge.end - edge.start).length() > kLengthTolerance) lines.emplace_back(edge);
            }
        }
        SketchSupport::addEntities(lines, profile_->sketchID, "Offset", context);
    }
    drop(context);
}

}  // namespace brontile
