#include "sketch/sketch.hpp"

#include <algorithm>
#include <iterator>

#include "base/identified.hpp"

namespace brontile {
namespace {

bool involvesAny(const SketchConstraint& constraint,
                 const std::unordered_set<SketchEntityID>& entityIDs) {
    return std::any_of(constraint.refs.begin(), constraint.refs.end(),
                       [&](const SketchGeomRef& ref) { return entityIDs.contains(ref.entity); });
}

}  // namespace

std::optional<SketchEntity> Sketch::entity(const SketchEntityID& entityID) const {
    return elementWithId(entities, entityID);
}

std::vector<Vec3> Sketch::worldPoints() const {
    std::vector<Vec3> points;
    for (const SketchEntity& e : entities) {
        for (const Vec2& p : e.polyline()) points.push_back(plane.toWorld(p));
    }
    return points;
}

std::optional<SketchConstraint> Sketch::constraint(const SketchConstraintID& constraintID) const {
    return elementWithId(constraints, constraintID);
}

std::vector<SketchConstraint> Sketch::constraintsInvolving(
    const std::unordered_set<SketchEntityID>& entityIDs) const {
    std::vector<SketchConstraint> found;
    std::copy_if(constraints.begin(), constraints.end(), std::back_inserter(found),
                 [&](const SketchConstraint& c) { return involvesAny(c, entityIDs); });
    return found;
}

void Sketch::dropConstraintsForDeletedEntities(
    const std::unordered_set<SketchEntityID>& entityIDs) {
    std::erase_if(constraints,
                  [&](const SketchConstraint& c) { return involvesAny(c, entityIDs); });
}

}  // namespace brontile
