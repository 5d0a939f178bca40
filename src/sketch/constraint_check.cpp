#include "sketch/constraint_check.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <unordered_set>

#include "base/overloaded.hpp"
#include "sketch/constraint_rank.hpp"
#include "sketch/constraint_residuals.hpp"
#include "sketch/sketch_constraint_solver.hpp"

namespace brontile::ConstraintCheck {
namespace {

using Outcome = ConstraintVerdict::Outcome;

// The smallest set is searched by leaving constraints out one at a time and solving again; past
// this many solves the set found so far is reported.
constexpr int kSolveBudget = 48;
constexpr std::size_t kLargestSearchedSet = 16;
// A curve shorter than this (in millimetres, or that fraction of a larger sketch) has collapsed;
// it must have been ten times longer before to count as shrunk by the constraint.
constexpr double kCollapsed = 1e-6;
constexpr double kWasDrawn = 10;
// How far a second attempt stirs the sketch before solving, as a fraction of its size.
constexpr double kStir = 1e-3;
constexpr double kStirredCollapse = 10 * kStir;
// At most this many shrinking curves are held at their size before a sketch counts as unsolvable.
constexpr std::size_t kMostHolds = 4;

double extentOf(const Sketch& sketch) {
    double extent = 1;
    for (const SketchEntity& e : sketch.entities) {
        for (const Vec2& p : e.polyline())
            extent = std::max({extent, std::abs(p.x), std::abs(p.y)});
    }
    return extent;
}

// A stirred solve lands a collapsing curve about the stir's size from zero rather than at it.
std::optional<SketchEntityID> collapsedCurve(const Sketch& before, const Sketch& after,
                                             bool stirred = false) {
    const double bound = (stirred ? kStirredCollapse : kCollapsed) * extentOf(before);
    for (std::size_t i = 0; i < before.entities.size() && i < after.entities.size(); ++i) {
        if (sizeOf(before.entities[i]) > kWasDrawn * bound && sizeOf(after.entities[i]) <= bound) {
            return before.entities[i].id;
        }
    }
    return std::nullopt;
}

std::size_t indexOf(const Sketch& sketch, const SketchConstraintID& id) {
    const auto at = std::ranges::find_if(sketch.constraints,
                                         [&](const SketchConstraint& c) { return c.id == id; });
    return static_cast<std::size_t>(at - sketch.constraints.begin());
}

// The constraints tied to the subject through shared entities, in stored order, without it.
std::vector<std::size_t> componentOf(const Sketch& sketch, std::size_t subject) {
    std::unordered_set<SketchEntityID> reached;
    for (const SketchGeomRef& ref : sketch.constraints[subject].refs) reached.insert(ref.entity);
    std::vector<bool> taken(sketch.constraints.size(), false);
    taken[subject] = true;
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t i = 0; i < sketch.constraints.size(); ++i) {
            const SketchConstraint& c = sketch.constraints[i];
            if (taken[i] || std::ranges::none_of(c.refs, [&](const SketchGeomRef& r) {
                    return reached.contains(r.entity);
                })) {
                continue;
            }
            taken[i] = grew = true;
            for (const SketchGeomRef& ref : c.refs) reached.insert(ref.entity);
        }
    }
    std::vector<std::size_t> component;
    for (std::size_t i = 0; i < taken.size(); ++i) {
        if (taken[i] && i != subject) component.push_back(i);
    }
    return component;
}

// The trial with only the chosen others besides the subject and whatever follows `ends` (the
// size a collapsing curve is held at), in stored order.
Sketch restricted(const Sketch& trial, std::size_t subject, std::size_t ends,
                  const std::vector<std::size_t>& kept) {
    Sketch sub = trial;
    sub.constraints.clear();
    for (std::size_t i = 0; i < trial.constraints.size(); ++i) {
        if (i == subject || i >= ends || std::ranges::binary_search(kept, i)) {
            sub.constraints.push_back(trial.constraints[i]);
        }
    }
    return sub;
}

// Leaves out each candidate in turn, latest first, keeping it out while `stillFails` holds
// without it: what remains cannot be spared.
std::vector<std::size_t> smallestFailing(
    std::vector<std::size_t> candidates,
    const std::function<bool(const std::vector<std::size_t>&)>& stillFails, int budget) {
    for (std::size_t k = candidates.size(); k-- > 0 && budget > 0; --budget) {
        std::vector<std::size_t> without = candidates;
        without.erase(without.begin() + static_cast<std::ptrdiff_t>(k));
        if (stillFails(without)) candidates = std::move(without);
    }
    return candidates;
}

// The subject's derivative rows at the sketch's values.
std::vector<SparseRow> subjectRows(const Sketch& sketch, std::size_t subject,
                                   const VariablePack& pack) {
    const ConstraintResiduals own(std::span(&sketch.constraints[subject], 1), pack);
    return ConstraintRank::rowsOf(own, pack, pack.values);
}

std::vector<SketchConstraint> othersOf(const Sketch& sketch, std::size_t subject,
                                       const std::vector<std::size_t>& kept) {
    std::vector<SketchConstraint> others;
    for (const std::size_t i : kept) {
        if (i != subject) others.push_back(sketch.constraints[i]);
    }
    return others;
}

// Whether the others kept span every row of the subject at the sketch's values.
bool spannedBy(const Sketch& sketch, std::size_t subject, const std::vector<std::size_t>& kept) {
    const ConstraintRank rank(sketch, othersOf(sketch, subject, kept));
    const auto rows = subjectRows(sketch, subject, rank.pack());
    if (rows.empty()) return false;
    return std::ranges::all_of(rows,
                               [&](const SparseRow& row) { return rank.echelon().spans(row); });
}

// The others whose rows the subject's rows were made from, as stored indices; nothing when the
// subject's rows are not all in their span.
std::vector<std::size_t> supportOf(const Sketch& sketch, std::size_t subject) {
    std::vector<std::size_t> all(sketch.constraints.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    const auto others = othersOf(sketch, subject, all);
    const ConstraintRank rank(sketch, others);
    std::vector<std::size_t> support;
    for (const SparseRow& row : subjectRows(sketch, subject, rank.pack())) {
        const auto origins = rank.echelon().originsOf(row);
        if (origins.empty()) return {};
        support.insert(support.end(), origins.begin(), origins.end());
    }
    // Origins count among the others; map back past the subject's place.
    for (std::size_t& i : support) i += i >= subject ? 1 : 0;
    std::ranges::sort(support);
    support.erase(std::unique(support.begin(), support.end()), support.end());
    return support;
}

std::vector<SketchConstraintID> idsOf(const Sketch& sketch, const std::vector<std::size_t>& kept) {
    std::vector<SketchConstraintID> ids;
    for (const std::size_t i : kept) ids.push_back(sketch.constraints[i].id);
    return ids;
}

// A solve from the sketch as it is, or from a slightly stirred copy: the solver only looks
// nearby, and from where the user drew it may sit still (perpendicular lines asked of parallel
// ones, where the residual has no slope) or reach the nearest answer by shrinking a curve (a
// vertical asked of a horizontal line) when a turned answer exists.
std::optional<Sketch> solvedWithoutCollapse(const Sketch& trial, bool stir) {
    Sketch attempt = trial;
    if (stir) {
        const double amount = kStir * extentOf(trial);
        std::size_t k = 0;
        for (SketchEntity& e : attempt.entities) {
            const auto nudge = [&] {
                return amount * std::sin(12.9898 * static_cast<double>(++k));
            };
            std::visit(Overloaded{[&](SketchLine& l) {
                                      l.start += {nudge(), nudge()};
                                      l.end += {nudge(), nudge()};
                                  },
                                  [&](SketchCircle& c) {
                                      c.center += {nudge(), nudge()};
                                  },
                                  [&](SketchArc& a) {
                                      a.center += {nudge(), nudge()};
                                      a.startAngle += nudge() / std::max(a.radius, 1.0);
                                  }},
                       e.geometry);
        }
    }
    if (!SketchConstraintSolver::solve(attempt).success) return std::nullopt;
    if (collapsedCurve(trial, attempt, stir)) return std::nullopt;
    return attempt;
}

// The constraint holding a curve at its present size.
SketchConstraint sizeHold(const SketchEntity& curve) {
    SketchConstraint hold;
    hold.id = SketchConstraintID::generate();
    if (curve.isLine()) {
        hold.kind = SketchConstraintKind::distance;
        hold.refs = {{curve.id, SketchParamRole::start}, {curve.id, SketchParamRole::end}};
    } else {
        hold.kind = SketchConstraintKind::radius;
        hold.refs = {{curve.id, SketchParamRole::center}};
    }
    hold.value = sizeOf(curve);
    return hold;
}

// The trial solved without shrinking any curve to a point, if the solver finds a way: as it
// stands, holding the size of a curve the nearest answer shrinks, or stirred.
// What solving without shrinking a curve came to: the answer, or the first curve the nearest
// answer shrank (nothing when the solver found no answer at all).
struct Solvable {
    std::optional<Sketch> solved;
    std::optional<SketchEntityID> shrunk;
};

Solvable solvable(const Sketch& trial) {
    // Each curve the nearest answer shrinks is held at its size in turn, until an answer keeps
    // every curve or the solver finds none.
    Solvable result;
    Sketch held = trial;
    for (std::size_t holds = 0; holds <= kMostHolds; ++holds) {
        Sketch nearest = held;
        if (!SketchConstraintSolver::solve(nearest).success) break;
        const auto collapsed = collapsedCurve(trial, nearest);
        if (!collapsed) {
            nearest.constraints.resize(trial.constraints.size());
            result.solved = std::move(nearest);
            return result;
        }
        if (!result.shrunk) result.shrunk = collapsed;
        held.constraints.push_back(sizeHold(*trial.entity(*collapsed)));
    }
    if (auto stirred = solvedWithoutCollapse(held, true)) {
        stirred->constraints.resize(trial.constraints.size());
        result.solved = std::move(stirred);
    } else if (held.constraints.size() > trial.constraints.size()) {
        result.solved = solvedWithoutCollapse(trial, true);
    }
    return result;
}

// The smallest set of others the subject cannot be solved with without shrinking a curve. The
// constraints from `ends` on are always kept and never reported.
std::vector<std::size_t> conflictSet(const Sketch& trial, std::size_t subject, std::size_t ends) {
    const auto fails = [&](const std::vector<std::size_t>& kept) {
        return !solvable(restricted(trial, subject, ends, kept)).solved.has_value();
    };
    std::vector<std::size_t> component = componentOf(trial, subject);
    std::erase_if(component, [&](std::size_t i) { return i >= ends; });
    // One constraint alone is the plainest answer ("a line cannot be both horizontal and
    // vertical"), and each costs one small solve.
    int budget = kSolveBudget;
    for (const std::size_t one : component) {
        if (budget-- <= 0) break;
        if (fails({one})) return {one};
    }
    // Otherwise a first guess from the derivatives: the others the subject's rows are made of.
    std::vector<std::size_t> candidates = supportOf(trial, subject);
    std::erase_if(candidates, [&](std::size_t i) { return i >= ends; });
    if (candidates.empty() || (candidates.size() <= kLargestSearchedSet && !fails(candidates))) {
        candidates = std::move(component);
    }
    // Leaving constraints out one by one solves the rest each time; past a modest set that
    // would keep the person waiting, and a list that long says little more.
    if (candidates.size() > kLargestSearchedSet) return candidates;
    return smallestFailing(std::move(candidates), fails, std::max(budget, kSolveBudget / 2));
}

}  // namespace

double sizeOf(const SketchEntity& entity) {
    if (const auto* line = std::get_if<SketchLine>(&entity.geometry)) {
        return (line->end - line->start).length();
    }
    return entity.radiusValue().value_or(0);
}

ConstraintVerdict check(const Sketch& trial, const SketchConstraintID& subjectID, bool isNew) {
    const std::size_t subject = indexOf(trial, subjectID);
    ConstraintVerdict verdict;
    if (subject >= trial.constraints.size()) return verdict;
    Solvable solved = solvable(trial);
    if (!solved.solved) {
        // Solvable only by shrinking a curve: the others are looked for with its size held.
        Sketch held = trial;
        if (solved.shrunk) held.constraints.push_back(sizeHold(*trial.entity(*solved.shrunk)));
        verdict.outcome = solved.shrunk ? Outcome::collapsing : Outcome::conflicting;
        verdict.collapsed = solved.shrunk;
        verdict.involved = idsOf(trial, conflictSet(held, subject, trial.constraints.size()));
        return verdict;
    }
    verdict.solved = std::move(*solved.solved);
    if (!isNew) return verdict;
    const std::vector<std::size_t> support = supportOf(verdict.solved, subject);
    if (support.empty()) return verdict;
    verdict.outcome = Outcome::redundant;
    const auto stillSpanned = [&](const std::vector<std::size_t>& kept) {
        return spannedBy(verdict.solved, subject, kept);
    };
    verdict.involved = idsOf(trial, support.size() > kLargestSearchedSet
                                        ? support
                                        : smallestFailing(support, stillSpanned, kSolveBudget));
    return verdict;
}

}  // namespace brontile::ConstraintCheck
