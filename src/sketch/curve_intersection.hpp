// Where two sketch curves cross, in plane coordinates: lines as bounded segments, circles as full
// circles, arcs as the counter-clockwise part of their circle. The snap engine offers these points.
#pragma once

#include <optional>
#include <vector>

#include "base/tolerances.hpp"
#include "geometry/vec2.hpp"
#include "sketch/sketch_entity.hpp"

namespace brontile::CurveIntersection {

// These functions work to the model's length tolerance for parameters, radii, centre distances
// and duplicate points; callers that must cover every point they can return pad by it.
// A point lies on a circle when its distance from the centre misses the radius by at most
// max(radius × kOnCircleRelativeTolerance, kOnCircleTolerance) mm. Far coarser than the length
// tolerance: crossings of nearly tangent curves come out of square roots of small differences.
inline constexpr double kOnCircleTolerance = 1e-6;
inline constexpr double kOnCircleRelativeTolerance = 1e-8;

// The crossing points of the two entities' geometries; construction flags play no part.
[[nodiscard]] std::vector<Vec2> intersections(const SketchEntity& first,
                                              const SketchEntity& second);

// The crossing points of two curves, in the order the underlying computation yields them: a
// line with a circle in segment order, two circles with the point left of c1→c2 first. Points on
// an arc's circle are kept only where they lie on the arc.
[[nodiscard]] std::vector<Vec2> intersections(const SketchGeometry& first,
                                              const SketchGeometry& second);

// The crossing of segments a1–a2 and b1–b2, both parameters within 1e-9 of [0, 1]. Nothing when
// the cross product of the directions is at most 1e-9 in size (absolute, so parallel, overlapping
// and point-like segments alike give nothing).
[[nodiscard]] std::optional<Vec2> lineLine(const Vec2& a1, const Vec2& a2, const Vec2& b1,
                                           const Vec2& b2);

// Up to two points where segment a–b meets the circle, from a towards b; a tangent gives one.
// A segment with squared length at most 1e-9 counts as the point a, returned when it lies within
// 1e-6 of the circle. Nothing for a radius of at most 1e-9.
[[nodiscard]] std::vector<Vec2> lineCircle(const Vec2& a, const Vec2& b, const Vec2& center,
                                           double radius);

// Up to two points where the circles meet, the one left of the direction c1→c2 first; touching
// circles (within 1e-8 mm) give one. Nothing for concentric circles or radii of at most 1e-9.
[[nodiscard]] std::vector<Vec2> circleCircle(const Vec2& c1, double r1, const Vec2& c2, double r2);

// True when the point lies on the circle (within the on-circle tolerances above) and its angle
// falls in the counter-clockwise run from start to end, allowing kAngleTolerance past the end
// only. Any NaN gives false.
[[nodiscard]] bool onArc(const Vec2& center, double radius, double start, double end,
                         const Vec2& point);

// end − start, plus 2π when that is not positive: equal angles make a full turn.
[[nodiscard]] double sweep(double start, double end);

}  // namespace brontile::CurveIntersection
