// A sketch: entities drawn on one plane, with the constraints that tie them.
#pragma once

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/uuid.hpp"
#include "geometry/vec3.hpp"
#include "sketch/sketch_constraint.hpp"
#include "sketch/sketch_entity.hpp"
#include "sketch/sketch_plane.hpp"

namespace brontile {

struct Sketch {
    Uuid id;
    std::string name;
    SketchPlane plane;
    std::vector<SketchEntity> entities;
    bool isVisible = true;
    std::vector<SketchConstraint> constraints;

    friend bool operator==(const Sketch&, const Sketch&) = default;

    // The first entity with that id.
    [[nodiscard]] std::optional<SketchEntity> entity(const SketchEntityID& entityID) const;
    // Every entity's polyline in model space, concatenated in entity order.
    [[nodiscard]] std::vector<Vec3> worldPoints() const;

    // The first constraint with that id.
    [[nodiscard]] std::optional<SketchConstraint> constraint(
        const SketchConstraintID& constraintID) const;
    // The constraints referring to any of the entities, in stored order.
    [[nodiscard]] std::vector<SketchConstraint> constraintsInvolving(
        const std::unordered_set<SketchEntityID>& entityIDs) const;
    // Removes every constraint referring to any of the entities; the rest keep their order.
    void dropConstraintsForDeletedEntities(const std::unordered_set<SketchEntityID>& entityIDs);
};

// A hash of the whole sketch: equal sketches hash alike.
[[nodiscard]] std::size_t hashValue(const Sketch& sketch);

}  // namespace brontile
