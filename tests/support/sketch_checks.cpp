#include "support/sketch_checks.hpp"

#include <cmath>
#include <span>
#include <vector>

#include "sketch/constraint_residuals.hpp"
#include "sketch/variable_pack.hpp"

namespace brontile::test {

testing::AssertionResult isSolved(const Sketch& sketch, double tolerance) {
    const VariablePack pack = VariablePack::pack(sketch.entities);
    std::vector<double> rows;
    testing::AssertionResult result = testing::AssertionSuccess();
    for (std::size_t i = 0; i < sketch.constraints.size(); ++i) {
        // One constraint at a time, so every row is known to be this constraint's.
        const ConstraintResiduals residuals(std::span(&sketch.constraints[i], 1), pack);
        residuals.evaluate(pack, pack.values, rows);
        for (const double row : rows) {
            if (std::abs(row) <= tolerance) continue;
            if (result) result = testing::AssertionFailure() << "residuals above the tolerance:";
            result << "\n  constraint " << i << " (" << rawValue(sketch.constraints[i].kind)
                   << ") is off by " << row;
        }
    }
    return result;
}

}  // namespace brontile::test
