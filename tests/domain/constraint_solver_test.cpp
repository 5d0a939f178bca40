// The constraint solver: convergence for every kind, failures that leave the sketch alone, and
// the linear solve underneath.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "domain/dense_solve.hpp"
#include "domain/sketch_constraint_solver.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;

SketchEntity line(double x1, double y1, double x2, double y2) {
    return {SketchEntityID::generate(), SketchLine{{x1, y1}, {x2, y2}}, false};
}
SketchEntity circle(double cx, double cy, double r) {
    return {SketchEntityID::generate(), SketchCircle{{cx, cy}, r}, false};
}
SketchEntity arc(double cx, double cy, double r, double a0, double a1) {
    return {SketchEntityID::generate(), SketchArc{{cx, cy}, r, a0, a1}, false};
}
SketchGeomRef ref(const SketchEntity& e, Role role = Role::entity) { return {e.id, role}; }
SketchConstraint constraint(Kind kind, std::vector<SketchGeomRef> refs,
                            std::optional<double> value = {}) {
    return {SketchConstraintID::generate(), kind, std::move(refs), value};
}

Sketch sketchOf(std::vector<SketchEntity> entities, std::vector<SketchConstraint> constraints) {
    Sketch s;
    s.id = Uuid::random();
    s.name = "Sketch";
    s.entities = std::move(entities);
    s.constraints = std::move(constraints);
    return s;
}

const SketchLine& lineAt(const Sketch& s, std::size_t i) {
    return std::get<SketchLine>(s.entities[i].geometry);
}
Vec2 pointOf(const Sketch& s, std::size_t i, Role role) { return *s.entities[i].point(role); }
double radiusAt(const Sketch& s, std::size_t i) { return *s.entities[i].radiusValue(); }
double lengthAt(const Sketch& s, std::size_t i) {
    return lineAt(s, i).start.distance(lineAt(s, i).end);
}
Vec2 unitAt(const Sketch& s, std::size_t i) {
    return (lineAt(s, i).end - lineAt(s, i).start).normalized();
}

TEST(ConstraintSolver, LeavesASketchWithoutConstraintsAlone) {
    Sketch s = sketchOf({line(0, 0, 3, 4), circle(1, 1, 0)}, {});
    const Sketch before = s;
    EXPECT_EQ(SketchConstraintSolver::solve(s), ConstraintSolveResult::unused);
    EXPECT_EQ(s, before);
}

// Each row starts from geometry that violates one constraint and checks the geometry itself
// once solved, not the solver's own residual.
struct KindCase {
    std::string name;
    std::function<Sketch()> make;
    std::function<void(const Sketch&)> check;
};

constexpr double tol = 1e-6;

std::vector<KindCase> kindCases() {
    return {
        {"coincident",
         [] {
             auto a = line(0, 0, 10, 0), b = line(10.5, 0.3, 10, 8);
             return sketchOf(
                 {a, b}, {constraint(Kind::coincident, {ref(a, Role::end), ref(b, Role::start)})});
         },
         [](const Sketch& s) {
             EXPECT_LT(pointOf(s, 0, Role::end).distance(pointOf(s, 1, Role::start)), tol);
         }},
        {"horizontal",
         [] {
             auto a = line(0, 0, 10, 3);
             return sketchOf({a}, {constraint(Kind::horizontal, {ref(a)})});
         },
         [](const Sketch& s) {
             EXPECT_NEAR(lineAt(s, 0).start.y, lineAt(s, 0).end.y, tol);
             // Both ends share the correction.
             EXPECT_GT(lineAt(s, 0).start.y, 0.1);
             EXPECT_LT(lineAt(s, 0).end.y, 2.9);
         }},
        {"vertical",
         [] {
             auto a = line(0, 0, 2, 10);
             return sketchOf({a}, {constraint(Kind::vertical, {ref(a)})});
         },
         [](const Sketch& s) { EXPECT_NEAR(lineAt(s, 0).start.x, lineAt(s, 0).end.x, tol); }},
        {"parallel",
         [] {
             auto a = line(0, 0, 10, 0), b = line(0, 5, 10, 7);
             return sketchOf({a, b}, {constraint(Kind::parallel, {ref(a), ref(b)})});
         },
         [](const Sketch& s) { EXPECT_NEAR(unitAt(s, 0).cross(unitAt(s, 1)), 0, tol); }},
        {"perpendicular",
         [] {
             auto a = line(0, 0, 10, 0), b = line(0, 0, 3, 10);
             return sketchOf({a, b}, {constraint(Kind::perpendicular, {ref(a), ref(b)})});
         },
         [](const Sketch& s) { EXPECT_NEAR(unitAt(s, 0).dot(unitAt(s, 1)), 0, tol); }},
        {"equalLength",
         [] {
             auto a = line(0, 0, 10, 0), b = line(0, 5, 6, 5);
             return sketchOf({a, b}, {constraint(Kind::equalLength, {ref(a), ref(b)})});
         },
         [](const Sketch& s) { EXPECT_NEAR(lengthAt(s, 0), lengthAt(s, 1), tol); }},
        {"equalRadius",
         [] {
             auto a = circle(0, 0, 4), b = arc(20, 0, 7, 0, 2);
             return sketchOf({a, b}, {constraint(Kind::equalRadius,
                                                 {ref(a, Role::center), ref(b, Role::center)})});
         },
         [](const Sketch& s) { EXPECT_NEAR(radiusAt(s, 0), radiusAt(s, 1), tol); }},
        {"midpoint",
         [] {
             auto a = line(0, 0, 10, 0), c = circle(3, 2, 1);
             return sketchOf({a, c}, {constraint(Kind::midpoint, {ref(c, Role::center), ref(a)})});
         },
         [](const Sketch& s) {
             const Vec2 mid = (lineAt(s, 0).start + lineAt(s, 0).end) / 2;
             EXPECT_LT(pointOf(s, 1, Role::center).distance(mid), tol);
         }},
        {"tangent line and circle",
         [] {
             auto a = line(-10, 0, 10, 0), c = circle(0, 4, 3);
             return sketchOf({a, c}, {constraint(Kind::tangent, {ref(a), ref(c, Role::center)})});
         },
         [](const Sketch& s) {
             const auto& l = lineAt(s, 0);
             const Vec2 c = pointOf(s, 1, Role::center);
             const double distance = std::abs((l.end - l.start).normalized().cross(c - l.start));
             EXPECT_NEAR(distance, radiusAt(s, 1), tol);
         }},
        {"tangent circles, outer",
         [] {
             auto a = circle(0, 0, 5), b = circle(9, 0, 3);
             return sketchOf(
                 {a, b}, {constraint(Kind::tangent, {ref(a, Role::center), ref(b, Role::center)})});
         },
         [](const Sketch& s) {
             const double d = pointOf(s, 0, Role::center).distance(pointOf(s, 1, Role::center));
             EXPECT_NEAR(d, radiusAt(s, 0) + radiusAt(s, 1), tol);
         }},
        {"tangent circles, inner when nearer",
         [] {
             auto a = circle(0, 0, 10), b = circle(6.5, 0, 3);
             return sketchOf(
                 {a, b}, {constraint(Kind::tangent, {ref(a, Role::center), ref(b, Role::center)})});
         },
         [](const Sketch& s) {
             const double d = pointOf(s, 0, Role::center).distance(pointOf(s, 1, Role::center));
             EXPECT_NEAR(d, radiusAt(s, 0) - radiusAt(s, 1), tol);
         }},
        {"distance between an arc end and a line start",
         [] {
             auto a = arc(0, 0, 5, 0, 1.5), b = line(8, 0, 8, 5);
             return sketchOf({a, b}, {constraint(Kind::distance,
                                                 {ref(a, Role::end), ref(b, Role::start)}, 12)});
         },
         [](const Sketch& s) {
             EXPECT_NEAR(pointOf(s, 0, Role::end).distance(pointOf(s, 1, Role::start)), 12, tol);
         }},
        {"radius",
         [] {
             auto a = arc(0, 0, 5, 0, 1.5);
             return sketchOf({a}, {constraint(Kind::radius, {ref(a, Role::center)}, 8)});
         },
         [](const Sketch& s) { EXPECT_NEAR(radiusAt(s, 0), 8, tol); }},
    };
}

TEST(ConstraintSolver, SolvesEveryKindFromAViolatedStart) {
    for (const KindCase& c : kindCases()) {
        SCOPED_TRACE(c.name);
        Sketch s = c.make();
        const auto result = SketchConstraintSolver::solve(s);
        EXPECT_TRUE(result.success);
        EXPECT_LT(result.residual, 1e-4);
        EXPECT_GE(result.iterations, 2);
        EXPECT_LE(result.iterations, 50);
        c.check(s);
    }
}

TEST(ConstraintSolver, SatisfiedSketchSucceedsOnTheFirstEvaluation) {
    auto a = line(0, 0, 10, 0);
    Sketch s = sketchOf({a}, {constraint(Kind::horizontal, {ref(a)})});
    const auto result = SketchConstraintSolver::solve(s);
    EXPECT_TRUE(result.success);
    EXPECT_EQ(result.iterations, 1);
    EXPECT_EQ(result.residual, 0);
}

TEST(ConstraintSolver, HorizontalConvergesQuicklyBelowTheTightTolerance) {
    auto a = line(0, 0, 10, 4);
    Sketch s = sketchOf({a}, {constraint(Kind::horizontal, {ref(a)})});
    const auto result = SketchConstraintSolver::solve(s);
    EXPECT_TRUE(result.success);
    EXPECT_LT(result.residual, 1e-7);
    EXPECT_LE(result.iterations, 5);
}

TEST(ConstraintSolver, ContradictoryDimensionsFailAndLeaveTheSketchUntouched) {
    auto a = line(0, 0, 12, 0);
    Sketch s =
        sketchOf({a}, {constraint(Kind::distance, {ref(a, Role::start), ref(a, Role::end)}, 10),
                       constraint(Kind::distance, {ref(a, Role::start), ref(a, Role::end)}, 20)});
    const Sketch before = s;
    const auto result = SketchConstraintSolver::solve(s);
    EXPECT_FALSE(result.success);
    EXPECT_NEAR(result.residual, 5 * std::sqrt(2.0), 1e-3);
    EXPECT_EQ(s, before);
}

TEST(ConstraintSolver, RadiusOfZeroStopsAtTheSmallestRadius) {
    auto c = circle(0, 0, 5);
    Sketch s = sketchOf({c}, {constraint(Kind::radius, {ref(c, Role::center)}, 0)});
    const auto result = SketchConstraintSolver::solve(s);
    EXPECT_TRUE(result.success);
    EXPECT_GE(radiusAt(s, 0), 1e-6);
    EXPECT_LT(radiusAt(s, 0), 1e-4);
}

TEST(ConstraintSolver, ConstraintsThatCannotApplyAddNothing) {
    auto a = line(0, 0, 10, 3), c = circle(0, 0, 2);
    const SketchEntity gone = line(0, 0, 1, 1);
    Sketch s =
        sketchOf({a, c}, {
                             constraint(Kind::distance, {ref(a, Role::start), ref(a, Role::end)}),
                             constraint(Kind::horizontal, {ref(gone)}),
                             constraint(Kind::horizontal, {ref(c)}),
                             constraint(Kind::coincident, {ref(c, Role::start), ref(a, Role::end)}),
                             constraint(Kind::parallel, {ref(a)}),
                         });
    const Sketch before = s;
    const auto result = SketchConstraintSolver::solve(s);
    EXPECT_TRUE(result.success);
    EXPECT_EQ(result.residual, 0);
    EXPECT_EQ(s, before);
}

// A guard that depends on the values (no direction for a zero-length line) must not change the
// shape of the residual vector while single values are nudged.
TEST(ConstraintSolver, ZeroLengthLineWithParallelAndLengthIsSolvable) {
    auto reference = line(0, 0, 10, 0), a = line(2, 3, 2, 3);
    Sketch s = sketchOf({reference, a},
                        {constraint(Kind::parallel, {ref(reference), ref(a)}),
                         constraint(Kind::distance, {ref(a, Role::start), ref(a, Role::end)}, 5)});
    const auto result = SketchConstraintSolver::solve(s);
    ASSERT_TRUE(result.success);
    EXPECT_NEAR(lengthAt(s, 1), 5, 1e-4);
    EXPECT_NEAR(unitAt(s, 0).cross(unitAt(s, 1)), 0, 1e-4);
}

TEST(ConstraintSolver, WriteBackKeepsIdentitiesOrderFlagsAndConstraints) {
    auto a = line(0, 0, 10, 2), b = line(10, 2, 10, 9), c = circle(4, 4, 1);
    c.isConstruction = true;
    Sketch s = sketchOf({a, b, c},
                        {constraint(Kind::horizontal, {ref(a)}),
                         constraint(Kind::coincident, {ref(a, Role::end), ref(b, Role::start)})});
    const Sketch before = s;
    ASSERT_TRUE(SketchConstraintSolver::solve(s).success);
    ASSERT_EQ(s.entities.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(s.entities[i].id, before.entities[i].id);
        EXPECT_EQ(s.entities[i].isConstruction, before.entities[i].isConstruction);
    }
    EXPECT_EQ(s.constraints, before.constraints);
    EXPECT_EQ(s.entities[2], before.entities[2])
        << "an untouched circle stays exactly where it was";
    EXPECT_LT(pointOf(s, 0, Role::end).distance(pointOf(s, 1, Role::start)), 1e-6);
}

TEST(ConstraintSolver, ConstrainedRectangleSettles) {
    // A hand-drawn, slightly crooked rectangle with the constraints the rectangle tool adds plus
    // two dimensions.
    auto bottom = line(0, 0, 20.3, 0.4), right = line(20.1, 0.2, 19.8, 9.7),
         top = line(20, 10.2, 0.2, 9.9), left = line(0.1, 10, -0.2, 0.3);
    std::vector<SketchConstraint> cs = {
        constraint(Kind::coincident, {ref(bottom, Role::end), ref(right, Role::start)}),
        constraint(Kind::coincident, {ref(right, Role::end), ref(top, Role::start)}),
        constraint(Kind::coincident, {ref(top, Role::end), ref(left, Role::start)}),
        constraint(Kind::coincident, {ref(left, Role::end), ref(bottom, Role::start)}),
        constraint(Kind::horizontal, {ref(bottom)}),
        constraint(Kind::horizontal, {ref(top)}),
        constraint(Kind::vertical, {ref(left)}),
        constraint(Kind::vertical, {ref(right)}),
        constraint(Kind::distance, {ref(bottom, Role::start), ref(bottom, Role::end)}, 25),
        constraint(Kind::distance, {ref(left, Role::start), ref(left, Role::end)}, 12),
    };
    Sketch s = sketchOf({bottom, right, top, left}, cs);
    ASSERT_TRUE(SketchConstraintSolver::solve(s).success);
    EXPECT_NEAR(lengthAt(s, 0), 25, 1e-6);
    EXPECT_NEAR(lengthAt(s, 1), 12, 1e-6);
    EXPECT_NEAR(lengthAt(s, 2), 25, 1e-6);
    EXPECT_NEAR(lineAt(s, 0).start.y, lineAt(s, 0).end.y, 1e-6);
    EXPECT_LT(lineAt(s, 3).end.distance(lineAt(s, 0).start), 1e-6);
}

TEST(ConstraintSolver, RefusesNonFiniteGeometryWithoutTouchingIt) {
    auto a = line(0, 0, std::numeric_limits<double>::quiet_NaN(), 1);
    Sketch s = sketchOf({a}, {constraint(Kind::horizontal, {ref(a)})});
    const auto result = SketchConstraintSolver::solve(s);
    EXPECT_FALSE(result.success);
    EXPECT_TRUE(std::isnan(lineAt(s, 0).end.x));
    EXPECT_EQ(lineAt(s, 0).end.y, 1);
}

SquareMatrix matrixOf(std::vector<std::vector<double>> rows) {
    SquareMatrix m(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < rows.size(); ++j) m(i, j) = rows[i][j];
    }
    return m;
}

TEST(DenseSolve, SolvesSystemsThatNeedPivoting) {
    // A zero on the diagonal forces a row swap.
    const auto x = DenseSolve::solve(matrixOf({{0, 2, 1}, {1, 1, 1}, {2, 1, 3}}), {5, 5, 12});
    ASSERT_TRUE(x);
    const std::vector<double> expected{1, 1, 3};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR((*x)[i], expected[i], 1e-12);
}

TEST(DenseSolve, RefusesEmptyMismatchedAndSingularSystems) {
    EXPECT_FALSE(DenseSolve::solve(SquareMatrix(0), {}));
    EXPECT_FALSE(DenseSolve::solve(matrixOf({{1, 0}, {0, 1}}), {1, 2, 3}));
    EXPECT_FALSE(DenseSolve::solve(matrixOf({{1, 2}, {2, 4}}), {1, 2}));
    EXPECT_FALSE(DenseSolve::solve(matrixOf({{1e-19, 0}, {0, 1}}), {1, 2}));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(DenseSolve::solve(matrixOf({{nan, 0}, {0, 1}}), {1, 2}));
}

}  // namespace
}  // namespace brontile
