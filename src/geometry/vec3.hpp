// Points and directions in model space, double precision, millimetres.
#pragma once

#include <cmath>
#include <cstddef>
#include <functional>

#include "base/hashing.hpp"
#include "base/tolerances.hpp"
#include "geometry/float_vectors.hpp"

namespace brontile {

struct Vec3 {
    double x = 0, y = 0, z = 0;

    static const Vec3 zero;
    static const Vec3 unitX;
    static const Vec3 unitY;
    static const Vec3 unitZ;

    constexpr Vec3() = default;
    constexpr Vec3(double xValue, double yValue, double zValue) : x(xValue), y(yValue), z(zValue) {}
    constexpr explicit Vec3(const Float3& v) : x(v.x), y(v.y), z(v.z) {}

    friend constexpr bool operator==(const Vec3&, const Vec3&) = default;

    constexpr Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Vec3 operator-() const { return {-x, -y, -z}; }
    constexpr Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
    constexpr Vec3 operator/(double s) const { return {x / s, y / s, z / s}; }
    friend constexpr Vec3 operator*(double s, const Vec3& v) { return v * s; }
    constexpr Vec3& operator+=(const Vec3& o) { return *this = *this + o; }
    constexpr Vec3& operator-=(const Vec3& o) { return *this = *this - o; }

    [[nodiscard]] constexpr double dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
    // Right-handed: unitX.cross(unitY) == unitZ.
    [[nodiscard]] constexpr Vec3 cross(const Vec3& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    [[nodiscard]] constexpr double lengthSquared() const { return dot(*this); }
    [[nodiscard]] double length() const { return std::sqrt(lengthSquared()); }
    [[nodiscard]] double distance(const Vec3& to) const { return (*this - to).length(); }
    [[nodiscard]] bool isFinite() const {
        return std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
    }

    // Unit vector; a vector not longer than 1e-12 comes back unchanged (zero stays zero).
    [[nodiscard]] Vec3 normalized() const {
        const double len = length();
        return len > kNormalizeEpsilon ? *this / len : *this;
    }

    [[nodiscard]] static constexpr Vec3 lerp(const Vec3& a, const Vec3& b, double t) {
        return a + (b - a) * t;
    }

    // A unit vector perpendicular to this one (zero when this one is zero).
    [[nodiscard]] Vec3 anyPerpendicular() const;
    // Rotation about the line through `origin` along `axis`, right-hand rule, radians.
    [[nodiscard]] Vec3 rotated(const Vec3& axis, const Vec3& origin, double angle) const;
    [[nodiscard]] constexpr Vec3 scaled(const Vec3& center, double factor) const {
        return center + (*this - center) * factor;
    }
    // Reflection in the plane through `planeOrigin` with the given normal (any length).
    [[nodiscard]] Vec3 mirrored(const Vec3& planeOrigin, const Vec3& planeNormal) const;

    [[nodiscard]] constexpr Float3 simd() const {
        return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    }
    // A position for the renderer: w = 1.
    [[nodiscard]] constexpr Float4 simd4() const {
        return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1.0f};
    }
};

inline constexpr Vec3 Vec3::zero{0, 0, 0};
inline constexpr Vec3 Vec3::unitX{1, 0, 0};
inline constexpr Vec3 Vec3::unitY{0, 1, 0};
inline constexpr Vec3 Vec3::unitZ{0, 0, 1};

inline Vec3 Vec3::anyPerpendicular() const {
    const Vec3 n = normalized();
    const Vec3 reference = std::abs(n.x) < 0.9 ? unitX : unitY;
    return n.cross(reference).normalized();
}

inline Vec3 Vec3::rotated(const Vec3& axis, const Vec3& origin, double angle) const {
    const Vec3 k = axis.normalized();
    const Vec3 d = *this - origin;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return origin + d * c + k.cross(d) * s + k * ((1 - c) * k.dot(d));
}

inline Vec3 Vec3::mirrored(const Vec3& planeOrigin, const Vec3& planeNormal) const {
    const Vec3 n = planeNormal.normalized();
    return *this - n * (2 * (*this - planeOrigin).dot(n));
}

}  // namespace brontile

template <>
struct std::hash<brontile::Vec3> {
    std::size_t operator()(const brontile::Vec3& v) const noexcept {
        return brontile::hashFields(v.x, v.y, v.z);
    }
};
