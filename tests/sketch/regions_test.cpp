// Regions as the faces of the sketch's arrangement: what closes a region, holes and islands,
// crossings and T-junctions, curves keeping their resolution, picking, and random sketches whose
// regions must partition exactly the area their closed shapes cover.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "geometry/triangulator.hpp"
#include "sketch/profile_finder.hpp"
#include "sketch/region_union.hpp"
#include "sketch/sketch_arrangement.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

using test::arc;
using test::circle;
using test::line;
using Entities = std::vector<SketchEntity>;
using Loop = std::vector<Vec2>;

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Entities polygon(const Loop& corners) {
    Entities lines;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        lines.push_back(line(corners[i], corners[(i + 1) % corners.size()]));
    }
    return lines;
}
Entities box(Vec2 low = {0, 0}, Vec2 high = {20, 10}) {
    return polygon({low, {high.x, low.y}, high, {low.x, high.y}});
}
Entities with(Entities entities, const Entities& more) {
    entities.insert(entities.end(), more.begin(), more.end());
    return entities;
}
std::vector<Profile> find(Entities entities) {
    return ProfileFinder::profiles(test::sketchOf(std::move(entities)));
}
// The circle's closed 64-gon, as the regions use it.
Loop polygonOf(const SketchEntity& circle) {
    Loop points = circle.polyline();
    points.pop_back();
    return points;
}

// The area the polygons cover together, computed apart from the arrangement: in each slab
// between heights where an edge starts, ends or crosses another, every polygon's cut is a set
// of intervals that change linearly with height, so the union's length at the slab's middle
// times its height is exact.
double coveredArea(const std::vector<Loop>& polygons) {
    std::vector<std::pair<Vec2, Vec2>> edges;
    std::vector<double> heights;
    for (const Loop& loop : polygons) {
        for (std::size_t i = 0; i < loop.size(); ++i) {
            edges.emplace_back(loop[i], loop[(i + 1) % loop.size()]);
            heights.push_back(loop[i].y);
        }
    }
    for (std::size_t i = 0; i < edges.size(); ++i) {
        for (std::size_t j = i + 1; j < edges.size(); ++j) {
            const auto& [a, b] = edges[i];
            const auto& [c, d] = edges[j];
            const double denominator = (b - a).cross(d - c);
            if (denominator == 0) continue;
            const double t = (c - a).cross(d - c) / denominator;
            const double u = (c - a).cross(b - a) / denominator;
            if (t > 0 && t < 1 && u > 0 && u < 1) heights.push_back(a.y + (b.y - a.y) * t);
        }
    }
    std::ranges::sort(heights);
    double area = 0;
    for (std::size_t k = 0; k + 1 < heights.size(); ++k) {
        const double y = (heights[k] + heights[k + 1]) / 2;
        std::vector<std::pair<double, double>> spans;
        for (const Loop& loop : polygons) {
            std::vector<double> xs;
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const Vec2 p = loop[i];
                const Vec2 q = loop[(i + 1) % loop.size()];
                if ((p.y > y) != (q.y > y))
                    xs.push_back(p.x + (y - p.y) * (q.x - p.x) / (q.y - p.y));
            }
            std::ranges::sort(xs);
            for (std::size_t i = 0; i + 1 < xs.size(); i += 2) spans.emplace_back(xs[i], xs[i + 1]);
        }
        std::ranges::sort(spans);
        double length = 0;
        double reach = -kInf;
        for (const auto& [from, to] : spans) {
            length += std::max(0.0, to - std::max(from, reach));
            reach = std::max(reach, to);
        }
        area += length * (heights[k + 1] - heights[k]);
    }
    return area;
}

double totalArea(const std::vector<Profile>& regions) {
    double total = 0;
    for (const Profile& region : regions) total += region.area();
    return total;
}

std::size_t holeCount(const std::vector<Profile>& regions) {
    std::size_t holes = 0;
    for (const Profile& region : regions) holes += region.holes.size();
    return holes;
}

TEST(Regions, WhatTheCurvesEnclose) {
    Entities marked = box();
    marked[2].isConstruction = true;
    const auto openCorner = [](Vec2 from, Vec2 to) {
        return Entities{line(from, {20, 0}), line({20, 0}, {20, 10}), line({20, 10}, {0, 10}),
                        line({0, 10}, to)};
    };
    const SketchEntity hole = circle({10, 5}, 3);
    const SketchEntity left = circle({0, 0}, 5);
    const SketchEntity right = circle({6, 0}, 5);
    const Loop rectangle{{0, 0}, {20, 0}, {20, 10}, {0, 10}};
    const struct {
        std::string name;
        Entities entities;
        std::size_t regions;
        std::size_t holes;
        // What the closed shapes cover, which the regions must share out exactly.
        std::vector<Loop> covered;
    } cases[] = {
        {"lines in mixed directions",
         with({line({0, 0}, {5, 0}), line({5, 5}, {5, 0})},
              {line({5, 5}, {0, 5}), line({0, 0}, {0, 5})}),
         1,
         0,
         {{{0, 0}, {5, 0}, {5, 5}, {0, 5}}}},
        {"corner open by 0.001", openCorner({0, 0}, {0, 0.001}), 0, 0, {}},
        {"corner off by 1e-6 in one grid cell",
         openCorner({0, 0}, {0.000001, 0}),
         1,
         0,
         {rectangle}},
        {"an end just past the corner touches the line",
         openCorner({0, 0}, {0.001, 0}),
         1,
         0,
         {{{0.001, 0}, {20, 0}, {20, 10}, {0, 10}}}},
        {"a diagonal makes two triangles",
         with(box(), {line({0, 0}, {20, 10})}),
         2,
         0,
         {rectangle}},
        {"a line across makes two", with(box(), {line({8, -5}, {8, 15})}), 2, 0, {rectangle}},
        {"a line ending inside divides nothing",
         with(box(), {line({8, 0}, {8, 5})}),
         1,
         0,
         {rectangle}},
        {"two lines between the same points",
         {line({0, 0}, {5, 5}), line({5, 5}, {0, 0})},
         0,
         0,
         {}},
        {"three collinear lines", polygon({{0, 0}, {5, 0}, {10, 0}}), 0, 0, {}},
        {"construction line opens the loop", marked, 0, 0, {}},
        {"point-like line at a corner is ignored",
         with(box(), {line({0, 0}, {0, 1e-10})}),
         1,
         0,
         {rectangle}},
        {"a circle inside is a hole and a disc", with(box(), {hole}), 2, 1, {rectangle}},
        {"a line into the circle bridges and divides nothing",
         with(box(), {hole, line({20, 5}, {10, 5})}),
         2,
         1,
         {rectangle}},
        {"islands nest to any depth",
         with(box({-20, -20}, {40, 30}), {circle({10, 5}, 20), circle({10, 5}, 10), hole}),
         4,
         3,
         {{{-20, -20}, {40, -20}, {40, 30}, {-20, 30}}}},
        {"overlapping circles make three",
         {left, right},
         3,
         0,
         {polygonOf(left), polygonOf(right)}},
        {"a pocket the shapes enclose between them is a region too",
         with(with(box({0, 0}, {30, 10}), box({0, 20}, {30, 30})),
              with(box({0, 0}, {10, 30}), box({20, 0}, {30, 30}))),
         9,
         0,
         {{{0, 0}, {30, 0}, {30, 30}, {0, 30}}}},
        {"rectangles sharing part of an edge",
         with(box(), box({20, 2}, {30, 8})),
         2,
         0,
         {rectangle, {{20, 2}, {30, 2}, {30, 8}, {20, 8}}}},
        {"full-turn arc closes on itself",
         {arc({0, 0}, 4, 1, 1)},
         1,
         0,
         {arc({0, 0}, 4, 1, 1).polyline()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto regions = find(c.entities);
        EXPECT_EQ(regions.size(), c.regions);
        EXPECT_EQ(holeCount(regions), c.holes);
        const double covered = coveredArea(c.covered);
        EXPECT_NEAR(totalArea(regions), covered, 1e-9 * std::max(1.0, covered));
    }
}

// A closed shape inside another is a hole in it and a region of its own; the region under the
// pointer is the one it is in, never the one around it.
TEST(Regions, HolesAreClockwiseInsideTheirRegionAndPickingFindsTheInnermost) {
    const SketchPlane plane({0, 0, 5}, Vec3::unitX, Vec3::unitY);
    const SketchEntity hole = circle({10, 5}, 3);
    const Entities clockwise = polygon({{0, 0}, {0, 10}, {20, 10}, {20, 0}});
    const Sketch sketch = test::sketchOf(with(clockwise, {hole}), {}, plane);
    const auto found = ProfileFinder::profiles(sketch);
    ASSERT_EQ(found.size(), 2u);
    const Profile& disc = found[0].holes.empty() ? found[0] : found[1];
    const Profile& plate = found[0].holes.empty() ? found[1] : found[0];
    const double a64 = 32 * 9 * std::sin(kPi / 32);
    EXPECT_EQ(disc.loop.size(), 64u);
    EXPECT_NEAR(Triangulator::signedArea(disc.loop), a64, 1e-12);
    EXPECT_EQ(disc.entityIDs, (std::set{hole.id}));
    EXPECT_EQ(plate.loop.size(), 4u);
    EXPECT_DOUBLE_EQ(Triangulator::signedArea(plate.loop), 200);
    ASSERT_EQ(plate.holes.size(), 1u);
    EXPECT_NEAR(Triangulator::signedArea(plate.holes[0]), -a64, 1e-12);
    EXPECT_NEAR(plate.area(), 200 - a64, 1e-12);
    EXPECT_EQ(plate.entityIDs.size(), 5u);
    EXPECT_EQ(plate.sketchID, sketch.id);

    const auto pickAt = [&](Vec2 p) {
        return ProfileFinder::profileAt(sketch, Ray(plane.toWorld(p) + Vec3{0, 0, 10}, {0, 0, -1}));
    };
    EXPECT_EQ(pickAt({10, 5}), disc);
    EXPECT_EQ(pickAt({2, 2}), plate);
    EXPECT_FALSE(pickAt({30, 5}));
    EXPECT_FALSE(ProfileFinder::profileAt(sketch, Ray({10, 5, 10}, {0, 0, 1})));  // facing away
    const std::vector<Profile> twins = {plate, plate};
    EXPECT_EQ(ProfileFinder::smallestContaining(twins, {1, 1}), 0u);
}

// Cut curves keep their own points: every point of every loop is one of the curves' tessellation
// points or one of the two crossings, never a finer tessellation of the pieces.
TEST(Regions, CurvesKeepTheirResolutionWhereverTheyAreCut) {
    const SketchEntity left = circle({0, 0}, 5);
    const SketchEntity right = circle({6, 0}, 5);
    const auto regions = find({left, right});
    ASSERT_EQ(regions.size(), 3u);
    Loop known = polygonOf(left);
    const Loop more = polygonOf(right);
    known.insert(known.end(), more.begin(), more.end());
    std::set<std::pair<double, double>> extra;
    for (const Profile& region : regions) {
        for (const Vec2& p : region.loop) {
            const bool tessellated =
                std::ranges::any_of(known, [&](const Vec2& k) { return k == p; });
            if (!tessellated) extra.insert({p.x, p.y});
        }
    }
    EXPECT_EQ(extra.size(), 2u);
}

// Picked neighbours are one region: what they share goes, what they leave out stays a hole.
TEST(Regions, UnitedRegionsLoseTheBoundariesTheyShare) {
    const auto united = [](const std::vector<Profile>& regions, auto keep) {
        std::vector<Profile> picked;
        std::ranges::copy_if(regions, std::back_inserter(picked), keep);
        return unitedRegions(picked);
    };
    const auto all = [](const Profile&) { return true; };
    const auto halves = find(with(box(), {line({8, -5}, {8, 15})}));
    const auto whole = united(halves, all);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_NEAR(whole[0].area(), 200, 1e-9);
    EXPECT_TRUE(whole[0].holes.empty());
    EXPECT_EQ(whole[0].entityIDs.size(), 5u);

    const auto nested =
        find(with(box({-20, -20}, {40, 30}), {circle({10, 5}, 10), circle({10, 5}, 3)}));
    ASSERT_EQ(nested.size(), 3u);
    EXPECT_NEAR(united(nested, all)[0].area(), 3000, 1e-9);
    // The plate and the disc in the ring's hole leave the ring out: a plate with a hole that
    // has an island.
    const auto apart =
        united(nested, [](const Profile& p) { return p.area() < 200 || p.area() > 2000; });
    ASSERT_EQ(apart.size(), 2u);
    EXPECT_EQ(holeCount(apart), 1u);
}

TEST(Regions, SlotOfLinesAndArcsFollowsTheArcChords) {
    const SketchEntity right = arc({10, 5}, 5, -kPi / 2, kPi / 2);
    const SketchEntity left = arc({0, 5}, 5, kPi / 2, 3 * kPi / 2);
    const Entities slot = {line({0, 0}, {10, 0}), right, line({10, 10}, {0, 10}), left};
    const auto found = find(slot);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].entityIDs.size(), 4u);
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
        std::vector<Loop> holes;
        Vec2 centroid;
    } cases[] = {
        {{{0, 0}, {4, 0}, {4, 2}, {2, 2}, {2, 4}, {0, 4}}, {}, {5.0 / 3, 5.0 / 3}},  // L shape
        {{{1, 1}, {1, 3}, {3, 3}, {3, 1}}, {}, {2, 2}},                              // clockwise
        {{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{{0, 0}, {0, 2}, {2, 2}, {2, 0}}}, {7.0 / 3, 7.0 / 3}},
        {{{0, 0}, {1, 0}, {5, 0}}, {}, {2, 0}},  // no area: the mean
        {{{7, 8}, {9, 9}}, {}, {7, 8}},
        {{}, {}, {0, 0}},
    };
    for (const auto& c : cases) {
        Profile profile{SketchPlane::xy, c.loop, {}, {}};
        profile.holes = c.holes;
        EXPECT_LT(profile.centroid2D().distance(c.centroid), 1e-12);
    }
}

// --- Random sketches

// A random sketch of closed shapes (rectangles turned any way, triangles, circles, arcs closed by
// a chord), chords of them ending on their corners or in the middle of their sides, and lines
// running from a corner into a shape and stopping there;
// with the polygons the closed shapes cover. The shapes are convex and never overlap in a ring,
// so nothing but the shapes encloses any area (the case of a pocket is checked by hand above).
struct RandomSketch {
    Entities entities;
    std::vector<Loop> closed;
};

// Whether two convex polygons share any point.
bool overlap(const Loop& a, const Loop& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            const Vec2 p = a[i], q = a[(i + 1) % a.size()], r = b[j], t = b[(j + 1) % b.size()];
            const bool apart = ((q - p).cross(r - p) > 0) == ((q - p).cross(t - p) > 0) ||
                               ((t - r).cross(p - r) > 0) == ((t - r).cross(q - r) > 0);
            if (!apart) return true;
        }
    }
    return Triangulator::contains(a, b[0]) || Triangulator::contains(b, a[0]);
}

// Adds the shape unless its overlaps would close a ring of shapes; whether it was added.
bool addShape(RandomSketch& sketch, std::vector<int>& group, const Loop& shape) {
    std::set<int> touched;
    for (std::size_t i = 0; i < sketch.closed.size(); ++i) {
        if (!overlap(sketch.closed[i], shape)) continue;
        if (!touched.insert(group[i]).second) return false;
    }
    const int joined = static_cast<int>(group.size());
    for (int& g : group) {
        if (touched.contains(g)) g = joined;
    }
    group.push_back(joined);
    sketch.closed.push_back(shape);
    return true;
}

RandomSketch randomSketch(std::mt19937& random) {
    std::uniform_real_distribution<double> at(0, 100);
    std::uniform_real_distribution<double> size(4, 40);
    std::uniform_real_distribution<double> turn(0, 2 * kPi);
    RandomSketch sketch;
    std::vector<int> group;
    const int shapes = std::uniform_int_distribution<int>(1, 6)(random);
    for (int s = 0; s < shapes; ++s) {
        const Vec2 centre{at(random), at(random)};
        const int kind = std::uniform_int_distribution<int>(0, 3)(random);
        if (kind == 0) {
            const SketchEntity c = circle(centre, size(random) / 2);
            if (addShape(sketch, group, polygonOf(c))) sketch.entities.push_back(c);
            continue;
        }
        if (kind == 3) {
            // An arc closed by the chord between its ends.
            const double start = turn(random);
            const SketchEntity a =
                arc(centre, size(random) / 2, start, start + 1 + turn(random) / 2);
            const Loop points = a.polyline();
            if (!addShape(sketch, group, points)) continue;
            sketch.entities.push_back(a);
            sketch.entities.push_back(line(points.back(), points.front()));
            continue;
        }
        const double angle = turn(random);
        const Vec2 u{std::cos(angle), std::sin(angle)};
        const Vec2 v{-u.y, u.x};
        const double w = size(random) / 2;
        const double h = size(random) / 2;
        Loop corners = kind == 1 ? Loop{centre - u * w - v * h, centre + u * w - v * h,
                                        centre + u * w + v * h, centre - u * w + v * h}
                                 : Loop{centre - u * w, centre + u * w, centre + v * h};
        if (!addShape(sketch, group, corners)) continue;
        const Entities sides = polygon(corners);
        sketch.entities.insert(sketch.entities.end(), sides.begin(), sides.end());
    }
    for (const Loop& shape : sketch.closed) {
        const auto corner = [&] {
            return shape[std::uniform_int_distribution<std::size_t>(0, shape.size() - 1)(random)];
        };
        const double roll = std::uniform_real_distribution<double>(0, 1)(random);
        Vec2 inside;
        for (const Vec2& p : shape) inside += p / static_cast<double>(shape.size());
        if (roll < 0.3) {
            const Vec2 a = corner();
            const Vec2 b = corner();
            if (a.distance(b) > 1e-3) sketch.entities.push_back(line(a, b));
        } else if (roll < 0.5) {
            // From the middle of one side to the middle of another: T-junctions at both ends.
            const std::size_t i =
                std::uniform_int_distribution<std::size_t>(0, shape.size() - 1)(random);
            const std::size_t j =
                (i + 1 + std::uniform_int_distribution<std::size_t>(0, shape.size() - 2)(random)) %
                shape.size();
            const Vec2 a = (shape[i] + shape[(i + 1) % shape.size()]) / 2;
            const Vec2 b = (shape[j] + shape[(j + 1) % shape.size()]) / 2;
            sketch.entities.push_back(line(a, b));
        } else if (roll < 0.7) {
            const Vec2 a = corner();
            sketch.entities.push_back(line(a, (a + inside) / 2));
        }
    }
    return sketch;
}

// Whether two segments share more than an end: they cross, or run along each other.
bool meet(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    constexpr double kTiny = 1e-9;
    const double d1 = (b - a).cross(c - a), d2 = (b - a).cross(d - a);
    const double d3 = (d - c).cross(a - c), d4 = (d - c).cross(b - c);
    const double scale = kTiny * (b - a).length() * (d - c).length();
    if (std::abs(d1) < scale && std::abs(d2) < scale) {
        // On one line: they meet when their spans along it overlap.
        const Vec2 u = (b - a) / (b - a).length();
        const double c0 = (c - a).dot(u), c1 = (d - a).dot(u);
        return std::min(c0, c1) < (b - a).length() - kTiny && std::max(c0, c1) > kTiny;
    }
    return d1 * d2 < 0 && d3 * d4 < 0 && std::abs(d1) > scale && std::abs(d2) > scale &&
           std::abs(d3) > scale && std::abs(d4) > scale;
}

// No two edges of the loop meet, and no point is visited twice.
bool isSimple(const Loop& loop) {
    const std::size_t n = loop.size();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (loop[i] == loop[j]) return false;
            if (j == i + 1 || (i == 0 && j == n - 1)) continue;
            if (meet(loop[i], loop[(i + 1) % n], loop[j], loop[(j + 1) % n])) return false;
        }
    }
    return true;
}

TEST(Regions, RandomSketchesShareOutExactlyWhatTheirShapesCover) {
#ifdef NDEBUG
    constexpr int kSketches = 10'000;
#else
    constexpr int kSketches = 1'000;
#endif
    std::mt19937 random(20261207);
    for (int n = 0; n < kSketches; ++n) {
        const RandomSketch sketch = randomSketch(random);
        const auto regions = find(sketch.entities);
        const double covered = coveredArea(sketch.closed);
        ASSERT_NEAR(totalArea(regions), covered, 1e-9 * covered) << "sketch " << n;
        for (const Profile& region : regions) {
            ASSERT_TRUE(isSimple(region.loop)) << "sketch " << n;
            ASSERT_GT(Triangulator::signedArea(region.loop), 0) << "sketch " << n;
            for (const Loop& hole : region.holes) {
                ASSERT_TRUE(isSimple(hole)) << "sketch " << n;
                ASSERT_LT(Triangulator::signedArea(hole), 0) << "sketch " << n;
                for (const Vec2& p : hole) {
                    ASSERT_TRUE(Triangulator::contains(region.loop, p)) << "sketch " << n;
                }
            }
        }
        // No point lies in two regions.
        for (int k = 0; k < 25; ++k) {
            const Vec2 p{4.0 * k + 0.37, 100 - 4.0 * k - 0.61};
            const auto inside = std::ranges::count_if(
                regions, [&](const Profile& region) { return region.contains(p); });
            ASSERT_LE(inside, 1) << "sketch " << n;
        }
    }
}

}  // namespace
}  // namespace brontile
