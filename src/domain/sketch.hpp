// A sketch: entities drawn on one plane, with the constraints that tie them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "domain/sketch_constraint.hpp"
#include "domain/sketch_entity.hpp"
#include "domain/sketch_plane.hpp"
#include "domain/uuid.hpp"
#include "domain/vec3.hpp"

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
};

}  // namespace brontile
