// How a sketch constraint is drawn in the viewport: an anchor that is also its pick point, a few
// strokes and an optional marker, all in sketch-plane coordinates.
#pragma once

#include <optional>
#include <span>
#include <unordered_set>
#include <utility>
#include <vector>

#include "geometry/vec2.hpp"
#include "interaction/overlay_marker_kind.hpp"
#include "sketch/sketch.hpp"
#include "sketch/sketch_constraint.hpp"
#include "sketch/sketch_entity.hpp"

namespace brontile {

struct ConstraintGlyph {
    SketchConstraintID id;
    Vec2 point;
    std::vector<std::pair<Vec2, Vec2>> lines;
    std::optional<OverlayMarkerKind> marker;
    bool selected = false;
    SketchConstraintKind kind = SketchConstraintKind::coincident;

    friend bool operator==(const ConstraintGlyph&, const ConstraintGlyph&) = default;

    // True when `point` lies within `tolerance` (sketch units) of the anchor.
    [[nodiscard]] bool hitTest(const Vec2& point, double tolerance) const;
};

// Symbols are never drawn smaller than this, in sketch units per marker.
inline constexpr double kMinimumGlyphSize = 0.4;

// The glyph of one constraint over the sketch's entities, or nothing when its references do not
// resolve to entities and points that fit its kind. `size` is sketch units per marker; anything
// below kMinimumGlyphSize, or not finite, is drawn at kMinimumGlyphSize.
[[nodiscard]] std::optional<ConstraintGlyph> constraintGlyph(const SketchConstraint& constraint,
                                                             std::span<const SketchEntity> entities,
                                                             bool selected, double size);

// One glyph per drawable constraint of the sketch, in stored order; constraints whose entities or
// points are gone are skipped. `size` is sketch units per marker (at least kMinimumGlyphSize).
[[nodiscard]] std::vector<ConstraintGlyph> constraintGlyphs(
    const Sketch& sketch, const std::unordered_set<SketchConstraintID>& selected, double size);

}  // namespace brontile
