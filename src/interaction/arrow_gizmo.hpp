// The 3D arrow extrusion and push/pull show on a face: its shape, which part a pointer ray is
// over, and its triangles. The drawn arrow and the pickable arrow come from the same values.
#pragma once

#include <optional>
#include <utility>

#include "base/tolerances.hpp"
#include "geometry/ray.hpp"
#include "geometry/solid_mesh.hpp"
#include "geometry/vec3.hpp"

namespace brontile {

struct ArrowGizmo {
    enum class Part { shaft, head, reverse };

    // Lengths in world units (mm).
    Vec3 origin;
    Vec3 direction;
    double length = 0;
    double shaftRadius = 0;
    double headLength = 0;
    double headRadius = 0;
    double reverseLength = 0;

    // Normalises the direction (when longer than 1e-12) and keeps every size sensible: length and
    // shaft radius at least 1e-6, the head at most 0.85 of the length and at least as wide as the
    // shaft, no negative reverse length.
    ArrowGizmo(const Vec3& base, const Vec3& pointing, double fullLength, double shaft, double head,
               double headWidth, double reverse);

    friend bool operator==(const ArrowGizmo&, const ArrowGizmo&) = default;

    // An arrow of constant on-screen proportions: it points against `direction` for a negative
    // distance, reaches 1.2 head lengths past the distance and is never shorter than
    // max(pixelLength, 56) view points; `worldUnitsPerPixel` is the size of one view point.
    [[nodiscard]] static ArrowGizmo standard(const Vec3& origin, const Vec3& direction,
                                             double signedDistance, double pixelLength,
                                             double worldUnitsPerPixel, bool showReverse);

    [[nodiscard]] Vec3 tip() const { return origin + direction * length; }
    [[nodiscard]] Vec3 headBase() const { return origin + direction * (length - headLength); }
    [[nodiscard]] Vec3 reverseTip() const { return origin - direction * reverseLength; }
    // Whether the reverse cone is drawn and can be hit: only when longer than the length tolerance.
    [[nodiscard]] bool hasReverse() const { return reverseLength > kLengthTolerance; }

    // The part the ray passes within reach of, with the ray parameter; the nearer part wins
    // where shaft, head and reverse cone overlap.
    [[nodiscard]] std::optional<std::pair<Part, double>> hit(const Ray& ray,
                                                             double pickRadius) const;
    // Shaft tube, head cone, the head's back face and the reverse cone, with rings of
    // max(segments, 8) sides.
    [[nodiscard]] SolidMesh mesh(int segments) const;
};

}  // namespace brontile
