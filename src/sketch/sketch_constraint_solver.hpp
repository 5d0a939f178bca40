// Moves the entities of a sketch until its constraints hold: damped Gauss–Newton
// (Levenberg–Marquardt) over every geometric parameter, with a forward-difference Jacobian.
#pragma once

#include "sketch/sketch.hpp"

namespace brontile {

struct ConstraintSolveResult {
    bool success = false;
    // Euclidean norm of the residual vector where the solver stopped.
    double residual = 0;
    int iterations = 0;

    // What a sketch without constraints or unknowns gets: success, residual 0, no iterations.
    static const ConstraintSolveResult unused;

    friend constexpr bool operator==(const ConstraintSolveResult&,
                                     const ConstraintSolveResult&) = default;
};

inline constexpr ConstraintSolveResult ConstraintSolveResult::unused{true, 0, 0};

namespace SketchConstraintSolver {

// Solves the sketch's constraints in place. On success every entity's geometry is replaced by the
// solved one (radii at least 1e-6 mm); ids, order, construction flags and constraints stay. On
// failure — the residual norm still at least 1e-4 after 50 iterations or a vanishing step, or a
// sketch whose values are not finite — the sketch is left exactly as it was. Never throws.
[[nodiscard]] ConstraintSolveResult solve(Sketch& sketch);

}  // namespace SketchConstraintSolver
}  // namespace brontile
