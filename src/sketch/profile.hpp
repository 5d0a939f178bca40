// A closed region of a sketch: a counter-clockwise point loop in the sketch plane and the
// entities that bound it. Extrude, revolve and offset work on these.
#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <vector>

#include "base/hashing.hpp"
#include "geometry/vec2.hpp"
#include "geometry/vec3.hpp"
#include "sketch/sketch_entity.hpp"
#include "sketch/sketch_plane.hpp"

namespace brontile {

struct Profile {
    SketchPlane plane;
    // Plane coordinates, counter-clockwise, no repeated closing point.
    std::vector<Vec2> loop;
    std::set<SketchEntityID> entityIDs;
    // The sketch the region was found in; tools that write an offset or the like go there.
    Uuid sketchID{};

    friend bool operator==(const Profile&, const Profile&) = default;

    // Enclosed area in mm² (the absolute shoelace area of the loop).
    [[nodiscard]] double area() const;
    // Area centroid in plane coordinates. A loop whose doubled signed area is below 1e-12 gives
    // the mean of its points; one or two points give the first; an empty loop gives (0, 0).
    [[nodiscard]] Vec2 centroid2D() const;
    [[nodiscard]] Vec3 centroid3D() const { return plane.toWorld(centroid2D()); }
    // The loop in model space, for drawing the outline of a hovered region.
    [[nodiscard]] std::vector<Vec3> worldPoints() const;
    // Even-odd rule on the loop; `point` is in plane coordinates.
    [[nodiscard]] bool contains(const Vec2& point) const;
};

}  // namespace brontile

template <>
struct std::hash<brontile::Profile> {
    std::size_t operator()(const brontile::Profile& p) const noexcept {
        std::size_t seed = brontile::hashFields(p.plane.origin, p.plane.xAxis, p.plane.yAxis);
        for (const brontile::Vec2& point : p.loop) {
            brontile::hashCombine(seed, std::hash<brontile::Vec2>{}(point));
        }
        for (const brontile::SketchEntityID& id : p.entityIDs) {
            brontile::hashCombine(seed, std::hash<brontile::SketchEntityID>{}(id));
        }
        brontile::hashCombine(seed, std::hash<brontile::Uuid>{}(p.sketchID));
        return seed;
    }
};
