// Mitred offsetting of closed polygons in a sketch plane, used by the offset tool on profile loops.
#pragma once

#include <span>
#include <vector>

#include "geometry/vec2.hpp"

namespace brontile::Offset2D {

// Every vertex of the closed loop (last point joined to the first) moved by `distance` mm along
// its corner's mitre: outward for a counter-clockwise loop when positive, inward when negative,
// the other way round for a clockwise loop. Mitres of corners sharper than about 151° are capped
// at four times the distance; where the path doubles back the vertex moves straight sideways.
// Repeated points move together with their twin; a point every other point coincides with stays.
// Fewer than three points, or a distance that is not finite, give the loop unchanged. The result
// has the input's length and is not cleaned of self-intersections.
[[nodiscard]] std::vector<Vec2> offset(std::span<const Vec2> loop, double distance);

}  // namespace brontile::Offset2D
