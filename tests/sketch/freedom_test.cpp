// Degrees of freedom: the exact derivatives they are read from, the count as a sketch is
// constrained step by step, which curves and points are pinned, and redundancy.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "sketch/constraint_jacobian.hpp"
#include "sketch/constraint_rank.hpp"
#include "sketch/constraint_residuals.hpp"
#include "sketch/sketch_constraint_factory.hpp"
#include "sketch/sketch_constraint_solver.hpp"
#include "sketch/sketch_freedom.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;
using test::arc;
using test::circle;
using test::constraint;
using test::line;
using test::sketchOf;

using test::at;
using test::lengthOf;
using test::whole;

void add(Sketch& sketch, SketchConstraint c) { sketch.constraints.push_back(std::move(c)); }

// Every term's exact rows against central differences of the form they differentiate.
void expectRowsMatchDifferences(const Sketch& sketch) {
    const VariablePack pack = VariablePack::pack(sketch.entities);
    const ConstraintResiduals residuals(sketch.constraints, pack);
    ASSERT_EQ(residuals.terms().size(), sketch.constraints.size());
    std::vector<double> values = pack.values;
    for (const ResidualTerm& term : residuals.terms()) {
        double exact[20];
        ConstraintJacobian::termRows(term, pack, values, exact);
        const std::size_t width = ConstraintJacobian::columnCount(term, pack);
        for (std::size_t col = 0; col < width; ++col) {
            const std::size_t j = ConstraintJacobian::unknownOf(term, pack, col);
            constexpr double h = 1e-6;
            double up[2], down[2];
            values[j] += h;
            ConstraintJacobian::termValues(term, pack, pack.values, values, up);
            values[j] -= 2 * h;
            ConstraintJacobian::termValues(term, pack, pack.values, values, down);
            values[j] += h;
            for (std::size_t r = 0; r < term.rowCount; ++r) {
                EXPECT_NEAR(exact[r * width + col], (up[r] - down[r]) / (2 * h), 1e-6)
                    << displayName(term.kind) << " row " << r << " column " << col;
            }
        }
    }
}

TEST(ConstraintJacobian, MatchesCentralDifferencesForEveryKind) {
    const SketchEntity a = line({0.3, 0.1}, {10, 2}), b = line({1, 5}, {8, 9.5});
    const SketchEntity c = circle({4, -6}, 2.5), d = arc({-5, 3}, 3, 0.4, 2.1);
    const Sketch sketch =
        sketchOf({a, b, c, d},
                 {constraint(Kind::coincident, {at(a, Role::end), at(d, Role::start)}),
                  constraint(Kind::horizontal, {whole(a)}), constraint(Kind::vertical, {whole(b)}),
                  constraint(Kind::parallel, {whole(a), whole(b)}),
                  constraint(Kind::perpendicular, {whole(a), whole(b)}),
                  constraint(Kind::equalLength, {whole(a), whole(b)}),
                  constraint(Kind::equalRadius, {at(c, Role::center), at(d, Role::center)}),
                  constraint(Kind::midpoint, {at(d, Role::end), whole(b)}),
                  constraint(Kind::tangent, {whole(a), at(c, Role::center)}),
                  constraint(Kind::tangent, {whole(b), at(d, Role::center)}),
                  constraint(Kind::tangent, {at(c, Role::center), at(d, Role::center)}),
                  constraint(Kind::distance, {at(b, Role::start), at(d, Role::end)}, 4),
                  constraint(Kind::distance, {at(a, Role::start), at(a, Role::end)}, 4),
                  constraint(Kind::radius, {at(c, Role::center)}, 1),
                  *SketchConstraintFactory::makeFix(d, Role::start)});
    expectRowsMatchDifferences(sketch);
    // The tangents of a slot meet their arcs at joined ends: the angle form is taken there.
    expectRowsMatchDifferences(test::slotSketch());
}

TEST(SketchFreedom, RectangleCountsDownToFullyConstrainedAndPinsEverything) {
    Sketch sketch = test::rectangleSketch(0, 0, 40, 20);
    const SketchEntity bottom = sketch.entities[0], right = sketch.entities[1];
    EXPECT_EQ(analyzeFreedom(sketch).degrees, 4u);
    add(sketch, lengthOf(bottom, 40));
    EXPECT_EQ(analyzeFreedom(sketch).degrees, 3u);
    add(sketch, lengthOf(right, 20));
    const SketchFreedom dimensioned = analyzeFreedom(sketch);
    EXPECT_EQ(dimensioned.degrees, 2u);
    // Still free to slide: nothing is pinned.
    EXPECT_TRUE(dimensioned.determinedEntities.empty());
    EXPECT_TRUE(dimensioned.determinedPoints.empty());
    add(sketch, *SketchConstraintFactory::makeFix(bottom, Role::start));
    const SketchFreedom fixed = analyzeFreedom(sketch);
    EXPECT_TRUE(fixed.isFullyConstrained());
    for (const SketchEntity& edge : sketch.entities) {
        EXPECT_TRUE(fixed.isDetermined(edge.id));
        EXPECT_TRUE(fixed.isDetermined(at(edge, Role::start)));
        EXPECT_TRUE(fixed.isDetermined(at(edge, Role::end)));
    }
}

TEST(SketchFreedom, PinsOnlyWhatNoRemainingMotionMoves) {
    // A line held at its start and kept horizontal: its end still slides along x.
    const SketchEntity l = line({0, 0}, {10, 0});
    Sketch held = sketchOf({l}, {*SketchConstraintFactory::makeFix(l, Role::start),
                                 constraint(Kind::horizontal, {whole(l)})});
    SketchFreedom freedom = analyzeFreedom(held);
    EXPECT_EQ(freedom.degrees, 1u);
    EXPECT_TRUE(freedom.isDetermined(at(l, Role::start)));
    EXPECT_FALSE(freedom.isDetermined(at(l, Role::end)));
    EXPECT_FALSE(freedom.isDetermined(l.id));

    // An arc with its centre and radius held keeps its two angles; a circle so held is done.
    const SketchEntity a = arc({0, 0}, 5, 0, 1), c = circle({20, 0}, 3);
    const Sketch round =
        sketchOf({a, c}, {*SketchConstraintFactory::makeFix(a, Role::center),
                          constraint(Kind::radius, {at(a, Role::center)}, 5),
                          *SketchConstraintFactory::make(Kind::fix, std::vector{c}),
                          constraint(Kind::radius, {at(c, Role::center)}, 3)});
    freedom = analyzeFreedom(round);
    EXPECT_EQ(freedom.degrees, 2u);
    EXPECT_TRUE(freedom.isDetermined(at(a, Role::center)));
    EXPECT_FALSE(freedom.isDetermined(at(a, Role::start)));
    EXPECT_TRUE(freedom.isDetermined(c.id));

    // Nothing constrained: every unknown is free (4 + 3 + 5).
    EXPECT_EQ(analyzeFreedom(sketchOf({line({0, 0}, {1, 1}), c, a})).degrees, 12u);
}

TEST(SketchFreedom, TangentsAtSharedEndsCountOnce) {
    // Free: place (2), angle, length and the one radius.
    EXPECT_EQ(analyzeFreedom(test::slotSketch()).degrees, 5u);
}

TEST(SketchFreedom, RedundantConstraintsAddNoRankAtAnyScale) {
    for (const double scale : {1e-3, 1.0, 1e3}) {
        Sketch sketch = test::rectangleSketch(5 * scale, -3 * scale, 40 * scale, 20 * scale);
        // Knock the rectangle slightly off and let the solver bring it back, as in use.
        std::get<SketchLine>(sketch.entities[2].geometry).start.y += 0.01 * scale;
        ASSERT_TRUE(SketchConstraintSolver::solve(sketch).success);
        add(sketch,
            constraint(Kind::parallel, {whole(sketch.entities[0]), whole(sketch.entities[2])}));
        EXPECT_EQ(analyzeFreedom(sketch).degrees, 4u) << "scale " << scale;
    }
}

}  // namespace
}  // namespace brontile
