// Constraints: turned from selections into constraints, the sketch's lookups over them, and the
// solver (convergence for every kind, failures that leave the sketch alone, the linear solve
// underneath).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "sketch/dense_solve.hpp"
#include "sketch/sketch.hpp"
#include "sketch/sketch_constraint_factory.hpp"
#include "sketch/sketch_constraint_solver.hpp"
#include "support/sketch_checks.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

namespace Factory = SketchConstraintFactory;
using Kind = SketchConstraintKind;
using Role = SketchParamRole;
using Refs = std::vector<SketchGeomRef>;

using test::arc;
using test::circle;
using test::constraint;
using test::line;
using test::sketchOf;

SketchEntity quarterArc(Vec2 c, double r) { return test::arc(c, r, 0, std::numbers::pi / 2); }

TEST(ConstraintFactory, ReferencesInOrderCoincidentNearestEndsTiesKeepRoleOrder) {
    const SketchEntity a = line({0, 0}, {10, 0}), b = line({10, 0}, {10, 5});
    EXPECT_EQ(Factory::make(Kind::coincident, std::vector{a, b})->refs,
              (Refs{{a.id, Role::end}, {b.id, Role::start}}));
    const SketchEntity same = line({0, 0}, {10, 0});
    EXPECT_EQ(Factory::closestEndpointPair(a, same)->second, (SketchGeomRef{same.id, Role::start}));
    // Midpoint and tangent order their references.
    const SketchEntity other = line({20, 0}, {6, 1}), c = circle({5, 5}, 2), q = quarterArc({}, 1);
    const auto refsOf = [](Kind kind, std::vector<SketchEntity> entities) {
        return Factory::make(kind, entities)->refs;
    };
    EXPECT_EQ(refsOf(Kind::midpoint, {a, other}),
              (Refs{{other.id, Role::end}, {a.id, Role::entity}}));
    EXPECT_EQ(refsOf(Kind::midpoint, {c, a}), (Refs{{c.id, Role::center}, {a.id, Role::entity}}));
    EXPECT_EQ(refsOf(Kind::tangent, {c, a}), (Refs{{a.id, Role::entity}, {c.id, Role::center}}));
    EXPECT_EQ(refsOf(Kind::tangent, {q, c}), (Refs{{q.id, Role::center}, {c.id, Role::center}}));
}

TEST(ConstraintFactory, DistanceMeasuresUnlessAFiniteValueIsTyped) {
    const SketchEntity l = line({0, 0}, {10, 0}), c = circle({12, 3}, 1);
    const auto toCircle = Factory::make(Kind::distance, std::vector{l, c});
    EXPECT_EQ(toCircle->refs, (Refs{{l.id, Role::end}, {c.id, Role::center}}));
    EXPECT_DOUBLE_EQ(*toCircle->value, std::hypot(2, 3));

    const std::vector one{l};
    EXPECT_EQ(Factory::make(Kind::distance, one)->refs,
              (Refs{{l.id, Role::start}, {l.id, Role::end}}));
    EXPECT_EQ(Factory::make(Kind::distance, one)->value, 10);
    EXPECT_EQ(Factory::make(Kind::distance, one, 7.5)->value, 7.5);
    EXPECT_FALSE(Factory::make(Kind::horizontal, one, 5)->value);
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        EXPECT_FALSE(Factory::make(Kind::distance, one, bad));
    }
    EXPECT_FALSE(Factory::make(Kind::distance, std::vector{line({-1e308, 0}, {1e308, 0})}));
}

TEST(ConstraintFactory, EqualAndDimensionChooseTheKindFromTheSelection) {
    const SketchEntity a1 = quarterArc({0, 0}, 3), a2 = quarterArc({9, 0}, 2);
    const auto equal = Factory::makeEqual(std::vector{a1, a2});
    EXPECT_EQ(equal->kind, Kind::equalRadius);
    EXPECT_EQ(equal->refs, (Refs{{a1.id, Role::center}, {a2.id, Role::center}}));
    EXPECT_EQ(Factory::makeEqual(std::vector{line({0, 0}, {1, 0}), line({0, 1}, {1, 1})})->kind,
              Kind::equalLength);
    EXPECT_FALSE(Factory::makeEqual(std::vector{line({0, 0}, {1, 0}), circle({0, 0}, 1)}));
    EXPECT_EQ(Factory::makeDimension(std::vector{a1})->value, 3);
    EXPECT_EQ(Factory::makeDimension(std::vector{a1})->kind, Kind::radius);
    EXPECT_EQ(Factory::makeDimension(std::vector{a1, a2})->kind, Kind::distance);
}

TEST(ConstraintFactory, SelectionsThatDoNotFitGiveNothing) {
    const SketchEntity l = line({0, 0}, {10, 0}), c = circle({5, 5}, 2);
    const std::vector<std::pair<Kind, std::vector<SketchEntity>>> unfit{
        {Kind::coincident, {l}},     {Kind::horizontal, {c}},     {Kind::vertical, {l, l}},
        {Kind::parallel, {l, c}},    {Kind::perpendicular, {l}},  {Kind::equalLength, {c, c}},
        {Kind::equalRadius, {l, c}}, {Kind::midpoint, {c, c}},    {Kind::tangent, {l, l}},
        {Kind::distance, {c}},       {Kind::distance, {l, l, l}}, {Kind::radius, {l}},
        {Kind::radius, {c, c}},      {Kind::horizontal, {}},
    };
    for (const auto& [kind, entities] : unfit) {
        EXPECT_FALSE(Factory::make(kind, entities)) << static_cast<int>(kind);
    }
}

TEST(SketchConstraintQueries, InvolvingAndDroppingKeepStoredOrder) {
    const SketchEntity a = line({0, 0}, {10, 0}), b = line({10, 0}, {10, 5}), c = circle({5, 5}, 2);
    const auto onA = *Factory::make(Kind::horizontal, std::vector{a});
    const auto onC = *Factory::make(Kind::radius, std::vector{c});
    const auto onAB = *Factory::make(Kind::coincident, std::vector{a, b});
    const auto onB = *Factory::make(Kind::vertical, std::vector{b});
    Sketch sketch;
    sketch.constraints = {onA, onC, onAB, onB};
    EXPECT_EQ(sketch.constraintsInvolving({b.id}), (std::vector{onAB, onB}));
    sketch.dropConstraintsForDeletedEntities({a.id});
    EXPECT_EQ(sketch.constraints, (std::vector{onC, onB}));
}

SketchGeomRef ref(const SketchEntity& e, Role role = Role::entity) { return {e.id, role}; }
SketchConstraint length(const SketchEntity& l, std::optional<double> value) {
    return constraint(Kind::distance, {ref(l, Role::start), ref(l, Role::end)}, value);
}

Vec2 at(const Sketch& s, std::size_t i, Role role) { return *s.entities[i].point(role); }
double radiusAt(const Sketch& s, std::size_t i) { return *s.entities[i].radiusValue(); }
double lengthAt(const Sketch& s, std::size_t i) {
    return at(s, i, Role::start).distance(at(s, i, Role::end));
}
Vec2 unitAt(const Sketch& s, std::size_t i) {
    return (at(s, i, Role::end) - at(s, i, Role::start)).normalized();
}
double centerDistance(const Sketch& s) {
    return at(s, 0, Role::center).distance(at(s, 1, Role::center));
}

// Starts from geometry that violates one constraint; `error` measures the violation on the
// solved geometry itself, not through the solver's own residual.
void expectSolves(const char* name, std::vector<SketchEntity> entities, Kind kind,
                  std::vector<std::pair<std::size_t, Role>> refs, std::optional<double> value,
                  const std::function<double(const Sketch&)>& error) {
    SCOPED_TRACE(name);
    std::vector<SketchGeomRef> geomRefs;
    for (const auto& [i, role] : refs) geomRefs.push_back(ref(entities[i], role));
    Sketch s = sketchOf(std::move(entities), {constraint(kind, geomRefs, value)});
    const auto result = SketchConstraintSolver::solve(s);
    EXPECT_TRUE(result.success);
    EXPECT_TRUE(test::isSolved(s));
    EXPECT_GE(result.iterations, 2);
    EXPECT_LE(result.iterations, 50);
    EXPECT_NEAR(error(s), 0, 1e-6);
}

TEST(ConstraintSolver, SolvesEveryKindFromAViolatedStart) {
    const Role E = Role::entity, C = Role::center, S = Role::start;
    expectSolves("coincident", {line({0, 0}, {10, 0}), line({10.5, 0.3}, {10, 8})},
                 Kind::coincident, {{0, Role::end}, {1, S}}, {},
                 [](const Sketch& s) { return at(s, 0, Role::end).distance(at(s, 1, S)); });
    expectSolves("horizontal", {line({0, 0}, {10, 3})}, Kind::horizontal, {{0, E}}, {},
                 [](const Sketch& s) { return unitAt(s, 0).y; });
    expectSolves("vertical", {line({0, 0}, {2, 10})}, Kind::vertical, {{0, E}}, {},
                 [](const Sketch& s) { return unitAt(s, 0).x; });
    expectSolves("parallel", {line({0, 0}, {10, 0}), line({0, 5}, {10, 7})}, Kind::parallel,
                 {{0, E}, {1, E}}, {},
                 [](const Sketch& s) { return unitAt(s, 0).cross(unitAt(s, 1)); });
    expectSolves("perpendicular", {line({0, 0}, {10, 0}), line({0, 0}, {3, 10})},
                 Kind::perpendicular, {{0, E}, {1, E}}, {},
                 [](const Sketch& s) { return unitAt(s, 0).dot(unitAt(s, 1)); });
    expectSolves("equalLength", {line({0, 0}, {10, 0}), line({0, 5}, {6, 5})}, Kind::equalLength,
                 {{0, E}, {1, E}}, {},
                 [](const Sketch& s) { return lengthAt(s, 0) - lengthAt(s, 1); });
    expectSolves("equalRadius", {circle({0, 0}, 4), arc({20, 0}, 7, 0, 2)}, Kind::equalRadius,
                 {{0, C}, {1, C}}, {},
                 [](const Sketch& s) { return radiusAt(s, 0) - radiusAt(s, 1); });
    expectSolves("midpoint", {line({0, 0}, {10, 0}), circle({3, 2}, 1)}, Kind::midpoint,
                 {{1, C}, {0, E}}, {}, [](const Sketch& s) {
                     return at(s, 1, C).distance((at(s, 0, S) + at(s, 0, Role::end)) / 2);
                 });
    // A circle tangent to a line stays on the side of it where it started (left of start→end
    // for +1), about its own size, whichever way the line was drawn.
    const auto tangentOn = [](double side) {
        return [side](const Sketch& s) {
            const double offset = unitAt(s, 0).cross(at(s, 1, C) - at(s, 0, S));
            return offset - side * radiusAt(s, 1) + (std::abs(radiusAt(s, 1) - 3.5) < 0.5 ? 0 : 1);
        };
    };
    for (const auto& [from, to] : {std::pair{Vec2{-10, 0}, Vec2{10, 0}}, {Vec2{10, 0}, {-10, 0}}}) {
        for (const double y : {4.0, -4.0}) {
            SCOPED_TRACE(testing::Message() << "from x " << from.x << ", centre y " << y);
            expectSolves("tangent line and circle", {line(from, to), circle({0, y}, 3)},
                         Kind::tangent, {{0, E}, {1, C}}, {},
                         tangentOn((from.x < to.x) == (y > 0) ? 1 : -1));
        }
    }
    expectSolves("tangent circles, outer", {circle({0, 0}, 5), circle({9, 0}, 3)}, Kind::tangent,
                 {{0, C}, {1, C}}, {}, [](const Sketch& s) {
                     return centerDistance(s) - radiusAt(s, 0) - radiusAt(s, 1);
                 });
    expectSolves("tangent circles, inner when nearer", {circle({0, 0}, 10), circle({6.5, 0}, 3)},
                 Kind::tangent, {{0, C}, {1, C}}, {}, [](const Sketch& s) {
                     return centerDistance(s) - radiusAt(s, 0) + radiusAt(s, 1);
                 });
    expectSolves("distance from an arc end to a line start",
                 {arc({0, 0}, 5, 0, 1.5), line({8, 0}, {8, 5})}, Kind::distance,
                 {{0, Role::end}, {1, S}}, 12,
                 [](const Sketch& s) { return at(s, 0, Role::end).distance(at(s, 1, S)) - 12; });
    expectSolves("radius", {arc({0, 0}, 5, 0, 1.5)}, Kind::radius, {{0, C}}, 8,
                 [](const Sketch& s) { return radiusAt(s, 0) - 8; });
}

// With nothing to do, or no solution, the sketch is left as it was.
TEST(ConstraintSolver, NothingToDoAndFailuresLeaveTheSketchAlone) {
    const auto solved = [](Sketch s) {
        const Sketch before = s;
        const auto result = SketchConstraintSolver::solve(s);
        EXPECT_EQ(s, before);
        return result;
    };
    auto a = line({0, 0}, {10, 3}), c = circle({0, 0}, 2), flat = line({0, 0}, {10, 0});
    EXPECT_EQ(solved(sketchOf({a, c})), ConstraintSolveResult::unused);
    EXPECT_EQ(solved(sketchOf({flat}, {constraint(Kind::horizontal, {ref(flat)})})),
              (ConstraintSolveResult{true, 0, 1}));
    // Missing value, entity gone, wrong entity kind, roles the entity lacks, too few references.
    const auto inapplicable = solved(
        sketchOf({a, c}, {length(a, {}), constraint(Kind::horizontal, {ref(line({0, 0}, {1, 1}))}),
                          constraint(Kind::horizontal, {ref(c)}),
                          constraint(Kind::coincident, {ref(c, Role::start), ref(a, Role::end)}),
                          constraint(Kind::parallel, {ref(a)})}));
    EXPECT_TRUE(inapplicable.success);
    EXPECT_EQ(inapplicable.residual, 0);
    const auto contradictory = solved(sketchOf({flat}, {length(flat, 10), length(flat, 20)}));
    EXPECT_FALSE(contradictory.success);
    EXPECT_NEAR(contradictory.residual, 5 * std::sqrt(2.0), 1e-3);

    auto bad = line({0, 0}, {std::numeric_limits<double>::quiet_NaN(), 1});
    Sketch notFinite = sketchOf({bad}, {constraint(Kind::horizontal, {ref(bad)})});
    EXPECT_FALSE(SketchConstraintSolver::solve(notFinite).success);
    EXPECT_TRUE(std::isnan(at(notFinite, 0, Role::end).x));
    EXPECT_EQ(at(notFinite, 0, Role::end).y, 1);
}

// A radius of zero stops at the smallest radius. A guard that depends on the values (no direction
// for a zero-length line) must not change the shape of the residual vector while single values
// are nudged.
TEST(ConstraintSolver, DegenerateTargetsAndStartsStillSolve) {
    auto c = circle({0, 0}, 5);
    Sketch zero = sketchOf({c}, {constraint(Kind::radius, {ref(c, Role::center)}, 0)});
    EXPECT_TRUE(SketchConstraintSolver::solve(zero).success);
    EXPECT_GE(radiusAt(zero, 0), 1e-6);
    EXPECT_LT(radiusAt(zero, 0), 1e-4);
    auto reference = line({0, 0}, {10, 0}), a = line({2, 3}, {2, 3});
    Sketch s = sketchOf({reference, a},
                        {constraint(Kind::parallel, {ref(reference), ref(a)}), length(a, 5)});
    ASSERT_TRUE(SketchConstraintSolver::solve(s).success);
    EXPECT_NEAR(lengthAt(s, 1), 5, 1e-4);
    EXPECT_NEAR(unitAt(s, 0).cross(unitAt(s, 1)), 0, 1e-4);
}

// A crooked hand-drawn rectangle with the rectangle tool's constraints, two dimensions and a
// construction circle that nothing refers to.
TEST(ConstraintSolver, ConstrainedRectangleSettlesKeepingIdentities) {
    auto bottom = line({0, 0}, {20.3, 0.4}), right = line({20.1, 0.2}, {19.8, 9.7}),
         top = line({20, 10.2}, {0.2, 9.9}), left = line({0.1, 10}, {-0.2, 0.3}),
         c = circle({4, 4}, 1);
    c.isConstruction = true;
    const auto corner = [](const SketchEntity& p, const SketchEntity& q) {
        return constraint(Kind::coincident, {ref(p, Role::end), ref(q, Role::start)});
    };
    Sketch s =
        sketchOf({bottom, right, top, left, c},
                 {corner(bottom, right), corner(right, top), corner(top, left),
                  corner(left, bottom), constraint(Kind::horizontal, {ref(bottom)}),
                  constraint(Kind::horizontal, {ref(top)}), constraint(Kind::vertical, {ref(left)}),
                  constraint(Kind::vertical, {ref(right)}), length(bottom, 25), length(left, 12)});
    const Sketch before = s;
    ASSERT_TRUE(SketchConstraintSolver::solve(s).success);
    EXPECT_NEAR(lengthAt(s, 2), 25, 1e-6);
    EXPECT_NEAR(lengthAt(s, 1), 12, 1e-6);
    EXPECT_TRUE(test::isSolved(s));
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(s.entities[i].id, before.entities[i].id);
    EXPECT_EQ(s.entities[4], before.entities[4]);
    EXPECT_EQ(s.constraints, before.constraints);
}

SquareMatrix matrixOf(std::vector<std::vector<double>> rows) {
    SquareMatrix m(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < rows.size(); ++j) m(i, j) = rows[i][j];
    }
    return m;
}

TEST(DenseSolve, PivotsAndRefusesEmptyMismatchedAndSingularSystems) {
    // A zero on the diagonal forces a row swap.
    const auto x = DenseSolve::solve(matrixOf({{0, 2, 1}, {1, 1, 1}, {2, 1, 3}}), {5, 5, 12});
    ASSERT_TRUE(x);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR((*x)[i], (std::vector{1, 1, 3})[i], 1e-12);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(DenseSolve::solve(SquareMatrix(0), {}));
    EXPECT_FALSE(DenseSolve::solve(matrixOf({{1, 0}, {0, 1}}), {1, 2, 3}));
    EXPECT_FALSE(DenseSolve::solve(matrixOf({{1, 2}, {2, 4}}), {1, 2}));
    EXPECT_FALSE(DenseSolve::solve(matrixOf({{1e-19, 0}, {0, 1}}), {1, 2}));
    EXPECT_FALSE(DenseSolve::solve(matrixOf({{nan, 0}, {0, 1}}), {1, 2}));
}

}  // namespace
}  // namespace brontile
