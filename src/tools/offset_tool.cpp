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
// edge round) and the outline encloses an area.
bool keepsShape(std::span<const Vec2> loop, std::span<const Vec2> moved) {
    if (moved.size() != loop.size() || !(Triangulator::signedArea(moved) > kAreaTolerance)) {
        return false;
    }
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const std::size_t next = (i + 1) % loop.size();
        if (!((moved[next] - moved[i]).dot(loop[next] - loop[i]) > 0)) return false;
    }
    return true;
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
    RegionFinder::addOutline(overlay, profile_->plane, profile_->loop, RGBA::hover);
    if (std::abs(distance_) > kSmallestOffset) {
        const std::vector<Vec2> loop = Offset2D::offset(profile_->loop, distance_);
        if (keepsShape(profile_->loop, loop)) {
            RegionFinder::addOutline(overlay, profile_->plane, loop, RGBA::preview);
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
        const std::vector<Vec2> loop = Offset2D::offset(profile_->loop, distance_);
        if (!keepsShape(profile_->loop, loop)) {
            context.showError("An offset of " + context.formatted(distance_) +
                              " would fold the region's outline over itself; nothing was "
                              "added.");
            return;
        }
        std::vector<SketchGeometry> lines;
        for (std::size_t i = 0; i < loop.size(); ++i) {
            const SketchLine edge{loop[i], loop[(i + 1) % loop.size()]};
            if ((edge.end - edge.start).length() > kLengthTolerance) lines.emplace_back(edge);
        }
        SketchSupport::addEntities(lines, profile_->sketchID, "Offset", context);
    }
    drop(context);
}

}  // namespace brontile
