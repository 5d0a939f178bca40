#include "sketch/constraint_rank.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "sketch/constraint_jacobian.hpp"

namespace brontile {
namespace {

// The solver stops within 1e-7 mm, so a dependence between rows of unit length is blurred by about
// 1e-7 / L on a feature of size L. Ten times that for millimetre features, and proportionally
// more for a sketch smaller than a millimetre, up to a bound past which nothing would count.
constexpr double kRankAccuracy = 1e-6;
constexpr double kLargestRankTolerance = 1e-3;

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

}  // namespace brontile
