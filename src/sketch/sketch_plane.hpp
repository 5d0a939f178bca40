// The plane a sketch is drawn on, and the mapping between its 2D coordinates and model space.
#pragma once

#include "geometry/vec2.hpp"
#include "geometry/vec3.hpp"

namespace brontile {

struct SketchPlane {
    Vec3 origin;
    // Unit vectors; normalised on construction, not forced perpendicular.
    Vec3 xAxis = Vec3::unitX;
    Vec3 yAxis = Vec3::unitY;

    // The three principal planes through the model origin.
    static const SketchPlane xy;  // normal +z
    static const SketchPlane xz;  // normal −y
    static const SketchPlane yz;  // normal +x

    // The xy plane.
    constexpr SketchPlane() = default;
    // Stores both axes normalised.
    SketchPlane(const Vec3& planeOrigin, const Vec3& planeXAxis, const Vec3& planeYAxis)
        : origin(planeOrigin), xAxis(planeXAxis.normalized()), yAxis(planeYAxis.normalized()) {}

    // The plane through `origin` facing `normal` (a picked face, any direction): its x axis is
    // the world x axis projected into the plane, or the world y axis when the normal runs
    // along x.
    [[nodiscard]] static SketchPlane fromNormal(const Vec3& origin, const Vec3& normal);

    friend constexpr bool operator==(const SketchPlane&, const SketchPlane&) = default;

    [[nodiscard]] Vec3 normal() const { return xAxis.cross(yAxis).normalized(); }
    [[nodiscard]] constexpr Vec3 toWorld(const Vec2& p) const {
        return origin + xAxis * p.x + yAxis * p.y;
    }
    // Points off the plane are projected orthogonally.
    [[nodiscard]] constexpr Vec2 toLocal(const Vec3& p) const {
        const Vec3 d = p - origin;
        return {d.dot(xAxis), d.dot(yAxis)};
    }

private:
    struct Exact {};
    constexpr SketchPlane(Exact, const Vec3& o, const Vec3& x, const Vec3& y)
        : origin(o), xAxis(x), yAxis(y) {}
};

inline constexpr SketchPlane SketchPlane::xy{Exact{}, Vec3::zero, Vec3::unitX, Vec3::unitY};
inline constexpr SketchPlane SketchPlane::xz{Exact{}, Vec3::zero, Vec3::unitX, Vec3::unitZ};
inline constexpr SketchPlane SketchPlane::yz{Exact{}, Vec3::zero, Vec3::unitY, Vec3::unitZ};

}  // namespace brontile
