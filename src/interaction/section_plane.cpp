#include "interaction/section_plane.hpp"

#include <limits>

namespace brontile {

SectionPlane SectionPlane::main(SectionChoice choice) {
    switch (choice) {
        case SectionChoice::top: return {Vec3::zero, {0, 0, 1}, 0};
        case SectionChoice::front: return {Vec3::zero, {0, -1, 0}, 0};
        case SectionChoice::right: return {Vec3::zero, {1, 0, 0}, 0};
    }
    return {};
}

SectionPlane SectionPlane::through(const std::optional<AABB>& bounds) const {
    SectionPlane moved = *this;
    if (bounds) moved.offset = (bounds->center() - base).dot(normal);
    return moved;
}

std::array<double, 4> SectionPlane::keptSide() const {
    return {-normal.x, -normal.y, -normal.z, point().dot(normal)};
}

std::optional<SectionPlane::Span> SectionPlane::keptSpan(const Ray& ray) const {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const double start = signedDistance(ray.origin);
    const double rate = ray.direction.dot(normal);
    // Along the ray the signed distance is start + rate·t; the kept side is where it is ≤ 0.
    if (rate == 0) {
        if (start <= 0) return Span{0, kInfinity};
        return std::nullopt;
    }
    const double crossing = -start / rate;
    if (rate > 0) {
        if (crossing < 0) return std::nullopt;
        return Span{0, crossing};
    }
    return Span{std::max(0.0, crossing), kInfinity};
}

}  // namespace brontile
