// Ear-clipping triangulation of simple 2D polygons, used for face polygons and sketch profiles
// alike, of regions with holes for the caps of swept sketch regions, plus the small polygon
// predicates it is built from.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "geometry/vec2.hpp"

namespace brontile::Triangulator {

// Positions into the point list given to triangulate().
using Triple = std::array<std::size_t, 3>;

// Half the shoelace sum; positive for counter-clockwise order, 0 for fewer than three points.
[[nodiscard]] double signedArea(std::span<const Vec2> points);

// Even-odd rule; an empty polygon contains nothing.
[[nodiscard]] bool contains(std::span<const Vec2> polygon, const Vec2& point);

// True unless p lies strictly outside one edge (by more than 1e-12 in cross product); edges and
// corners count as inside, either winding.
[[nodiscard]] bool pointInTriangle(const Vec2& p, const Vec2& a, const Vec2& b, const Vec2& c);

// Positions of the points kept after dropping each point closer than 1e-9 to the last kept one
// (and a last point that closes onto the first). Fewer than three kept means no area.
[[nodiscard]] std::vector<std::size_t> distinctLoop(std::span<const Vec2> points);

// Counter-clockwise triangles covering the polygon, whatever its winding: always
// distinctLoop(points).size() − 2 of them, or none when fewer than three points are distinct.
// A polygon without any ear (self-intersecting or numerically flat) is still covered by fan
// triangles from the fallback.
[[nodiscard]] std::vector<Triple> triangulate(std::span<const Vec2> points);

// Counter-clockwise triangles tiling the region inside `outer` and outside every hole, whatever
// the loops' windings; each hole must lie strictly inside `outer` and outside the other holes.
// Positions count through `outer` and then through each hole's points in turn. Every loop is
// first reduced as by distinctLoop; a hole left with no area (≤ 1e-9 mm²) is ignored, and an
// outer loop without area gives nothing. Otherwise there are k + 2h − 2 triangles for k kept
// points in h holes kept, and every edge of every kept loop is an edge of exactly one of them.
[[nodiscard]] std::vector<Triple> triangulateWithHoles(std::span<const Vec2> outer,
                                                       std::span<const std::vector<Vec2>> holes);

}  // namespace brontile::Triangulator
