// The surface of one closed operand, indexed for the two questions a boolean asks of it: does
// anything of it come near this box, and is this point inside it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "geometry/aabb.hpp"
#include "geometry/vec3.hpp"
#include "kernel/box_tree.hpp"

namespace brontile::csg_detail {

// One triangle, wound counter-clockwise seen from outside; `normal` is its plane's unit normal,
// pointing out of the solid.
struct SurfaceTriangle {
    Vec3 a, b, c;
    Vec3 normal;
};

class TriangleTree {
public:
    explicit TriangleTree(std::vector<SurfaceTriangle> triangles);

    // Whether some triangle's box overlaps `box` (boxes that only touch count).
    [[nodiscard]] bool touches(const AABB& box) const;
    // Whether the point lies inside the closed surface: the nearest triangle a ray from it
    // crosses faces away from it. A point on the surface may go either way. Rays that meet an
    // edge or a vertex, where the nearest triangle is not clear, are cast again in other
    // directions.
    [[nodiscard]] bool contains(const Vec3& point) const;
    // Whether a triangle lies in the plane of the polygon `points` (every point within
    // kOnPlaneTolerance of the triangle's plane) and holds its centroid `center`, and if so
    // whether it faces the same way as `normal`.
    [[nodiscard]] std::optional<bool> coplanarFacing(std::span<const Vec3> points,
                                                     const Vec3& center, const Vec3& normal) const;

private:
    enum class RayVerdict : std::uint8_t { outside, inside, unclear };

    [[nodiscard]] RayVerdict cast(const Vec3& origin, const Vec3& direction) const;

    std::vector<SurfaceTriangle> triangles_;
    BoxTree tree_;
};

}  // namespace brontile::csg_detail
