// Axis-aligned boxes for framing the view and rejecting far-away geometry early.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>

#include "base/hashing.hpp"
#include "geometry/vec3.hpp"

namespace brontile {

// Only ever made from at least one point, so min never exceeds max componentwise.
struct AABB {
    Vec3 min;
    Vec3 max;

    constexpr AABB() = default;
    constexpr AABB(const Vec3& minCorner, const Vec3& maxCorner) : min(minCorner), max(maxCorner) {}

    friend constexpr bool operator==(const AABB&, const AABB&) = default;

    // The box of the points; nothing for an empty list.
    [[nodiscard]] static std::optional<AABB> fromPoints(std::span<const Vec3> points);
    // The box enclosing all boxes; nothing for an empty list.
    [[nodiscard]] static std::optional<AABB> merge(std::span<const AABB> boxes);

    void extend(const Vec3& p);
    // The box enclosing both ("union" in other words; that name is a C++ keyword).
    [[nodiscard]] AABB united(const AABB& other) const;

    [[nodiscard]] constexpr Vec3 center() const { return (min + max) / 2; }
    [[nodiscard]] constexpr Vec3 size() const { return max - min; }
    // Half the diagonal.
    [[nodiscard]] double radius() const { return (max - min).length() / 2; }
};

}  // namespace brontile

template <>
struct std::hash<brontile::AABB> {
    std::size_t operator()(const brontile::AABB& box) const noexcept {
        return brontile::hashFields(box.min, box.max);
    }
};
