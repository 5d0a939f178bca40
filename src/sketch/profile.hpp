// A closed region of a sketch: a counter-clockwise outer loop in the sketch plane, the clockwise
// loops of the holes inside it, and the entities that bound them. Extrude, revolve and offset
// work on these.
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
    // Each hole's loop: plane coordinates, clockwise, no repeated closing point, strictly inside
    // `loop` and outside every other hole.
    std::vector<std::vector<Vec2>> holes{};

    friend bool operator==(const Profile&, const Profile&) = default;

    // Enclosed area in mm²: the outer loop's shoelace area less the holes'.
    [[nodiscard]] double area() const;
    // Area centroid in plane coordinates, the holes taken out. A region whose doubled signed
    // area is below 1e-12 gives the mean of its outer points; one or two points give the first;
    // an empty loop gives (0, 0).
    [[nodiscard]] Vec2 centroid2D() const;
    [[nodiscard]] Vec3 centroid3D() const { return plane.toWorld(centroid2D()); }
    // The outer loop in model space.
    [[nodiscard]] std::vector<Vec3> worldPoints() const;
    // The outer loop and then every hole in model space, for drawing the region's outline.
    [[nodiscard]] std::vector<std::vector<Vec3>> worldLoops() const;
    // Inside the outer loop and outside every hole (even-odd rule); `point` is in plane
    // coordinates.
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
        for (const auto& hole : p.holes) {
            for (const brontile::Vec2& point : hole) {
                brontile::hashCombine(seed, std::hash<brontile::Vec2>{}(point));
            }
        }
        for (const brontile::SketchEntityID& id : p.entityIDs) {
            brontile::hashCombine(seed, std::hash<brontile::SketchEntityID>{}(id));
        }
        brontile::hashCombine(seed, std::hash<brontile::Uuid>{}(p.sketchID));
        return seed;
    }
};
