#include "sketch/sketch.hpp"

#include <algorithm>
#include <iterator>
#include <type_traits>
#include <variant>

#include "base/hashing.hpp"
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

std::size_t hashValue(const Sketch& sketch) {
    std::size_t seed = hashFields(sketch.id, sketch.name, sketch.plane.origin, sketch.plane.xAxis,
                                  sketch.plane.yAxis, sketch.isVisible);
    for (const SketchEntity& entity : sketch.entities) {
        hashCombine(seed, hashFields(entity.id, entity.isConstruction, entity.geometry.index()));
        std::visit(
            [&](const auto& g) {
                using G = std::decay_t<decltype(g)>;
                if constexpr (std::is_same_v<G, SketchLine>) {
                    hashCombine(seed, hashFields(g.start, g.end));
                } else if constexpr (std::is_same_v<G, SketchCircle>) {
                    hashCombine(seed, hashFields(g.center, g.radius));
                } else {
                    hashCombine(seed, hashFields(g.center, g.radius, g.startAngle, g.endAngle));
                }
            },
            entity.geometry);
    }
    for (const SketchConstraint& c : sketch.constraints) {
        hashCombine(seed, std::hash<SketchConstraint>{}(c));
    }
    return seed;
}

}  // namespace brontile
