#include "sketch/constraint_targets.hpp"

#include "base/identified.hpp"
#include "base/invariant.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;

std::size_t referenceCount(Kind kind) {
    switch (kind) {
        case Kind::horizontal:
        case Kind::vertical:
        case Kind::radius:
        case Kind::fix: return 1;
        case Kind::coincident:
        case Kind::parallel:
        case Kind::perpendicular:
        case Kind::equalLength:
        case Kind::equalRadius:
        case Kind::midpoint:
        case Kind::tangent:
        case Kind::distance: return 2;
    }
    BRONTILE_UNREACHABLE("a constraint kind outside the enumeration");
}

bool hasPoint(const SketchEntity& e, SketchParamRole role) { return e.point(role).has_value(); }

// The geometry each kind needs of its resolved references, in reference order.
bool fitsKind(Kind kind, const SketchEntity& a, SketchParamRole roleA, const SketchEntity* b,
              SketchParamRole roleB) {
    switch (kind) {
        case Kind::horizontal:
        case Kind::vertical: return a.isLine();
        case Kind::radius: return a.isCircleLike();
        case Kind::fix: return hasPoint(a, roleA);
        case Kind::parallel:
        case Kind::perpendicular:
        case Kind::equalLength: return a.isLine() && b->isLine();
        case Kind::equalRadius: return a.isCircleLike() && b->isCircleLike();
        case Kind::midpoint: return hasPoint(a, roleA) && b->isLine();
        case Kind::tangent: return b->isCircleLike();
        case Kind::coincident:
        case Kind::distance: return hasPoint(a, roleA) && hasPoint(*b, roleB);
    }
    return false;
}

}  // namespace

std::optional<ConstraintTargets> resolveTargets(const SketchConstraint& constraint,
                                                std::span<const SketchEntity> entities) {
    const std::size_t count = referenceCount(constraint.kind);
    if (constraint.refs.size() != count) return std::nullopt;
    ConstraintTargets resolved;
    resolved.count = count;
    for (std::size_t i = 0; i < count; ++i) {
        const auto index = indexOfId(entities, constraint.refs[i].entity);
        if (!index) return std::nullopt;
        resolved.targets[i] = {*index, constraint.refs[i].role};
    }
    const SketchEntity& first = entities[resolved[0].entityIndex];
    const SketchEntity* second = count == 2 ? &entities[resolved[1].entityIndex] : nullptr;
    if (!fitsKind(constraint.kind, first, resolved[0].role, second, resolved[1].role)) {
        return std::nullopt;
    }
    return resolved;
}

TangentLayout tangentLayout(const ConstraintTargets& targets,
                            std::span<const SketchEntity> entities) {
    return entities[targets[0].entityIndex].isLine() ? TangentLayout::lineCircle
                                                     : TangentLayout::circleCircle;
}

}  // namespace brontile
