#include "kernel/csg_polygon.hpp"

#include <algorithm>
#include <cstdint>

#include "kernel/plane_split.hpp"

namespace brontile {

using namespace csg_detail;

CSGPolygon CSGPolygon::flipped() const {
    CSGPolygon result{{vertices.rbegin(), vertices.rend()}, plane.flipped()};
    return result;
}

void CSGPlane::splitPolygon(const CSGPolygon& polygon, std::vector<CSGPolygon>& coplanarFront,
                            std::vector<CSGPolygon>& coplanarBack, std::vector<CSGPolygon>& front,
                            std::vector<CSGPolygon>& back) const {
    const auto vertexAt = [&](std::size_t i) { return polygon.vertices[i].pos; };
    std::vector<std::uint8_t> sides;
    switch (classify(*this, polygon.vertices.size(), vertexAt, sides)) {
        case kCoplanar:
            (normal.dot(polygon.plane.normal) > 0 ? coplanarFront : coplanarBack)
                .push_back(polygon);
            return;
        case kFront: front.push_back(polygon); return;
        case kBack: back.push_back(polygon); return;
        case kSpanning: break;
    }
    std::vector<Vec3> f, b;
    cutSpanning(*this, polygon.vertices.size(), vertexAt, sides, f, b);
    const auto piece = [&](const std::vector<Vec3>& points) {
        CSGPolygon p{{}, polygon.plane};
        p.vertices.reserve(points.size());
        for (const Vec3& v : points) p.vertices.push_back({v});
        return p;
    };
    if (f.size() >= 3) front.push_back(piece(f));
    if (b.size() >= 3) back.push_back(piece(b));
}

}  // namespace brontile
