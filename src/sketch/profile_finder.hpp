// Finds the closed regions of a sketch, from the arrangement its curves make, and picks the region
// under the pointer for extrude, revolve and offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "base/hashing.hpp"
#include "geometry/ray.hpp"
#include "geometry/vec2.hpp"
#include "sketch/profile.hpp"
#include "sketch/sketch.hpp"
#include "sketch/sketch_entity.hpp"
#include "sketch/sketch_plane.hpp"

namespace brontile::ProfileFinder {

// A point snapped to a 0.00001 mm grid. End points are the same vertex exactly when their keys
// are equal: a grid, not a distance, so points 1e-6 apart across a cell boundary stay apart.
struct PointKey {
    std::int64_t x = 0;
    std::int64_t y = 0;

    friend constexpr bool operator==(const PointKey&, const PointKey&) = default;
};

// round(p × 100000) per coordinate, halves away from zero. Nothing when a coordinate is not
// finite or its scaled value does not fit a signed 64-bit integer (beyond about ±9.2e13 mm).
[[nodiscard]] std::optional<PointKey> key(const Vec2& p);

// The regions of the sketch's non-construction curves, each a face of their arrangement
// (Arrangement::regions): curves split wherever they cross, touch or end on one another, a
// closed boundary inside a region a hole in it. Lines not longer than 1e-9 mm are ignored, and
// so is any entity with a point key() cannot quantise (non-finite, or too far from the plane
// origin). Regions never overlap, so at most one contains a point. Recomputed on every call.
[[nodiscard]] std::vector<Profile> profiles(const Sketch& sketch);

// Position of the smallest-area profile that contains `point` (plane coordinates); among equal
// areas the earliest wins. Nothing when no profile contains it.
[[nodiscard]] std::optional<std::size_t> smallestContaining(std::span<const Profile> candidates,
                                                            const Vec2& point);

// The smallest profile of the sketch under a pointer ray: the ray must hit the sketch's plane in
// front of its origin and not run within 1e-9 of parallel to it.
[[nodiscard]] std::optional<Profile> profileAt(const Sketch& sketch, const Ray& ray);

}  // namespace brontile::ProfileFinder

template <>
struct std::hash<brontile::ProfileFinder::PointKey> {
    std::size_t operator()(const brontile::ProfileFinder::PointKey& k) const noexcept {
        return brontile::hashFields(k.x, k.y);
    }
};
