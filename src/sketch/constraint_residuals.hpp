// How far each constraint of a sketch is from holding, measured on the solver's value vector.
// Every constraint that applies owns a fixed block of rows, so the vector keeps its length and
// its meaning while the solver nudges single values.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "sketch/constraint_targets.hpp"
#include "sketch/sketch_constraint.hpp"
#include "sketch/variable_pack.hpp"

namespace brontile {

// One constraint bound to the pack: which entities it reads and where its rows go.
struct ResidualTerm {
    SketchConstraintKind kind = SketchConstraintKind::coincident;
    ConstraintTargets targets;
    TangentLayout tangent = TangentLayout::lineCircle;
    // The dimension's value; unused by other kinds.
    double value = 0;
    // Where a fix holds its point; unused by other kinds.
    Vec2 position;
    std::size_t firstRow = 0;
    // Where the constraint stands in the list the residuals were bound from.
    std::size_t constraintIndex = 0;
    // Two for coincident, midpoint and fix, one for every other kind.
    std::size_t rowCount = 0;
    // The distinct entities the rows read (a distance along one line reads one).
    std::array<std::size_t, 2> entities{};
    std::size_t entityCount = 0;
};

class ConstraintResiduals {
public:
    // Binds the constraints in stored order. A constraint adds no rows when its references do
    // not resolve or fit its kind, or when it is a dimension without a finite value: none of that
    // can change while the values move. A guard that depends on the values (a line too short to
    // have a direction) instead makes its row read zero.
    ConstraintResiduals(std::span<const SketchConstraint> constraints, const VariablePack& pack);

    [[nodiscard]] std::size_t rowCount() const { return rowCount_; }
    [[nodiscard]] std::span<const ResidualTerm> terms() const { return terms_; }

    // Every row for `values`.
    void evaluate(const VariablePack& pack, std::span<const double> values,
                  std::vector<double>& rows) const;
    // The term's rows, written to out[0 .. term.rowCount).
    static void evaluateTerm(const ResidualTerm& term, const VariablePack& pack,
                             std::span<const double> values, double* out);

private:
    std::vector<ResidualTerm> terms_;
    std::size_t rowCount_ = 0;
};

}  // namespace brontile
