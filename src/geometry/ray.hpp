// Picking rays from the eye through the pointer, and their meeting points with planes,
// triangles, lines and segments.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

#include "base/hashing.hpp"
#include "geometry/vec3.hpp"

namespace brontile {

struct Ray {
    Vec3 origin;
    // Unit length, unless the given direction was shorter than 1e-12 (then kept as given).
    Vec3 direction;

    constexpr Ray() = default;
    Ray(const Vec3& rayOrigin, const Vec3& rayDirection)
        : origin(rayOrigin), direction(rayDirection.normalized()) {}

    friend constexpr bool operator==(const Ray&, const Ray&) = default;

    struct PlaneHit {
        double t = 0;
        Vec3 point;
    };
    struct LineParameters {
        double rayT = 0;
        // Distance along the normalised line direction, not a fraction.
        double lineT = 0;
    };
    struct SegmentProximity {
        double rayT = 0;
        double lineT = 0;  // distance from the segment's first end, 0…length
        Vec3 point;        // nearest point on the segment
        double distance = 0;
    };

    [[nodiscard]] constexpr Vec3 point(double t) const { return origin + direction * t; }

    // Hit in front of the origin (t > 0); nothing when the ray runs within 1e-9 of parallel.
    [[nodiscard]] std::optional<PlaneHit> intersectPlane(const Vec3& planeOrigin,
                                                         const Vec3& normal) const;
    // Möller–Trumbore, both windings; edges and corners count (1e-9); needs t > 1e-9.
    [[nodiscard]] std::optional<double> intersectTriangle(const Vec3& a, const Vec3& b,
                                                          const Vec3& c) const;
    // Parameters of the mutually nearest points of the ray's line and the given line; nothing
    // when they are parallel.
    [[nodiscard]] std::optional<LineParameters> closestParameters(const Vec3& linePoint,
                                                                  const Vec3& lineDirection) const;
    // Nearest approach of the ray to the segment a–b. Always a result when the ray is parallel
    // to the segment; otherwise nothing when the nearest point lies behind the origin.
    [[nodiscard]] std::optional<SegmentProximity> distanceToSegment(const Vec3& a,
                                                                    const Vec3& b) const;
};

}  // namespace brontile

template <>
struct std::hash<brontile::Ray> {
    std::size_t operator()(const brontile::Ray& r) const noexcept {
        return brontile::hashFields(r.origin, r.direction);
    }
};
