// How much of a sketch its constraints pin down: the degrees of freedom left, and which curves and
// points no remaining freedom can move. Read from the rank of the constraints' derivatives at the
// sketch's current geometry.
#pragma once

#include <unordered_set>

#include "sketch/constraint_residuals.hpp"
#include "sketch/sketch.hpp"
#include "sketch/sparse_echelon.hpp"
#include "sketch/variable_pack.hpp"

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

[[nodiscard]] SketchFreedom analyzeFreedom(const Sketch& sketch);

}  // namespace brontile
