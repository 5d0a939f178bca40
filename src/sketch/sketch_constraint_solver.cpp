#include "sketch/sketch_constraint_solver.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "base/invariant.hpp"
#include "sketch/constraint_residuals.hpp"
#include "sketch/dense_solve.hpp"
#include "sketch/variable_pack.hpp"

namespace brontile {
namespace {

constexpr int kMaxIterations = 50;
constexpr double kInitialDamping = 1e-3;
constexpr double kMinDamping = 1e-10;
constexpr double kMaxDamping = 1e6;
constexpr double kFailedSolveGrowth = 8;
constexpr double kRejectedStepGrowth = 6;
constexpr double kAcceptedStepShrink = 0.4;
constexpr double kConvergedResidual = 1e-7;
constexpr double kVanishingStep = 1e-12;
constexpr double kAcceptableResidual = 1e-4;
constexpr double kAcceptableCost = 1e-8;
// Forward-difference step and its reciprocal; the quotient is taken by multiplying.
constexpr double kDifferenceStep = 1e-7;
constexpr double kInverseDifferenceStep = 1e7;

constexpr std::size_t kNotActive = std::numeric_limits<std::size_t>::max();

double sumOfSquares(const std::vector<double>& v) {
    double sum = 0;
    for (const double x : v) sum += x * x;
    return sum;
}

// The least-squares problem of one solve. Each constraint reads at most two entities, so the
// Jacobian is kept per term over just those entities' unknowns. Unknowns no term reads have
// all-zero columns: their step is exactly zero, so they are left out of the linear system.
class Problem {
public:
    Problem(const VariablePack& pack, const ConstraintResiduals& residuals)
        : pack_(pack), residuals_(residuals), activeIndex_(pack.values.size(), kNotActive) {
        termsOfEntity_.resize(pack.entities.size());
        const auto terms = residuals.terms();
        for (std::size_t t = 0; t < terms.size(); ++t) {
            for (std::size_t k = 0; k < terms[t].entityCount; ++k) {
                const std::size_t e = terms[t].entities[k];
                termsOfEntity_[e].push_back(t);
                const EntityLayout& layout = pack.layouts[e];
                for (std::size_t j = layout.start; j < layout.start + layout.count; ++j) {
                    activeIndex_[j] = 0;
                }
            }
            jacobian_.emplace_back(terms[t].rowCount * columnCount(terms[t]), 0.0);
        }
        for (std::size_t j = 0; j < activeIndex_.size(); ++j) {
            if (activeIndex_[j] == kNotActive) continue;
            activeIndex_[j] = active_.size();
            active_.push_back(j);
        }
    }

    [[nodiscard]] std::size_t activeCount() const { return active_.size(); }
    [[nodiscard]] std::size_t activeUnknown(std::size_t a) const { return active_[a]; }

    void evaluate(const std::vector<double>& values, std::vector<double>& rows) const {
        residuals_.evaluate(pack_, values, rows);
    }

    // Column j is (r(x + h·e_j) − r(x)) · 1/h; only the terms reading unknown j can change.
    void updateJacobian(std::vector<double>& values, const std::vector<double>& base) {
        const auto terms = residuals_.terms();
        double buffer[2];
        for (const std::size_t j : active_) {
            const std::size_t entity = pack_.slots[j].entityIndex;
            const double saved = values[j];
            values[j] = saved + kDifferenceStep;
            for (const std::size_t t : termsOfEntity_[entity]) {
                const ResidualTerm& term = terms[t];
                ConstraintResiduals::evaluateTerm(term, pack_, values, buffer);
                const std::size_t column = columnOf(term, entity, j);
                const std::size_t width = columnCount(term);
                for (std::size_t r = 0; r < term.rowCount; ++r) {
                    jacobian_[t][r * width + column] =
                        (buffer[r] - base[term.firstRow + r]) * kInverseDifferenceStep;
                }
            }
            values[j] = saved;
        }
    }

    // The damped normal equations (JᵀJ + λI)·δ = −Jᵀr over the active unknowns, summed row by
    // row in residual order.
    [[nodiscard]] std::optional<std::vector<double>> step(const std::vector<double>& r,
                                                          double damping) const {
        const std::size_t n = active_.size();
        SquareMatrix a(n);
        std::vector<double> g(n, 0.0);
        const auto terms = residuals_.terms();
        for (std::size_t t = 0; t < terms.size(); ++t) {
            accumulateTerm(terms[t], jacobian_[t], r, a, g);
        }
        for (std::size_t i = 0; i < n; ++i) {
            a(i, i) += damping;
            g[i] = -g[i];
        }
        return DenseSolve::solve(std::move(a), std::move(g));
    }

private:
    [[nodiscard]] std::size_t columnCount(const ResidualTerm& term) const {
        std::size_t count = 0;
        for (std::size_t k = 0; k < term.entityCount; ++k) {
            count += pack_.layouts[term.entities[k]].count;
        }
        return count;
    }

    // The term's local column of unknown j, which belongs to `entity`.
    [[nodiscard]] std::size_t columnOf(const ResidualTerm& term, std::size_t entity,
                                       std::size_t j) const {
        std::size_t offset = 0;
        for (std::size_t k = 0; term.entities[k] != entity; ++k) {
            offset += pack_.layouts[term.entities[k]].count;
        }
        return offset + (j - pack_.layouts[entity].start);
    }

    // The term's global unknowns in local column order.
    [[nodiscard]] std::size_t unknownOfColumn(const ResidualTerm& term, std::size_t column) const {
        for (std::size_t k = 0;; ++k) {
            const EntityLayout& layout = pack_.layouts[term.entities[k]];
            if (column < layout.count) return layout.start + column;
            column -= layout.count;
        }
    }

    void accumulateTerm(const ResidualTerm& term, const std::vector<double>& jacobian,
                        const std::vector<double>& r, SquareMatrix& a,
                        std::vector<double>& g) const {
        const std::size_t width = columnCount(term);
        for (std::size_t row = 0; row < term.rowCount; ++row) {
            const double* j = jacobian.data() + row * width;
            const double residual = r[term.firstRow + row];
            for (std::size_t c1 = 0; c1 < width; ++c1) {
                if (j[c1] == 0.0) continue;
                const std::size_t i1 = activeIndex_[unknownOfColumn(term, c1)];
                g[i1] += j[c1] * residual;
                for (std::size_t c2 = 0; c2 < width; ++c2) {
                    if (j[c2] == 0.0) continue;
                    a(i1, activeIndex_[unknownOfColumn(term, c2)]) += j[c1] * j[c2];
                }
            }
        }
    }

    const VariablePack& pack_;
    const ConstraintResiduals& residuals_;
    std::vector<std::size_t> active_;
    std::vector<std::size_t> activeIndex_;
    std::vector<std::vector<std::size_t>> termsOfEntity_;
    // Per term: rowCount × columnCount entries, row by row.
    std::vector<std::vector<double>> jacobian_;
};

bool allFinite(const std::vector<double>& v) {
    return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

std::vector<double> trialValues(const VariablePack& pack, const Problem& problem,
                                const std::vector<double>& values,
                                const std::vector<double>& delta) {
    std::vector<double> trial = values;
    for (std::size_t a = 0; a < delta.size(); ++a) trial[problem.activeUnknown(a)] += delta[a];
    for (const Slot& slot : pack.slots) {
        if (slot.kind == SlotKind::radius) {
            trial[slot.index] = std::max(trial[slot.index], kMinimumSolvedRadius);
        }
    }
    return trial;
}

// Writes by position: the pack was made from this sketch's entities, in order.
void apply(const VariablePack& pack, const std::vector<double>& values, Sketch& sketch) {
    const auto solved = pack.entitiesFrom(values);
    BRONTILE_INVARIANT(solved.size() == sketch.entities.size(),
                       "solved geometry for a different number of entities than the sketch has");
    for (std::size_t i = 0; i < solved.size(); ++i) {
        sketch.entities[i].geometry = solved[i].geometry;
    }
}

}  // namespace

ConstraintSolveResult SketchConstraintSolver::solve(Sketch& sketch) {
    if (sketch.constraints.empty()) return ConstraintSolveResult::unused;
    const VariablePack pack = VariablePack::pack(sketch.entities);
    if (pack.values.empty()) return ConstraintSolveResult::unused;
    const ConstraintResiduals residuals(sketch.constraints, pack);
    Problem problem(pack, residuals);

    std::vector<double> values = pack.values;
    std::vector<double> r;
    problem.evaluate(values, r);
    double cost = sumOfSquares(r);
    // Non-finite values could only come back out as non-finite geometry: refuse them up front.
    if (!std::isfinite(cost) || !allFinite(values)) {
        return {false, std::numeric_limits<double>::infinity(), 0};
    }

    double damping = kInitialDamping;
    int iterations = 0;
    for (int k = 0; k < kMaxIterations; ++k) {
        problem.evaluate(values, r);
        ++iterations;
        const double norm = std::sqrt(sumOfSquares(r));
        if (norm < kConvergedResidual) {
            apply(pack, values, sketch);
            return {true, norm, iterations};
        }
        problem.updateJacobian(values, r);
        const auto delta = problem.step(r, damping);
        if (!delta || !allFinite(*delta)) {
            damping = std::min(damping * kFailedSolveGrowth, kMaxDamping);
            continue;
        }
        if (std::sqrt(sumOfSquares(*delta)) < kVanishingStep) break;
        auto trial = trialValues(pack, problem, values, *delta);
        problem.evaluate(trial, r);
        const double trialCost = sumOfSquares(r);
        // A NaN cost is rejected like a worse one.
        if (!(trialCost < cost)) {
            damping = std::min(damping * kRejectedStepGrowth, kMaxDamping);
        } else {
            values = std::move(trial);
            cost = trialCost;
            damping = std::max(damping * kAcceptedStepShrink, kMinDamping);
        }
    }
    problem.evaluate(values, r);
    const double norm = std::sqrt(sumOfSquares(r));
    if (norm >= kAcceptableResidual && cost >= kAcceptableCost) return {false, norm, iterations};
    apply(pack, values, sketch);
    return {true, norm, iterations};
}

}  // namespace brontile
