#include "geometry/aabb.hpp"

#include <algorithm>

namespace brontile {

std::optional<AABB> AABB::fromPoints(std::span<const Vec3> points) {
    if (points.empty()) return std::nullopt;
    AABB box(points.front(), points.front());
    for (const Vec3& p : points.subspan(1)) box.extend(p);
    return box;
}

std::optional<AABB> AABB::merge(std::span<const AABB> boxes) {
    if (boxes.empty()) return std::nullopt;
    AABB result = boxes.front();
    for (const AABB& box : boxes.subspan(1)) result = result.united(box);
    return result;
}

void AABB::extend(const Vec3& p) {
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

AABB AABB::united(const AABB& other) const {
    AABB result = *this;
    result.extend(other.min);
    result.extend(other.max);
    return result;
}

}  // namespace brontile
