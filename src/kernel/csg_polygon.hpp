// The values the BSP booleans work on: convex polygons that carry the plane of the face they came
// from, and the plane test that sorts and splits them.
#pragma once

#include <vector>

#include "geometry/vec3.hpp"
#include "kernel/boolean_tolerances.hpp"

namespace brontile {

struct CSGVertex {
    Vec3 pos;
    friend constexpr bool operator==(const CSGVertex&, const CSGVertex&) = default;
};

struct CSGPolygon;

// The points p with normal·p = w.
struct CSGPlane {
    // Points closer to the plane than this (in mm along the normal) lie on it.
    static constexpr double kEpsilon = csg_detail::kOnPlaneTolerance;

    Vec3 normal;
    double w = 0;

    friend constexpr bool operator==(const CSGPlane&, const CSGPlane&) = default;

    // The same plane facing the other way.
    [[nodiscard]] constexpr CSGPlane flipped() const { return {-normal, -w}; }

    // Sorts the polygon against this plane, appending it (or its pieces) to one list: coplanar
    // polygons to coplanarFront when their own normal points the same way (strictly positive dot
    // product), else to coplanarBack; polygons wholly on one side to front or back; a spanning
    // polygon is cut into a front and a back piece, each kept only with three or more vertices.
    // Pieces keep the parent's plane.
    void splitPolygon(const CSGPolygon& polygon, std::vector<CSGPolygon>& coplanarFront,
                      std::vector<CSGPolygon>& coplanarBack, std::vector<CSGPolygon>& front,
                      std::vector<CSGPolygon>& back) const;
};

// A convex polygon. Its plane is stored, never recomputed from the vertices.
struct CSGPolygon {
    std::vector<CSGVertex> vertices;
    CSGPlane plane;

    friend bool operator==(const CSGPolygon&, const CSGPolygon&) = default;

    // Reversed vertex order and the flipped plane.
    [[nodiscard]] CSGPolygon flipped() const;
};

}  // namespace brontile
