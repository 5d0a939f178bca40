// The rank of a sketch's constraints: their exact derivative rows at the sketch's geometry, in
// sparse echelon form. The freedom analysis and the constraint check read spans from it.
#pragma once

#include <span>
#include <vector>

#include "sketch/constraint_residuals.hpp"
#include "sketch/sketch.hpp"
#include "sketch/sparse_echelon.hpp"
#include "sketch/variable_pack.hpp"

namespace brontile {

// The constraints' derivative rows of one sketch in echelon form, with the pack they were read
// from. Row origins are the indices of the constraints in the list given.
class ConstraintRank {
public:
    // Over the sketch's entities, for the given constraints (the sketch's own when left out).
    explicit ConstraintRank(const Sketch& sketch);
    ConstraintRank(const Sketch& sketch, std::span<const SketchConstraint> constraints);

    [[nodiscard]] const VariablePack& pack() const { return pack_; }
    [[nodiscard]] const ConstraintResiduals& residuals() const { return residuals_; }
    [[nodiscard]] const SparseEchelon& echelon() const { return echelon_; }
    // The derivative rows of every term of `residuals` at this sketch's values.
    [[nodiscard]] static std::vector<SparseRow> rowsOf(const ConstraintResiduals& residuals,
                                                       const VariablePack& pack,
                                                       std::span<const double> values);
    // Unit rows below this reduced size count as dependent: a little above the solver's
    // accuracy relative to the sketch's size.
    [[nodiscard]] static double tolerance(const VariablePack& pack);

private:
    VariablePack pack_;
    ConstraintResiduals residuals_;
    SparseEchelon echelon_;
};

}  // namespace brontile
