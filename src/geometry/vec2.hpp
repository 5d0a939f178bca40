// Points and directions in a sketch plane's own coordinates, double precision, millimetres.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>

#include "base/hashing.hpp"
#include "base/tolerances.hpp"

namespace brontile {

struct Vec2 {
    double x = 0, y = 0;

    static const Vec2 zero;

    constexpr Vec2() = default;
    constexpr Vec2(double xValue, double yValue) : x(xValue), y(yValue) {}

    friend constexpr bool operator==(const Vec2&, const Vec2&) = default;

    constexpr Vec2 operator+(const Vec2& o) const { return {x + o.x, y + o.y}; }
    constexpr Vec2 operator-(const Vec2& o) const { return {x - o.x, y - o.y}; }
    constexpr Vec2 operator-() const { return {-x, -y}; }
    constexpr Vec2 operator*(double s) const { return {x * s, y * s}; }
    constexpr Vec2 operator/(double s) const { return {x / s, y / s}; }
    friend constexpr Vec2 operator*(double s, const Vec2& v) { return v * s; }
    constexpr Vec2& operator+=(const Vec2& o) { return *this = *this + o; }
    constexpr Vec2& operator-=(const Vec2& o) { return *this = *this - o; }

    [[nodiscard]] constexpr double dot(const Vec2& o) const { return x * o.x + y * o.y; }
    // The z component of the 3D cross product: positive when `o` lies counter-clockwise.
    [[nodiscard]] constexpr double cross(const Vec2& o) const { return x * o.y - y * o.x; }
    [[nodiscard]] constexpr double lengthSquared() const { return dot(*this); }
    [[nodiscard]] double length() const { return std::sqrt(lengthSquared()); }
    [[nodiscard]] double distance(const Vec2& to) const { return (*this - to).length(); }
    [[nodiscard]] bool isFinite() const { return std::isfinite(x) && std::isfinite(y); }

    // Unit vector; a vector not longer than 1e-12 comes back unchanged.
    [[nodiscard]] Vec2 normalized() const {
        const double len = length();
        return len > kNormalizeEpsilon ? *this / len : *this;
    }
    // A quarter turn counter-clockwise.
    [[nodiscard]] constexpr Vec2 perpendicular() const { return {-y, x}; }
    // Direction angle in radians, atan2(y, x).
    [[nodiscard]] double angle() const { return std::atan2(y, x); }
    // Unsigned angle between the two directions, 0…π.
    [[nodiscard]] double angle(const Vec2& to) const {
        return std::abs(std::atan2(cross(to), dot(to)));
    }

    [[nodiscard]] static constexpr Vec2 lerp(const Vec2& a, const Vec2& b, double t) {
        return a + (b - a) * t;
    }

    // The point of segment a–b nearest to p; `a` when the segment is shorter than 1e-9.
    [[nodiscard]] static constexpr Vec2 closestPointOnSegment(const Vec2& p, const Vec2& a,
                                                              const Vec2& b) {
        const Vec2 ab = b - a;
        const double lengthSq = ab.lengthSquared();
        if (lengthSq < kDegenerateSegmentLengthSquared) return a;
        const double t = std::clamp((p - a).dot(ab) / lengthSq, 0.0, 1.0);
        return a + ab * t;
    }
};

inline constexpr Vec2 Vec2::zero{0, 0};

}  // namespace brontile

template <>
struct std::hash<brontile::Vec2> {
    std::size_t operator()(const brontile::Vec2& v) const noexcept {
        return brontile::hashFields(v.x, v.y);
    }
};
