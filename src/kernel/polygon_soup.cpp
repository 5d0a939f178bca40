#include "kernel/polygon_soup.hpp"

#include <limits>

#include "kernel/kernel_error.hpp"

namespace brontile::csg_detail {

SoupPolygon PolygonSoup::add(std::span<const Vec3> points, const CSGPlane& plane) {
    if (vertices_.size() + points.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw KernelError::outOfRange();
    }
    const auto first = static_cast<std::uint32_t>(vertices_.size());
    vertices_.insert(vertices_.end(), points.begin(), points.end());
    return {plane, first, static_cast<std::uint32_t>(points.size()), false};
}

SoupPolygon PolygonSoup::add(const CSGPolygon& polygon) {
    std::vector<Vec3> points;
    points.reserve(polygon.vertices.size());
    for (const CSGVertex& v : polygon.vertices) points.push_back(v.pos);
    return add(points, polygon.plane);
}

std::vector<SoupPolygon> PolygonSoup::addAll(const std::vector<CSGPolygon>& polygons) {
    std::vector<SoupPolygon> result;
    result.reserve(polygons.size());
    for (const CSGPolygon& p : polygons) result.push_back(add(p));
    return result;
}

std::vector<CSGPolygon> PolygonSoup::polygons(const std::vector<SoupPolygon>& pooled) const {
    std::vector<CSGPolygon> result;
    result.reserve(pooled.size());
    for (const SoupPolygon& p : pooled) result.push_back(polygon(p));
    return result;
}

CSGPolygon PolygonSoup::polygon(const SoupPolygon& p) const {
    CSGPolygon result{{}, p.plane};
    result.vertices.reserve(p.count);
    for (std::size_t i = 0; i < p.count; ++i) result.vertices.push_back({vertex(p, i)});
    return result;
}

}  // namespace brontile::csg_detail
