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

namespace brontile::SnapEngine {

// The snapped point for `cursor` (sketch-plane coordinates), or nothing.
//
// Point features — `extraPoints` from the tool, the in-plane vertices and edges of the visible
// `bodies` (within max(3 px, 1e-4 mm) of the plane), the sketch's endpoints, midpoints, centres,
// curves and crossings — are taken within 10 px; with `lockFrom` (the fixed start of the segment
// being drawn) the cursor also aligns perpendicular or parallel to sketch lines, horizontally,
// vertically or along 45° steps (and steps from `lastDirection`), with a guide line. The lowest
// rank wins (endpoint, intersection, midpoint, centre, perpendicular, on-curve,
// horizontal/vertical, parallel, polar); within a rank the nearest, and exact ties keep the first
// found. With nothing taken and a finite `gridStep` > 1e-12 mm the cursor is rounded to the grid
// (halves away from zero). `worldUnitsPerPixel` converts pixels to millimetres (at least 1e-9 is
// used). Nothing when `disable` is set or the cursor is not finite; a lockFrom that is not finite
// aligns nothing.
[[nodiscard]] std::optional<SnapHit> snap(const Vec2& cursor, const Sketch& sketch,
                                          double worldUnitsPerPixel,
                                          std::span<const Vec2> extraPoints,
                                          std::optional<Vec2> lockFrom,
                                          std::optional<Vec2> lastDirection, double gridStep,
                                          bool disable, std::span<const Body> bodies);

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
