// The split of one convex polygon by one plane, shared by the public polygon values and the
// pooled polygons the booleans run on. Vertices come through an accessor so that neither needs
// copying before the test.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kernel/csg_polygon.hpp"

namespace brontile::csg_detail {

enum PlaneSide : std::uint8_t { kCoplanar = 0, kFront = 1, kBack = 2, kSpanning = 3 };

// A spanning edge shorter than this along the normal is cut at its midpoint.
inline constexpr double kParallelEdge = 1e-18;

[[nodiscard]] inline PlaneSide sideOf(const CSGPlane& plane, const Vec3& p) {
    const double t = plane.normal.dot(p) - plane.w;
    if (t < -CSGPlane::kEpsilon) return kBack;
    if (t > CSGPlane::kEpsilon) return kFront;
    return kCoplanar;
}

// The union of the vertices' sides.
template <class VertexAt>
[[nodiscard]] PlaneSide sideUnion(const CSGPlane& plane, std::size_t count, VertexAt vertexAt) {
    unsigned all = kCoplanar;
    for (std::size_t i = 0; i < count; ++i) all |= sideOf(plane, vertexAt(i));
    return static_cast<PlaneSide>(all);
}

// The union of the vertices' sides; `sides` receives each vertex's side.
template <class VertexAt>
[[nodiscard]] PlaneSide classify(const CSGPlane& plane, std::size_t count, VertexAt vertexAt,
                                 std::vector<std::uint8_t>& sides) {
    sides.resize(count);
    unsigned all = kCoplanar;
    for (std::size_t i = 0; i < count; ++i) {
        sides[i] = sideOf(plane, vertexAt(i));
        all |= sides[i];
    }
    return static_cast<PlaneSide>(all);
}

// Where the plane cuts edge p–q. Worked out from the lesser end (in x, then y, then z), so that
// two pieces sharing the edge, which run along it in opposite directions, get the very same
// point.
[[nodiscard]] inline Vec3 edgeCut(const CSGPlane& plane, const Vec3& p, const Vec3& q) {
    const bool pFirst = p.x != q.x ? p.x < q.x : p.y != q.y ? p.y < q.y : p.z < q.z;
    const Vec3& from = pFirst ? p : q;
    const Vec3 d = (pFirst ? q : p) - from;
    const double den = plane.normal.dot(d);
    const double s =
        std::abs(den) <= kParallelEdge ? 0.5 : (plane.w - plane.normal.dot(from)) / den;
    return from + d * s;
}

// Cuts a spanning polygon: front and back receive the two pieces' vertices (cleared first).
template <class VertexAt>
void cutSpanning(const CSGPlane& plane, std::size_t count, VertexAt vertexAt,
                 const std::vector<std::uint8_t>& sides, std::vector<Vec3>& front,
                 std::vector<Vec3>& back) {
    front.clear();
    back.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t j = i + 1 == count ? 0 : i + 1;
        const std::uint8_t ti = sides[i];
        const std::uint8_t tj = sides[j];
        const Vec3 vi = vertexAt(i);
        if (ti != kBack) front.push_back(vi);
        if (ti != kFront) back.push_back(vi);
        if ((ti | tj) == kSpanning) {
            const Vec3 cut = edgeCut(plane, vi, vertexAt(j));
            front.push_back(cut);
            back.push_back(cut);
        }
    }
}

}  // namespace brontile::csg_detail
