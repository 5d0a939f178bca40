// Snapping while drawing in a sketch: turns each pointer position into the point a sketch tool
// should use — an endpoint, a crossing, a body edge, an alignment with the segment's start, or
// the grid — and draws the cue for it. Runs on every pointer move, so it keeps no state.
#pragma once

#include <optional>
#include <span>

#include "document/body.hpp"
#include "geometry/vec2.hpp"
#include "interaction/scene_overlay.hpp"
#include "interaction/snap_hit.hpp"
#include "sketch/sketch.hpp"

namespace brontile {

// One pointer position to snap, with what the drawing tool knows about the segment it draws.
struct SnapQuery {
    // Where the pointer is, in sketch-plane coordinates.
    Vec2 cursor;
    const Sketch& sketch;
    // Millimetres per screen pixel, converting the pixel reaches to the model; at least 1e-9 is
    // used.
    double worldUnitsPerPixel;
    // Points the tool offers besides the drawing, taken like endpoints.
    std::span<const Vec2> extraPoints = {};
    // The fixed start of the segment being drawn, which the cursor may align with; one that is
    // not finite aligns nothing.
    std::optional<Vec2> segmentStart = std::nullopt;
    // The previous segment's direction, whose 45° turns join the polar directions.
    std::optional<Vec2> previousDirection = std::nullopt;
    // Grid spacing in millimetres; no grid unless finite and above 1e-12.
    double gridStep = 0;
    // Snapping is switched off for this position.
    bool disabled = false;
    // The document's bodies; only visible ones snap.
    std::span<const Body> bodies = {};
};

}  // namespace brontile

namespace brontile::SnapEngine {

// The snapped point for the query's cursor, or nothing.
//
// Point features — the tool's extra points, the in-plane vertices and edges of the visible
// bodies (within max(3 px, 1e-4 mm) of the plane), the sketch's endpoints, midpoints, centres,
// curves and crossings — are taken within 10 px; with a segment start the cursor also aligns
// perpendicular or parallel to sketch lines, horizontally, vertically or along 45° steps (and
// steps from the previous direction), with a guide line. The lowest rank wins (endpoint,
// intersection, midpoint, centre, perpendicular, on-curve, horizontal/vertical, parallel, polar);
// within a rank the nearest, and exact ties keep the first found. With nothing taken and a grid
// the cursor is rounded to the grid (halves away from zero). Nothing when snapping is disabled or
// the cursor is not finite.
[[nodiscard]] std::optional<SnapHit> snap(const SnapQuery& query);

// Adds the cue for `hit` to the overlay, in model space on the sketch's plane: a marker at the
// hit (at the cursor when there is none) shaped after the kind, amber for a feature and pale for
// the grid or no hit; an amber outline of the entities a feature hit names; and its guide line,
// dashed and translucent for the alignment kinds.
void decorate(const Vec2& cursor, const Sketch& sketch, SceneOverlay& overlay,
              const std::optional<SnapHit>& hit);

// Where segments a1–a2 and b1–b2 cross: CurveIntersection::lineLine (parameters within 1e-9 of
// [0, 1], nothing when |d1 × d2| ≤ 1e-9), kept only when the point lies within 1e-9 of each
// segment's length plus 1e-6 mm of that segment — for nearly parallel segments rounding can
// otherwise place the computed point far from the second one.
[[nodiscard]] std::optional<Vec2> segmentIntersection(const Vec2& a1, const Vec2& a2,
                                                      const Vec2& b1, const Vec2& b2);

}  // namespace brontile::SnapEngine
