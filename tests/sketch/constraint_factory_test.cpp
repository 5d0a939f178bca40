// Turning selections into constraints, and the sketch's lookups over its constraints.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "sketch/sketch.hpp"
#include "sketch/sketch_constraint_factory.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

namespace Factory = SketchConstraintFactory;
using Kind = SketchConstraintKind;
using Role = SketchParamRole;
using Refs = std::vector<SketchGeomRef>;

using test::circle;
using test::line;

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

}  // namespace
}  // namespace brontile
