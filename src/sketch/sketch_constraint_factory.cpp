// Selection rules for new constraints: which entities each kind accepts, which of their points
// it ties, and the starting value of a dimension.
#include "sketch/sketch_constraint_factory.hpp"

#include <cmath>
#include <variant>
#include <vector>

namespace brontile::SketchConstraintFactory {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;

SketchConstraint fresh(Kind kind, std::vector<SketchGeomRef> refs,
                       std::optional<double> value = {}) {
    return {SketchConstraintID::generate(), kind, std::move(refs), value};
}

SketchGeomRef whole(const SketchEntity& e) { return {e.id, Role::entity}; }
SketchGeomRef centre(const SketchEntity& e) { return {e.id, Role::center}; }

bool bothLines(std::span<const SketchEntity> e) {
    return e.size() == 2 && e[0].isLine() && e[1].isLine();
}
bool bothCircleLike(std::span<const SketchEntity> e) {
    return e.size() == 2 && e[0].isCircleLike() && e[1].isCircleLike();
}

std::optional<SketchConstraint> coincident(std::span<const SketchEntity> e) {
    if (e.size() != 2) return std::nullopt;
    const auto pair = closestEndpointPair(e[0], e[1]);
    if (!pair) return std::nullopt;
    return fresh(Kind::coincident, {pair->first, pair->second});
}

std::optional<SketchConstraint> midpoint(std::span<const SketchEntity> e) {
    if (e.size() != 2 || !(e[0].isLine() || e[1].isLine())) return std::nullopt;
    const bool firstIsLine = e[0].isLine();
    const SketchEntity& line = firstIsLine ? e[0] : e[1];
    const SketchEntity& owner = firstIsLine ? e[1] : e[0];
    const auto& segment = std::get<SketchLine>(line.geometry);
    const auto role = closestRole(owner, (segment.start + segment.end) / 2);
    if (!role) return std::nullopt;
    return fresh(Kind::midpoint, {{owner.id, *role}, whole(line)});
}

std::optional<SketchConstraint> tangent(std::span<const SketchEntity> e) {
    if (e.size() != 2) return std::nullopt;
    if (bothCircleLike(e)) return fresh(Kind::tangent, {centre(e[0]), centre(e[1])});
    if (e[0].isLine() && e[1].isCircleLike()) {
        return fresh(Kind::tangent, {whole(e[0]), centre(e[1])});
    }
    if (e[0].isCircleLike() && e[1].isLine()) {
        return fresh(Kind::tangent, {whole(e[1]), centre(e[0])});
    }
    return std::nullopt;
}

std::optional<SketchConstraint> distance(std::span<const SketchEntity> e,
                                         std::optional<double> value) {
    if (e.size() == 1 && e[0].isLine()) {
        const auto& segment = std::get<SketchLine>(e[0].geometry);
        return fresh(Kind::distance, {{e[0].id, Role::start}, {e[0].id, Role::end}},
                     value.value_or(segment.start.distance(segment.end)));
    }
    if (e.size() != 2) return std::nullopt;
    const auto pair = closestEndpointPair(e[0], e[1]);
    if (!pair) return std::nullopt;
    // closestEndpointPair only returns roles whose points exist.
    const Vec2 a = e[0].point(pair->first.role).value_or(Vec2::zero);
    const Vec2 b = e[1].point(pair->second.role).value_or(Vec2::zero);
    return fresh(Kind::distance, {pair->first, pair->second}, value.value_or(a.distance(b)));
}

std::optional<SketchConstraint> radius(std::span<const SketchEntity> e,
                                       std::optional<double> value) {
    if (e.size() != 1 || !e[0].isCircleLike()) return std::nullopt;
    return fresh(Kind::radius, {centre(e[0])}, value.value_or(e[0].radiusValue().value_or(0)));
}

std::optional<SketchConstraint> build(Kind kind, std::span<const SketchEntity> e,
                                      std::optional<double> value) {
    switch (kind) {
        case Kind::coincident: return coincident(e);
        case Kind::horizontal:
        case Kind::vertical:
            if (e.size() != 1 || !e[0].isLine()) return std::nullopt;
            return fresh(kind, {whole(e[0])});
        case Kind::parallel:
        case Kind::perpendicular:
        case Kind::equalLength:
            if (!bothLines(e)) return std::nullopt;
            return fresh(kind, {whole(e[0]), whole(e[1])});
        case Kind::equalRadius:
            if (!bothCircleLike(e)) return std::nullopt;
            return fresh(kind, {centre(e[0]), centre(e[1])});
        case Kind::midpoint: return midpoint(e);
        case Kind::tangent: return tangent(e);
        case Kind::distance: return distance(e, value);
        case Kind::radius: return radius(e, value);
        // A circle or arc is held by its centre; any other point is named with makeFix.
        case Kind::fix:
            if (e.size() != 1 || !e[0].isCircleLike()) return std::nullopt;
            return makeFix(e[0], Role::center);
    }
    return std::nullopt;
}

}  // namespace

std::optional<SketchConstraint> make(Kind kind, std::span<const SketchEntity> entities,
                                     std::optional<double> value) {
    // Safety net: a broken value (NaN from a failed parse, a measurement that overflowed) must
    // never reach the solver, where it would poison every residual.
    if (value && !std::isfinite(*value)) return std::nullopt;
    auto made = build(kind, entities, value);
    if (made && made->value && !std::isfinite(*made->value)) return std::nullopt;
    return made;
}

std::optional<SketchConstraint> makeFix(const SketchEntity& entity, SketchParamRole role) {
    const auto point = entity.point(role);
    if (!point || !point->isFinite()) return std::nullopt;
    SketchConstraint fix = fresh(Kind::fix, {{entity.id, role}});
    fix.position = *point;
    return fix;
}

std::optional<SketchConstraint> makeBetweenPoints(Kind kind, const SketchEntity& first,
                                                  SketchParamRole firstRole,
                                                  const SketchEntity& second,
                                                  SketchParamRole secondRole) {
    const auto a = first.point(firstRole);
    const auto b = second.point(secondRole);
    if (!a || !b || (kind != Kind::coincident && kind != Kind::distance)) return std::nullopt;
    std::optional<double> value;
    if (kind == Kind::distance) value = a->distance(*b);
    if (value && !std::isfinite(*value)) return std::nullopt;
    return fresh(kind, {{first.id, firstRole}, {second.id, secondRole}}, value);
}

std::optional<SketchConstraint> makeEqual(std::span<const SketchEntity> entities) {
    if (auto equalLength = make(Kind::equalLength, entities)) return equalLength;
    return make(Kind::equalRadius, entities);
}

std::optional<SketchConstraint> makeDimension(std::span<const SketchEntity> entities) {
    const bool oneCircleLike = entities.size() == 1 && entities[0].isCircleLike();
    return make(oneCircleLike ? Kind::radius : Kind::distance, entities);
}

std::optional<std::pair<SketchGeomRef, SketchGeomRef>> closestEndpointPair(
    const SketchEntity& first, const SketchEntity& second) {
    std::optional<std::pair<SketchGeomRef, SketchGeomRef>> best;
    double bestDistance = 0;
    for (const Role roleA : first.endpointRoles()) {
        const auto a = first.point(roleA);
        if (!a) return std::nullopt;
        for (const Role roleB : second.endpointRoles()) {
            const auto b = second.point(roleB);
            if (!b) return std::nullopt;
            const double d = a->distance(*b);
            if (best && !(d < bestDistance)) continue;
            best = {{first.id, roleA}, {second.id, roleB}};
            bestDistance = d;
        }
    }
    return best;
}

std::optional<SketchParamRole> closestRole(const SketchEntity& entity, const Vec2& point) {
    std::optional<Role> best;
    double bestDistance = 0;
    for (const Role role : entity.endpointRoles()) {
        const auto p = entity.point(role);
        if (!p) continue;
        const double d = p->distance(point);
        if (best && !(d < bestDistance)) continue;
        best = role;
        bestDistance = d;
    }
    return best;
}

}  // namespace brontile::SketchConstraintFactory
