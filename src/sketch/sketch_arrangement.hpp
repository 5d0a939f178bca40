// The regions a sketch's curves enclose, found as the faces of their planar arrangement: every
// piece is split where it crosses, touches or ends on another, pieces with a free end and
// bridges inside a region are let go, and a closed boundary inside a region becomes its hole.
#pragma once

#include <span>
#include <vector>

#include "geometry/vec2.hpp"
#include "sketch/profile.hpp"
#include "sketch/sketch_entity.hpp"

namespace brontile::Arrangement {

// One straight piece of a line or of a tessellated arc or circle, in plane coordinates.
struct Segment {
    Vec2 a;
    Vec2 b;
    SketchEntityID entity;

    friend bool operator==(const Segment&, const Segment&) = default;
};

// How far (mm) an end may be from another piece and still end on it, splitting it there. Well
// under the 0.00001 mm grid on which end points count as one vertex.
inline constexpr double kTouchTolerance = 1e-7;

// The bounded faces of the arrangement of the segments: each an outer loop, counter-clockwise,
// with the clockwise loops of the regions' holes (closed boundaries nested inside it, to any
// depth: an island inside a hole is a region of its own), and the entities of every piece on its
// boundary. Regions never overlap; together they cover exactly what the closed boundaries
// enclose. Faces of at most 1e-9 mm² are dropped. Points keep the segments' own positions; the
// only new ones are where two pieces cross, computed once and shared by both.
[[nodiscard]] std::vector<Profile> regions(std::span<const Segment> segments,
                                           const SketchPlane& plane);

}  // namespace brontile::Arrangement
