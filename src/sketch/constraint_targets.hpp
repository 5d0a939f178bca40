// Where the references of a stored constraint land in its sketch's entity list, and whether they
// fit the constraint's kind. Glyph drawing and the solver both start from this, so a constraint
// that one of them ignores is ignored by the other too.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>

#include "sketch/sketch_constraint.hpp"
#include "sketch/sketch_entity.hpp"

namespace brontile {

struct ConstraintTarget {
    std::size_t entityIndex = 0;
    SketchParamRole role = SketchParamRole::entity;
    friend constexpr bool operator==(const ConstraintTarget&, const ConstraintTarget&) = default;
};

struct ConstraintTargets {
    std::array<ConstraintTarget, 2> targets{};
    // 1 for horizontal, vertical and radius; 2 for every other kind.
    std::size_t count = 0;

    [[nodiscard]] const ConstraintTarget& operator[](std::size_t i) const { return targets[i]; }
    friend constexpr bool operator==(const ConstraintTargets&, const ConstraintTargets&) = default;
};

// Whether a tangent runs between a line and a circle-like or between two circle-likes.
enum class TangentLayout { lineCircle, circleCircle };

// The entity positions of the constraint's references, or nothing when an entity is missing, the
// number of references is not the kind's, an entity has the wrong geometry (a horizontal on a
// circle) or a role names no point where the kind needs one. A dimension's value plays no part.
[[nodiscard]] std::optional<ConstraintTargets> resolveTargets(
    const SketchConstraint& constraint, std::span<const SketchEntity> entities);

// For a tangent whose targets resolved: which of the two layouts it has.
[[nodiscard]] TangentLayout tangentLayout(const ConstraintTargets& targets,
                                          std::span<const SketchEntity> entities);

}  // namespace brontile
