// The plane of the section view: everything on the side its normal points to is cut away, so the
// inside of the bodies shows. The plane is a base point and a normal, moved along the normal by
// an offset, so that a typed offset reads as a distance from the plane the user chose.
#pragma once

#include <array>
#include <optional>

#include "geometry/aabb.hpp"
#include "geometry/ray.hpp"
#include "geometry/vec3.hpp"

namespace brontile {

// The three main planes a section can follow, named by the view that looks into the cut.
enum class SectionChoice { top, front, right };

struct SectionPlane {
    Vec3 base;
    // Unit length, pointing into the side cut away.
    Vec3 normal{1, 0, 0};
    // Millimetres along the normal from the base.
    double offset = 0;

    friend bool operator==(const SectionPlane&, const SectionPlane&) = default;

    // The main plane through the origin; the top plane cuts away what is above, the front plane
    // what is in front (−y), the right plane what is to the right (+x).
    [[nodiscard]] static SectionPlane main(SectionChoice choice);
    // The same plane moved to pass through the middle of `bounds` along its normal.
    [[nodiscard]] SectionPlane through(const std::optional<AABB>& bounds) const;
    // The cut a section starts with before any was placed: across x through the bodies' middle.
    [[nodiscard]] static SectionPlane first(const std::optional<AABB>& bounds) {
        return main(SectionChoice::right).through(bounds);
    }
    // Whether this is the plane nobody placed yet (a default-made one).
    [[nodiscard]] bool isUnplaced() const { return *this == SectionPlane{}; }

    [[nodiscard]] Vec3 point() const { return base + normal * offset; }
    // Positive on the side cut away.
    [[nodiscard]] double signedDistance(const Vec3& p) const { return (p - point()).dot(normal); }
    // (a, b, c, d) with a·x + b·y + c·z + d ≥ 0 exactly on the side kept.
    [[nodiscard]] std::array<double, 4> keptSide() const;
    // The part of the ray that runs on the kept side, as ray parameters (the end may be
    // infinite); nothing when the ray never gets there.
    struct Span {
        double from = 0;
        double to = 0;
    };
    [[nodiscard]] std::optional<Span> keptSpan(const Ray& ray) const;
};

}  // namespace brontile
