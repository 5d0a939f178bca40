// Sketches and what is found in them: planes, entity geometry and the queries drawing, snapping
// and constraints ask of it; closed regions, their measures, and picking the region under the
// pointer.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/triangulator.hpp"
#include "sketch/profile.hpp"
#include "sketch/profile_finder.hpp"
#include "sketch/sketch.hpp"
#include "sketch/sketch_constraint.hpp"
#include "support/geometry_checks.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

using test::arc;
using test::circle;
using test::expectNear;
using test::line;

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(SketchPlanes, NamedFromANormalWithNormalizedAxesAndRoundTripping) {
    EXPECT_EQ(SketchPlane::xy.normal(), Vec3::unitZ);
    EXPECT_EQ(SketchPlane::xz.normal(), (Vec3{0, -1, 0}));
    EXPECT_EQ(SketchPlane::yz.normal(), Vec3::unitX);
    EXPECT_EQ(SketchPlane(), SketchPlane::xy);

    EXPECT_EQ(SketchPlane::fromNormal({0, 0, 7}, {0, 0, 3}),
              SketchPlane({0, 0, 7}, Vec3::unitX, Vec3::unitY));
    EXPECT_EQ(SketchPlane::fromNormal(Vec3::zero, {1, 0, 0}),
              SketchPlane(Vec3::zero, Vec3::unitY, Vec3::unitZ));
    const SketchPlane tilted = SketchPlane::fromNormal({1, 2, 3}, {1, 1, 1});
    expectNear(tilted.normal(), Vec3{1, 1, 1}.normalized());
    EXPECT_NEAR(tilted.xAxis.dot(tilted.yAxis), 0, 1e-12);

    const SketchPlane stretched(Vec3::zero, {2, 0, 0}, {0, 0, 5});
    EXPECT_EQ(stretched.xAxis, Vec3::unitX);
    EXPECT_EQ(stretched.yAxis, Vec3::unitZ);

    // Local and world coordinates round trip.
    const SketchPlane plane = SketchPlane::fromNormal({4, -2, 9}, {0.3, -0.5, 0.8});
    for (const Vec2 p : {Vec2{0, 0}, Vec2{12.5, -3}, Vec2{-100, 250}}) {
        expectNear(plane.toLocal(plane.toWorld(p)), p, 1e-9);
    }
    // Points off the plane are projected.
    const Vec3 off = plane.toWorld({3, 4}) + plane.normal() * 10;
    expectNear(plane.toLocal(off), {3, 4}, 1e-9);
}

TEST(EntityTessellation, ArcsRunCounterClockwiseAndTessellateToFixedCounts) {
    EXPECT_DOUBLE_EQ((SketchArc{{}, 1, 0, -kPi / 2}.sweep()), 3 * kPi / 2);
    EXPECT_DOUBLE_EQ((SketchArc{{}, 1, 1, 1}.sweep()), 2 * kPi);
    EXPECT_DOUBLE_EQ((SketchArc{{}, 1, -kPi / 2, kPi / 2}.sweep()), kPi);

    const auto c = circle({1, 1}, 2).polyline();
    ASSERT_EQ(c.size(), 65u);
    EXPECT_EQ(c.front(), (Vec2{3, 1}));
    EXPECT_EQ(c.back(), c.front());
    expectNear(c[16], {1, 3});

    const auto full = arc({0, 0}, 1, 0.5, 0.5).polyline();
    ASSERT_EQ(full.size(), 25u);
    expectNear(full.back(), full.front());

    const auto quarter = arc({0, 0}, 2, 0, kPi / 2).polyline();
    expectNear(quarter.back(), {0, 2});
    expectNear(quarter[12], Vec2{1, 1}.normalized() * 2);

    EXPECT_EQ(line({0, 0}, {1, 1}).polyline().size(), 2u);
    EXPECT_TRUE(circle({0, 0}, 1).isClosed());
    EXPECT_FALSE(arc({0, 0}, 1, 0, 0).isClosed());
}

TEST(EntityQueries, EndpointsMidpointsCentresAndDirections) {
    const SketchEntity l = line({0, 0}, {4, 0});
    const SketchEntity c = circle({1, 2}, 3);
    const SketchEntity a = arc({0, 0}, 2, 0, kPi);

    EXPECT_EQ(l.endpoints(), (std::vector<Vec2>{{0, 0}, {4, 0}}));
    EXPECT_EQ(c.endpoints(), (std::vector<Vec2>{{4, 2}, {-2, 2}, {1, 5}, {1, -1}}));
    expectNear(a.endpoints(), {{2, 0}, {-2, 0}});

    EXPECT_EQ(l.midpoint(), (Vec2{2, 0}));
    EXPECT_FALSE(c.midpoint());
    expectNear(*a.midpoint(), {0, 2});

    EXPECT_FALSE(l.center());
    EXPECT_EQ(c.center(), (Vec2{1, 2}));
    EXPECT_EQ(a.center(), Vec2::zero);

    EXPECT_EQ(l.direction(), (Vec2{1, 0}));
    EXPECT_FALSE(line({1, 1}, {1, 1}).direction());
    EXPECT_FALSE(c.direction());
}

TEST(EntityQueries, ClosestPointsAndDistancesOnEachKind) {
    EXPECT_EQ(line({0, 0}, {4, 0}).closestPoint({1, 5}), (Vec2{1, 0}));
    EXPECT_EQ(circle({1, 1}, 2).closestPoint({1, 1}), (Vec2{3, 1}));  // from the exact centre
    expectNear(circle({0, 0}, 2).closestPoint({0, 10}), {0, 2});

    const SketchEntity quarter = arc({0, 0}, 1, 0, kPi / 2);
    expectNear(quarter.closestPoint({2, 2}), Vec2{1, 1}.normalized());
    expectNear(quarter.closestPoint({3, -1}), {1, 0});  // beyond the start
    expectNear(quarter.closestPoint({-1, 3}), {0, 1});  // beyond the end
    // Equally near both ends: the end point wins unless the start is strictly nearer.
    expectNear(quarter.closestPoint({-1, -1}), {0, 1});
    // Angles too large to reduce still end in a point; NaN angles still return.
    EXPECT_TRUE(arc({0, 0}, 1, 1e300, 1e300 + 1).closestPoint({5, 5}).isFinite());
    (void)arc({0, 0}, 1, std::nan(""), 1).closestPoint({5, 5});

    EXPECT_EQ(line({0, 0}, {4, 0}).distance({6, 0}), 2);
    EXPECT_EQ(circle({0, 0}, 2).distance({0, 0.5}), 1.5);
    const SketchEntity half = arc({0, 0}, 10, 0, kPi);
    EXPECT_NEAR(half.distance({0, 12}), 2, 1e-9);
    EXPECT_NEAR(half.distance({0, -5}), std::hypot(10.0, 5.0), 1e-9) << "far from the lower half";
    EXPECT_EQ(SketchEntity::segmentDistance({3, 4}, {0, 0}, {0, 0}), 5);
}

TEST(EntityRoles, PointsOfEachRole) {
    const SketchEntity l = line({0, 0}, {4, 2});
    const SketchEntity c = circle({1, 2}, 3);
    const SketchEntity a = arc({0, 0}, 2, 0, kPi / 2);

    using R = SketchParamRole;
    const auto points = [](const SketchEntity& e) {
        return std::vector{e.point(R::start), e.point(R::end), e.point(R::center),
                           e.point(R::entity)};
    };
    EXPECT_EQ(points(l),
              (std::vector<std::optional<Vec2>>{Vec2{0, 0}, Vec2{4, 2}, {}, Vec2{2, 1}}));
    EXPECT_EQ(points(c), (std::vector<std::optional<Vec2>>{{}, {}, Vec2{1, 2}, Vec2{1, 2}}));
    EXPECT_EQ(a.point(R::start), (Vec2{2, 0}));
    expectNear(*a.point(R::end), {0, 2});
    EXPECT_EQ(a.point(R::entity), Vec2::zero);
}

TEST(Sketches, DimensionsEntityLookupAndWorldPoints) {
    const SketchEntityID a = SketchEntityID::generate();
    SketchConstraint c =
        test::constraint(SketchConstraintKind::distance,
                         {{a, SketchParamRole::start}, {a, SketchParamRole::end}}, 12.5);
    EXPECT_TRUE(c.isDimension());
    c.kind = SketchConstraintKind::parallel;
    EXPECT_FALSE(c.isDimension());

    const Sketch sketch = test::sketchOf({line({0, 0}, {1, 0}), circle({0, 0}, 1)}, {},
                                         SketchPlane::fromNormal({0, 0, 5}, Vec3::unitZ));
    EXPECT_EQ(sketch.entity(sketch.entities[1].id), sketch.entities[1]);
    EXPECT_FALSE(sketch.entity(SketchEntityID::generate()));
    const auto points = sketch.worldPoints();
    ASSERT_EQ(points.size(), 2u + 65u);
    EXPECT_EQ(points[1], (Vec3{1, 0, 5}));
}

}  // namespace
}  // namespace brontile
