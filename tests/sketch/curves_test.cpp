// Crossings and offsets of sketch curves: tolerances at segment ends, tangencies, arcs that keep
// only the points on their counter-clockwise run; mitred polygon offsets with their corner
// placement, mitre cap, winding and repeated points.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "sketch/curve_intersection.hpp"
#include "sketch/offset_2d.hpp"
#include "support/geometry_checks.hpp"

namespace brontile {
namespace {

using namespace CurveIntersection;
using test::expectNear;
using Points = std::vector<Vec2>;
constexpr double kPi = std::numbers::pi;
const double kHalfRoot3 = std::sqrt(3.0) / 2;

Points segments(const Vec2& a1, const Vec2& a2, const Vec2& b1, const Vec2& b2) {
    const auto point = lineLine(a1, a2, b1, b2);
    return point ? Points{*point} : Points{};
}

TEST(CurveIntersection, SegmentPairs) {
    expectNear(segments({0, 0}, {2, 2}, {0, 2}, {2, 0}), {{1, 1}});
    expectNear(segments({0, 0}, {1, 0}, {1, 0}, {1, 1}), {{1, 0}});  // touching ends
    // Within 1e-9 past the end, and the parameter is not clamped back onto the segment.
    expectNear(segments({0, 0}, {1, 0}, {1 + 5e-10, -1}, {1 + 5e-10, 1}), {{1 + 5e-10, 0}});
    expectNear(segments({0, 0}, {1, 0}, {1 + 1e-8, -1}, {1 + 1e-8, 1}), {});
    expectNear(segments({0, 0}, {2, 0}, {1, 0}, {3, 0}), {});                  // collinear overlap
    expectNear(segments({0, 0}, {1e-5, 0}, {5e-6, -1e-5}, {5e-6, 1e-5}), {});  // absolute limit
    expectNear(segments({0, 0}, {1, 1}, {3, 0}, {2, 1}), {});  // only the lines cross
}

TEST(CurveIntersection, SegmentWithUnitCircle) {
    expectNear(lineCircle({-2, 0}, {2, 0}, {0, 0}, 1), {{-1, 0}, {1, 0}});
    expectNear(lineCircle({2, 0}, {-2, 0}, {0, 0}, 1), {{1, 0}, {-1, 0}});
    expectNear(lineCircle({-2, 1}, {2, 1}, {0, 0}, 1), {{0, 1}});   // tangent
    expectNear(lineCircle({-2, 0}, {0, 0}, {0, 0}, 1), {{-1, 0}});  // ends inside
    expectNear(lineCircle({-0.5, 0}, {0.5, 0}, {0, 0}, 1), {});
    expectNear(lineCircle({1 + 5e-7, 0}, {1 + 5e-7, 0}, {0, 0}, 1), {{1 + 5e-7, 0}});
    expectNear(lineCircle({1.1, 0}, {1.1, 0}, {0, 0}, 1), {});
    expectNear(lineCircle({-2, 0}, {2, 0}, {0, 0}, 0), {});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    expectNear(lineCircle({nan, 0}, {2, 0}, {0, 0}, 1), {});
}

TEST(CurveIntersection, CirclePairs) {
    const Points crossing{{0.5, kHalfRoot3}, {0.5, -kHalfRoot3}};  // left of c1→c2 first
    expectNear(circleCircle({0, 0}, 1, {1, 0}, 1), crossing);
    expectNear(circleCircle({1, 0}, 1, {0, 0}, 1), {crossing[1], crossing[0]});
    expectNear(circleCircle({0, 0}, 1, {0, 0}, 1), {});
    expectNear(circleCircle({0, 0}, 1, {2, 0}, 1), {{1, 0}});  // touching outside
    expectNear(circleCircle({0, 0}, 2, {1, 0}, 1), {{2, 0}});  // touching inside
    expectNear(circleCircle({0, 0}, 1, {3, 0}, 1), {});
    expectNear(circleCircle({0, 0}, 3, {1, 0}, 1), {});
    expectNear(circleCircle({0, 0}, 0, {1, 0}, 1), {});
    expectNear(circleCircle({0, 0}, 1e200, {1e200, 0}, 1e200), {});  // overflow, not NaN
}

TEST(CurveIntersection, ArcsKeepOnlyPointsOnTheirRunInProducedOrder) {
    const SketchArc quarter{{0, 0}, 1, 0, kPi / 2};  // the upper right quarter
    const SketchLine above{{-2, 0.5}, {2, 0.5}};
    expectNear(intersections(above, quarter), {{kHalfRoot3, 0.5}});
    expectNear(intersections(quarter, above), {{kHalfRoot3, 0.5}});
    EXPECT_TRUE(intersections(SketchLine{{-2, -0.5}, {2, -0.5}}, quarter).empty());

    // Circle (1, 0) r 1 meets the unit circle at 60° and −60°; the quarter holds only the first.
    const SketchCircle circle{{1, 0}, 1};
    expectNear(intersections(circle, quarter), {{0.5, kHalfRoot3}});
    expectNear(intersections(quarter, circle), {{0.5, kHalfRoot3}});
    const SketchArc lowerLeft{{1, 0}, 1, kPi, 3 * kPi / 2};  // holds only the −60° crossing
    EXPECT_TRUE(intersections(quarter, lowerLeft).empty());
    expectNear(intersections(SketchArc{{1, 0}, 1, kPi / 2, kPi}, quarter), {{0.5, kHalfRoot3}});

    const SketchEntity line{SketchEntityID::generate(), SketchLine{{2, 0}, {-2, 0}}, true};
    const SketchEntity full{SketchEntityID::generate(), SketchCircle{{0, 0}, 1}, false};
    expectNear(intersections(full, line), {{1, 0}, {-1, 0}});
}

TEST(CurveIntersection, OnArcAllowsOnlyTheEndAngleAndEndsForAnyAngle) {
    EXPECT_TRUE(onArc({0, 0}, 1, 0, kPi / 2 - 5e-9, {0, 1}));
    EXPECT_FALSE(onArc({0, 0}, 1, 0, kPi / 2 - 5e-8, {0, 1}));
    EXPECT_FALSE(onArc({0, 0}, 1, 5e-9, kPi / 2, {1, 0}));       // wraps to almost 2π
    EXPECT_TRUE(onArc({0, 0}, 1000, 0, kPi, {0, 1000 + 5e-6}));  // radial tolerance scales
    EXPECT_FALSE(onArc({0, 0}, 1, 0, kPi, {0, 1 + 2e-6}));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(onArc({0, 0}, 1, 1e300, 1e300, {1, 0}));  // equal angles: a full turn
    EXPECT_FALSE(onArc({0, 0}, 1, 1e300, -1e300, {1, 0}));
    EXPECT_FALSE(onArc({0, 0}, 1, nan, 1, {1, 0}));
    EXPECT_FALSE(onArc({0, 0}, 1, std::numeric_limits<double>::infinity(), 1, {1, 0}));
    EXPECT_FALSE(onArc({0, 0}, 1, 0, 1, {nan, 0}));
}

using Loop = std::vector<Vec2>;
const Loop kSquare{{0, 0}, {1, 0}, {1, 1}, {0, 1}};

TEST(Offset2D, CornersMoveByWindingAndSignAndSharpMitresAreCapped) {
    expectNear(Offset2D::offset(kSquare, 1), {{-1, -1}, {2, -1}, {2, 2}, {-1, 2}});
    expectNear(Offset2D::offset(kSquare, -0.25),
               {{0.25, 0.25}, {0.75, 0.25}, {0.75, 0.75}, {0.25, 0.75}});
    const Loop clockwise{{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    expectNear(Offset2D::offset(clockwise, 0.25),
               {{0.25, 0.25}, {0.25, 0.75}, {0.75, 0.75}, {0.75, 0.25}});
    // A sharp corner's mitre is capped at four times the distance.
    const double turn = 170 * std::numbers::pi / 180;
    const Vec2 tip{10, 0};
    const Vec2 outgoing{std::cos(turn), std::sin(turn)};
    const Loop sliver{{0, 0}, tip, tip + outgoing * 10};
    const Vec2 moved = Offset2D::offset(sliver, 0.5)[1] - tip;
    const Vec2 bisector = (Vec2{1, 0} - outgoing).normalized();
    EXPECT_NEAR(moved.length(), 2.0, 1e-12);
    EXPECT_NEAR(moved.cross(bisector), 0.0, 1e-12);
    EXPECT_GT(moved.dot(bisector), 0);
}

TEST(Offset2D, RepeatedPointsMoveWithTheirTwinAndDegenerateLoopsStay) {
    const Loop repeated{{0, 0}, {1, 0}, {1, 1}, {1, 1}, {0, 1}};
    const Loop single = Offset2D::offset(kSquare, 1);
    EXPECT_EQ(Offset2D::offset(repeated, 1),
              (Loop{single[0], single[1], single[2], single[2], single[3]}));
    // A spike doubling back moves sideways at its tip and at its (repeated) base.
    expectNear(Offset2D::offset(Loop{{0, 0}, {1, 0}, {0, 0}}, 1), {{0, 1}, {1, -1}, {0, 1}});
    // Too few distinct points, or no distance, and the loop comes back unchanged.
    for (const Loop& loop : {Loop{{0, 0}, {1, 0}}, Loop{{2, 3}, {2, 3}, {2, 3}}}) {
        EXPECT_EQ(Offset2D::offset(loop, 1), loop);
    }
    EXPECT_EQ(Offset2D::offset(kSquare, std::numeric_limits<double>::quiet_NaN()), kSquare);
}

}  // namespace
}  // namespace brontile
