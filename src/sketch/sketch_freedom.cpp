#include "sketch/sketch_freedom.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "sketch/constraint_rank.hpp"

namespace brontile {
namespace {

using Role = SketchParamRole;

SparseRow unitRow(std::size_t column) { return {{column, 1.0}}; }

// The derivative rows of a point's x and y over its entity's unknowns.
std::array<SparseRow, 2> pointRows(const SketchEntity& entity, const EntityLayout& layout,
                                   Role role) {
    const std::size_t s = layout.start;
    if (entity.isLine()) {
        const std::size_t at = s + (role == Role::start ? 0 : 2);
        return {unitRow(at), unitRow(at + 1)};
    }
    const auto* arc = std::get_if<SketchArc>(&entity.geometry);
    if (arc == nullptr || role == Role::center) return {unitRow(s), unitRow(s + 1)};
    const double angle = role == Role::start ? arc->startAngle : arc->endAngle;
    const std::size_t angleColumn = s + (role == Role::start ? 3 : 4);
    const double c = std::cos(angle);
    const double n = std::sin(angle);
    return {SparseRow{{s, 1.0}, {s + 2, c}, {angleColumn, -arc->radius * n}},
            SparseRow{{s + 1, 1.0}, {s + 2, n}, {angleColumn, arc->radius * c}}};
}

std::vector<Role> pointRolesOf(const SketchEntity& entity) {
    if (entity.isLine()) return {Role::start, Role::end};
    if (std::holds_alternative<SketchArc>(entity.geometry)) {
        return {Role::center, Role::start, Role::end};
    }
    return {Role::center};
}

}  // namespace

SketchFreedom analyzeFreedom(const Sketch& sketch) {
    const ConstraintRank rank(sketch);
    const VariablePack& pack = rank.pack();
    const SparseEchelon& echelon = rank.echelon();
    SketchFreedom freedom;
    freedom.degrees = pack.values.size() - echelon.rank();
    for (std::size_t e = 0; e < pack.entities.size(); ++e) {
        const SketchEntity& entity = pack.entities[e];
        const EntityLayout& layout = pack.layouts[e];
        bool whole = true;
        for (std::size_t j = layout.start; j < layout.start + layout.count && whole; ++j) {
            whole = echelon.spans(unitRow(j));
        }
        if (whole) freedom.determinedEntities.insert(entity.id);
        for (const Role role : pointRolesOf(entity)) {
            const auto rows = pointRows(entity, layout, role);
            if (whole || (echelon.spans(rows[0]) && echelon.spans(rows[1]))) {
                freedom.determinedPoints.insert({entity.id, role});
            }
        }
    }
    return freedom;
}

}  // namespace brontile
