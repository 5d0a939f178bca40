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

using Entities = std::vector<SketchEntity>;

// Through the corners in the order given, closing back to the first.
Entities polygon(const std::vector<Vec2>& corners) {
    Entities lines;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        lines.push_back(line(corners[i], corners[(i + 1) % corners.size()]));
    }
    return lines;
}
Entities box() { return polygon({{0, 0}, {20, 0}, {20, 10}, {0, 10}}); }
Entities with(Entities entities, const Entities& more) {
    entities.insert(entities.end(), more.begin(), more.end());
    return entities;
}
std::set<SketchEntityID> idsOf(const Entities& entities) {
    std::set<SketchEntityID> ids;
    for (const SketchEntity& e : entities) ids.insert(e.id);
    return ids;
}
std::vector<Profile> find(Entities entities) {
    return ProfileFinder::profiles(test::sketchOf(std::move(entities)));
}

TEST(ProfileFinding, WhichShapesCloseARegion) {
    Entities marked = box();
    marked[2].isConstruction = true;
    const auto openCorner = [](Vec2 from, Vec2 to) {
        return Entities{line(from, {20, 0}), line({20, 0}, {20, 10}), line({20, 10}, {0, 10}),
                        line({0, 10}, to)};
    };
    const struct {
        std::string name;
        Entities entities;
        std::size_t count;
    } cases[] = {
        {"lines in mixed directions",
         with({line({0, 0}, {5, 0}), line({5, 5}, {5, 0})},
              {line({5, 5}, {0, 5}), line({0, 0}, {0, 5})}),
         1},
        {"corner open by 0.001", openCorner({0, 0}, {0.001, 0}), 0},
        {"corner off by 1e-6 in one grid cell", openCorner({0, 0}, {0.000001, 0}), 1},
        {"corner off by 2e-7 across cells", openCorner({0.0000049, 0}, {0.0000051, 0}), 0},
        {"diagonal: three ends at two corners", with(box(), {line({0, 0}, {20, 10})}), 0},
        {"two lines between the same points", {line({0, 0}, {5, 5}), line({5, 5}, {0, 0})}, 0},
        {"three collinear lines", polygon({{0, 0}, {5, 0}, {10, 0}}), 0},
        {"construction line opens the loop", marked, 0},
        {"point-like line at a corner is ignored", with(box(), {line({0, 0}, {0, 1e-10})}), 1},
        {"line into a circle leaves both",
         with(box(), {circle({10, 5}, 3), line({20, 5}, {10, 5})}), 2},
        {"full-turn arc closes on itself", {arc({0, 0}, 4, 1, 1)}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(find(c.entities).size(), c.count);
    }
}

TEST(ProfileFinding, SlotOfLinesAndArcsFollowsTheArcChords) {
    const SketchEntity right = arc({10, 5}, 5, -kPi / 2, kPi / 2);
    const SketchEntity left = arc({0, 5}, 5, kPi / 2, 3 * kPi / 2);
    const Entities slot = {line({0, 0}, {10, 0}), right, line({10, 10}, {0, 10}), left};
    const auto found = find(slot);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].entityIDs, idsOf(slot));
    EXPECT_NEAR(found[0].area(), 100 + 24 * 25 * std::sin(kPi / 24), 1e-9);
    EXPECT_EQ(found[0].loop.size(), 50u);  // the arcs' ends coincide with line ends
}

TEST(ProfileQuantisation, HalvesRoundAwayFromZeroAndWhatCannotFitIsSkipped) {
    using ProfileFinder::key;
    using ProfileFinder::PointKey;
    EXPECT_EQ(key({2.5e-5, -2.5e-5}), (PointKey{3, -3}));
    EXPECT_EQ(key({1.000005, 0.0000049}), (PointKey{100001, 0}));
    EXPECT_EQ(key({9e13, 0}), (PointKey{9'000'000'000'000'000'000, 0}));
    for (const Vec2 p : {Vec2{1e15, 0}, Vec2{0, -1e15}, Vec2{kNaN, 0}, Vec2{0, kInf}}) {
        EXPECT_FALSE(key(p).has_value());
    }
    // A kept stray line would put three ends on a corner and lose the rectangle.
    for (const Vec2 far : {Vec2{1e15, 0}, Vec2{kNaN, 0}, Vec2{0, -kInf}}) {
        EXPECT_EQ(find(with(box(), {line({0, 0}, far)})).size(), 1u);
    }
    EXPECT_TRUE(
        find({circle({1e15, 0}, 1), circle({0, 0}, kNaN), arc({kNaN, 0}, 1, 0, 1)}).empty());
    EXPECT_TRUE(find(polygon({{1e15, 0}, {1e15 + 1, 0}, {1e15, 1}})).empty());
}

TEST(ProfileMeasures, CentroidAndItsFallbacks) {
    const struct {
        std::vector<Vec2> loop;
        Vec2 centroid;
    } cases[] = {
        {{{0, 0}, {4, 0}, {4, 2}, {2, 2}, {2, 4}, {0, 4}}, {5.0 / 3, 5.0 / 3}},  // L shape
        {{{1, 1}, {1, 3}, {3, 3}, {3, 1}}, {2, 2}},                              // clockwise
        {{{0, 0}, {1, 0}, {5, 0}}, {2, 0}},  // no area: the mean
        {{{7, 8}, {9, 9}}, {7, 8}},
        {{}, {0, 0}},
    };
    for (const auto& c : cases) {
        const Vec2 got = Profile{SketchPlane::xy, c.loop, {}, {}}.centroid2D();
        EXPECT_LT(got.distance(c.centroid), 1e-12);
    }
}

// Circles come first, each its inscribed 64-gon; a clockwise rectangle comes back
// counter-clockwise, filled (the circle inside it is no hole); the smallest region under the
// pointer is picked.
TEST(ProfilePicking, LoopsComeBackCounterClockwiseAndTheSmallestUnderThePointerWins) {
    const SketchPlane plane({0, 0, 5}, Vec3::unitX, Vec3::unitY);
    const SketchEntity hole = circle({10, 5}, 3);
    const Entities clockwise = polygon({{0, 0}, {0, 10}, {20, 10}, {20, 0}});
    const Sketch sketch = test::sketchOf(with(clockwise, {hole}), {}, plane);
    const auto found = ProfileFinder::profiles(sketch);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].entityIDs, idsOf({hole}));
    EXPECT_EQ(found[0].loop.size(), 64u);
    EXPECT_NEAR(Triangulator::signedArea(found[0].loop), 32 * 9 * std::sin(kPi / 32), 1e-12);
    EXPECT_EQ(found[1].entityIDs, idsOf(clockwise));
    EXPECT_EQ(found[1].loop.size(), 4u);
    EXPECT_DOUBLE_EQ(Triangulator::signedArea(found[1].loop), 200);

    const auto pickAt = [&](Vec2 p) {
        return ProfileFinder::profileAt(sketch, Ray(plane.toWorld(p) + Vec3{0, 0, 10}, {0, 0, -1}));
    };
    EXPECT_EQ(pickAt({10, 5}), found[0]);
    EXPECT_EQ(pickAt({2, 2}), found[1]);
    EXPECT_FALSE(pickAt({30, 5}));
    EXPECT_FALSE(ProfileFinder::profileAt(sketch, Ray({10, 5, 10}, {0, 0, 1})));  // facing away

    const std::vector<Profile> twins = {found[1], found[1]};
    EXPECT_EQ(ProfileFinder::smallestContaining(twins, {1, 1}), 0u);
}

}  // namespace
}  // namespace brontile
