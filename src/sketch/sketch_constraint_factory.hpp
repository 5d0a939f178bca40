// Turns the user's selection of sketch entities into one constraint: checks that the selection
// fits the kind, picks which points of the entities the constraint ties, and measures the
// starting value of a dimension.
#pragma once

#include <optional>
#include <span>
#include <utility>

#include "geometry/vec2.hpp"
#include "sketch/sketch_constraint.hpp"
#include "sketch/sketch_entity.hpp"

namespace brontile::SketchConstraintFactory {

// A new constraint with a fresh id, or nothing when the entities (in selection order) do not fit
// the kind. `value` is the typed dimension in millimetres; distance and radius measure the
// selection when it is absent, every other kind ignores it. A typed or measured value that is not
// finite gives nothing, whatever the kind.
[[nodiscard]] std::optional<SketchConstraint> make(SketchConstraintKind kind,
                                                   std::span<const SketchEntity> entities,
                                                   std::optional<double> value = {});

// A fix holding the entity's point of that role where it stands, or nothing when the role names
// no point of the entity.
[[nodiscard]] std::optional<SketchConstraint> makeFix(const SketchEntity& entity,
                                                      SketchParamRole role);

// A coincident or distance (measured) between two named points; nothing for another kind or a
// role that names no point.
[[nodiscard]] std::optional<SketchConstraint> makeBetweenPoints(SketchConstraintKind kind,
                                                                const SketchEntity& first,
                                                                SketchParamRole firstRole,
                                                                const SketchEntity& second,
                                                                SketchParamRole secondRole);

// Equal length for two lines, equal radius for two circles or arcs, otherwise nothing.
[[nodiscard]] std::optional<SketchConstraint> makeEqual(std::span<const SketchEntity> entities);

// A radius for one circle or arc, otherwise a distance; the value is measured.
[[nodiscard]] std::optional<SketchConstraint> makeDimension(std::span<const SketchEntity> entities);

// The pair of endpoint roles (one of each entity) whose points lie nearest each other. Ties keep
// the first pair in role order; nothing when a role names no point.
[[nodiscard]] std::optional<std::pair<SketchGeomRef, SketchGeomRef>> closestEndpointPair(
    const SketchEntity& first, const SketchEntity& second);

// The endpoint role of the entity nearest to `point`; ties keep the earlier role.
[[nodiscard]] std::optional<SketchParamRole> closestRole(const SketchEntity& entity,
                                                         const Vec2& point);

}  // namespace brontile::SketchConstraintFactory
