// Ear-clipping triangulation of simple 2D polygons, used for face polygons and sketch profiles
// alike, plus the small polygon predicates it is built from.
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

}  // namespace brontile::Triangulator
