// The compact polygon store the booleans run on: every vertex of every polygon in one pool, a
// polygon being a plane and a run of that pool. Flipping a polygon only toggles a flag, and split
// pieces are appended to the pool, so the split and clip loops allocate nothing per polygon.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "kernel/csg_polygon.hpp"

namespace brontile::csg_detail {

struct SoupPolygon {
    CSGPlane plane;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    // The run is read backwards: the polygon was turned inside out.
    bool reversed = false;

    [[nodiscard]] SoupPolygon flipped() const { return {plane.flipped(), first, count, !reversed}; }
};

// A closed operand's triangles in the soup, with the mesh vertices at their corners: which
// triangles share a vertex says which pieces of the surface hang together.
struct PooledSolid {
    std::vector<SoupPolygon> triangles;
    std::vector<std::array<std::uint32_t, 3>> corners;
};

class PolygonSoup {
public:
    // The i-th vertex of the polygon in its own (possibly reversed) order.
    [[nodiscard]] const Vec3& vertex(const SoupPolygon& p, std::size_t i) const {
        return vertices_[p.first + (p.reversed ? p.count - 1 - i : i)];
    }
    // Appends the points to the pool as a new polygon with `plane`. Throws KernelError when the
    // pool would outgrow 32-bit positions.
    [[nodiscard]] SoupPolygon add(std::span<const Vec3> points, const CSGPlane& plane);

    [[nodiscard]] SoupPolygon add(const CSGPolygon& polygon);
    [[nodiscard]] std::vector<SoupPolygon> addAll(const std::vector<CSGPolygon>& polygons);
    [[nodiscard]] CSGPolygon polygon(const SoupPolygon& p) const;
    [[nodiscard]] std::vector<CSGPolygon> polygons(const std::vector<SoupPolygon>& pooled) const;

    // Room for `vertexCount` more vertices without moving the pool.
    void reserveMore(std::size_t vertexCount) { vertices_.reserve(vertices_.size() + vertexCount); }

private:
    std::vector<Vec3> vertices_;
};

}  // namespace brontile::csg_detail
