// How much of a sketch its constraints pin down: the degrees of freedom left, and which curves and
// points no remaining freedom can move. Read from the rank of the constraints' derivatives at the
// sketch's current geometry.
#pragma once

#include <unordered_set>

#include "sketch/sketch.hpp"

namespace brontile {

struct SketchFreedom {
    // Unknowns less the rank: the independent ways the sketch can still move.
    std::size_t degrees = 0;
    // Curves whose every parameter is fixed.
    std::unordered_set<SketchEntityID> determinedEntities;
    // End points and centres that cannot move (those of determined curves included).
    std::unordered_set<SketchGeomRef> determinedPoints;

    friend bool operator==(const SketchFreedom&, const SketchFreedom&) = default;

    [[nodiscard]] bool isFullyConstrained() const { return degrees == 0; }
    [[nodiscard]] bool isDetermined(const SketchEntityID& entity) const {
        return determinedEntities.contains(entity);
    }
    [[nodiscard]] bool isDetermined(const SketchGeomRef& point) const {
        return determinedPoints.contains(point);
    }
};

[[nodiscard]] SketchFreedom analyzeFreedom(const Sketch& sketch);

}  // namespace brontile
