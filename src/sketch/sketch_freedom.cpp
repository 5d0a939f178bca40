#include "sketch/sketch_freedom.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "sketch/constraint_jacobian.hpp"

namespace brontile {
namespace {

using Role = SketchParamRole;

// The solver stops within 1e-7 mm, so a dependence between rows of unit length is blurred by about
// 1e-7 / L on a feature of size L. Ten times that for millimetre features, and proportionally
// more for a sketch smaller than a millimetre, up to a bound past which nothing would count.
constexpr double kRankAccuracy = 1e-6;
constexpr double kLargestRankTolerance = 1e-3;

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

ConstraintRank::ConstraintRank(const Sketch& sketch) : ConstraintRank(sketch, sketch.constraints) {}

ConstraintRank::ConstraintRank(const Sketch& sketch, std::span<const SketchConstraint> constraints)
    : pack_(VariablePack::pack(sketch.entities)),
      residuals_(constraints, pack_),
      echelon_(pack_.values.size(), tolerance(pack_)) {
    const auto rows = rowsOf(residuals_, pack_, pack_.values);
    const auto terms = residuals_.terms();
    for (std::size_t t = 0; t < terms.size(); ++t) {
        for (std::size_t r = 0; r < terms[t].rowCount; ++r) {
            echelon_.add(rows[terms[t].firstRow + r], terms[t].constraintIndex);
        }
    }
}

std::vector<SparseRow> ConstraintRank::rowsOf(const ConstraintResiduals& residuals,
                                              const VariablePack& pack,
                                              std::span<const double> values) {
    std::vector<SparseRow> rows(residuals.rowCount());
    std::array<double, 2 * ConstraintJacobian::kMaxTermColumns> local{};
    for (const ResidualTerm& term : residuals.terms()) {
        ConstraintJacobian::termRows(term, pack, values, local.data());
        const std::size_t width = ConstraintJacobian::columnCount(term, pack);
        for (std::size_t r = 0; r < term.rowCount; ++r) {
            SparseRow& row = rows[term.firstRow + r];
            for (std::size_t c = 0; c < width; ++c) {
                const double v = local[r * width + c];
                if (v != 0) row.emplace_back(ConstraintJacobian::unknownOf(term, pack, c), v);
            }
        }
    }
    return rows;
}

double ConstraintRank::tolerance(const VariablePack& pack) {
    double low = 0;
    double high = 0;
    for (const Slot& slot : pack.slots) {
        if (slot.kind == SlotKind::angle) continue;
        low = std::min(low, pack.values[slot.index]);
        high = std::max(high, pack.values[slot.index]);
    }
    const double size = high - low;
    if (!(size > 0) || !std::isfinite(size)) return kLargestRankTolerance;
    return std::clamp(kRankAccuracy / std::min(size, 1.0), kRankAccuracy, kLargestRankTolerance);
}

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
