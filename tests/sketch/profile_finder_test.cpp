// Closed-region finding in sketches, region measures and picking the region under the pointer.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/triangulator.hpp"
#include "sketch/profile.hpp"
#include "sketch/profile_finder.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using Entities = std::vector<SketchEntity>;

using test::arc;
using test::circle;
using test::line;

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

// A circle is its inscribed 64-gon; a clockwise rectangle comes back counter-clockwise.
TEST(ProfileFinding, LoopsComeBackCounterClockwiseWithTheirEntities) {
    const SketchEntity round = circle({3, -2}, 10);
    const Entities clockwise = polygon({{30, 0}, {30, 10}, {50, 10}, {50, 0}});
    const auto found = find(with(clockwise, {round}));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].loop.size(), 64u);
    EXPECT_NEAR(Triangulator::signedArea(found[0].loop), 313.6548490545939, 1e-9);
    EXPECT_EQ(found[1].loop.size(), 4u);
    EXPECT_DOUBLE_EQ(Triangulator::signedArea(found[1].loop), 200);
    EXPECT_EQ(found[1].entityIDs, idsOf(clockwise));
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

TEST(ProfilePicking, SmallestRegionUnderThePointerWins) {
    const SketchPlane plane({0, 0, 5}, Vec3::unitX, Vec3::unitY);
    const SketchEntity hole = circle({10, 5}, 3);
    const Sketch sketch = test::sketchOf(with(box(), {hole}), {}, plane);
    const auto found = ProfileFinder::profiles(sketch);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].entityIDs, idsOf({hole}));  // circles first
    EXPECT_DOUBLE_EQ(found[1].area(), 200);        // filled, no hole

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
