#include "kernel/triangle_tree.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "kernel/boolean_tolerances.hpp"

namespace brontile::csg_detail {
namespace {

// A hit this close to an edge, in barycentric terms, may belong to the neighbour instead.
constexpr double kEdgeMargin = 1e-9;
// Ray lengths this close (relative to the size of the coordinates) are one hit.
constexpr double kSameDistance = 1e-12;

// Directions of no particular alignment, so that the edges and faces of parts drawn along the
// axes are not met edge-on by every ray.
constexpr std::array<Vec3, 6> kDirections{{
    {0.5421981057, 0.6781039243, 0.4962851023},
    {-0.3917288143, 0.8031137727, -0.4489146285},
    {0.7193842290, -0.2468812313, -0.6492075313},
    {-0.6180339887, -0.5877852523, 0.5221749330},
    {0.1372983018, -0.9302734711, 0.3401021967},
    {-0.8660254038, 0.1834532911, -0.4652356718},
}};

std::vector<AABB> boxesOf(const std::vector<SurfaceTriangle>& triangles) {
    std::vector<AABB> boxes;
    boxes.reserve(triangles.size());
    for (const SurfaceTriangle& t : triangles) {
        AABB box(t.a, t.a);
        box.extend(t.b);
        box.extend(t.c);
        boxes.push_back(box);
    }
    return boxes;
}

}  // namespace

TriangleTree::TriangleTree(std::vector<SurfaceTriangle> triangles)
    : triangles_(std::move(triangles)), tree_(boxesOf(triangles_)) {}

bool TriangleTree::touches(const AABB& box) const {
    bool found = false;
    tree_.search([&](const AABB& node) { return overlaps(node, box); },
                 [&](std::uint32_t) {
                     found = true;
                     return false;
                 });
    return found;
}

TriangleTree::RayVerdict TriangleTree::cast(const Vec3& origin, const Vec3& direction) const {
    const Vec3 inverse{1 / direction.x, 1 / direction.y, 1 / direction.z};
    const double same = kSameDistance * std::max(1.0, origin.length());
    double best = std::numeric_limits<double>::infinity();
    RayVerdict verdict = RayVerdict::outside;
    tree_.search(
        [&](const AABB& box) { return rayMeetsBox(box, origin, inverse, best + same); },
        [&](std::uint32_t i) {
            const SurfaceTriangle& tri = triangles_[i];
            const Vec3 e1 = tri.b - tri.a;
            const Vec3 e2 = tri.c - tri.a;
            const Vec3 p = direction.cross(e2);
            const double det = e1.dot(p);
            // Edge-on: the ray runs in the triangle's plane and never crosses it.
            if (!(std::abs(det) > 1e-15 * e1.length() * e2.length())) return true;
            const double inv = 1 / det;
            const Vec3 s = origin - tri.a;
            const double u = s.dot(p) * inv;
            if (u < -kEdgeMargin || u > 1 + kEdgeMargin) return true;
            const Vec3 q = s.cross(e1);
            const double v = direction.dot(q) * inv;
            if (v < -kEdgeMargin || u + v > 1 + kEdgeMargin) return true;
            const double t = e2.dot(q) * inv;
            if (t < -same || t > best + same) return true;
            const RayVerdict facing =
                direction.dot(tri.normal) < 0 ? RayVerdict::outside : RayVerdict::inside;
            // Starting on the surface, meeting an edge, or meeting two triangles at once that
            // disagree: this ray cannot tell.
            const bool tie = std::abs(t - best) <= same;
            const bool onEdge = u < kEdgeMargin || v < kEdgeMargin || u + v > 1 - kEdgeMargin;
            const bool unclear = onEdge || std::abs(t) <= same || (tie && verdict != facing);
            verdict = unclear ? RayVerdict::unclear : facing;
            best = std::min(best, t);
            return true;
        });
    return verdict;
}

std::optional<bool> TriangleTree::coplanarFacing(std::span<const Vec3> points, const Vec3& center,
                                                 const Vec3& normal) const {
    std::optional<bool> facing;
    const AABB probe = grown(AABB(center, center), kOnPlaneTolerance);
    tree_.search([&](const AABB& box) { return overlaps(box, probe); },
                 [&](std::uint32_t i) {
                     const SurfaceTriangle& tri = triangles_[i];
                     const auto off = [&](const Vec3& p) { return tri.normal.dot(p - tri.a); };
                     if (std::any_of(points.begin(), points.end(), [&](const Vec3& p) {
                             return !(std::abs(off(p)) <= kOnPlaneTolerance);
                         })) {
                         return true;
                     }
                     // Barycentric coordinates of the centre's projection.
                     const Vec3 e1 = tri.b - tri.a;
                     const Vec3 e2 = tri.c - tri.a;
                     const Vec3 d = center - tri.a;
                     const double d11 = e1.dot(e1), d12 = e1.dot(e2), d22 = e2.dot(e2);
                     const double det = d11 * d22 - d12 * d12;
                     if (!(det > 0)) return true;
                     const double u = (d22 * d.dot(e1) - d12 * d.dot(e2)) / det;
                     const double v = (d11 * d.dot(e2) - d12 * d.dot(e1)) / det;
                     if (u < -kEdgeMargin || v < -kEdgeMargin || u + v > 1 + kEdgeMargin) {
                         return true;
                     }
                     facing = tri.normal.dot(normal) > 0;
                     return false;
                 });
    return facing;
}

bool TriangleTree::contains(const Vec3& point) const {
    if (tree_.empty() || !overlaps(tree_.bounds(), AABB(point, point))) return false;
    for (const Vec3& direction : kDirections) {
        const RayVerdict verdict = cast(point, direction);
        if (verdict != RayVerdict::unclear) return verdict == RayVerdict::inside;
    }
    // Every ray met the surface at its start: the point lies on it.
    return false;
}

}  // namespace brontile::csg_detail
