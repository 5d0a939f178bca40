// Vectors, rays and boxes: the arithmetic every other part of the model computes with.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <unordered_set>
#include <vector>

#include "geometry/aabb.hpp"
#include "geometry/ray.hpp"
#include "geometry/vec2.hpp"
#include "geometry/vec3.hpp"
#include "support/geometry_checks.hpp"

namespace brontile {
namespace {

using test::expectNear;

constexpr double kPi = std::numbers::pi;

TEST(Vec3Algebra, CrossProductsPerpendicularsNormalizingHashingAndNarrowing) {
    EXPECT_EQ((Vec3{1, 2, 3}.cross({4, 5, 6})), (Vec3{-3, 6, -3}));
    for (const Vec3 v : {Vec3{0, 0, 5}, Vec3{1, 0, 0}, Vec3{0.95, 0.1, 0}, Vec3{-3, 7, 2}}) {
        const Vec3 p = v.anyPerpendicular();
        EXPECT_NEAR(p.length(), 1, 1e-12);
        EXPECT_NEAR(p.dot(v), 0, 1e-12);
    }
    // Tiny vectors stay as they are when normalized or turned.
    EXPECT_EQ(Vec3::zero.normalized(), Vec3::zero);
    EXPECT_EQ((Vec3{1e-13, 0, 0}.normalized()), (Vec3{1e-13, 0, 0}));
    expectNear(Vec3{3, 0, 4}.normalized(), {0.6, 0, 0.8});
    EXPECT_EQ(Vec3::zero.anyPerpendicular(), Vec3::zero);
    // Equal vectors hash alike, negative zero included.
    std::unordered_set<Vec3> set{{0, 0, 0}, {1, 2, 3}};
    EXPECT_TRUE(set.contains(Vec3{-0.0, 0, -0.0}));
    EXPECT_TRUE(set.contains(Vec3{1, 2, 3}));
    EXPECT_FALSE(set.contains(Vec3{1, 2, 3.0000001}));
    // Narrowed to single precision for the renderer.
    EXPECT_EQ((Vec3{1.5, -2.25, 3}.simd4()), (Float4{1.5f, -2.25f, 3.0f, 1.0f}));
    EXPECT_EQ((Vec3{1.5, -2.25, 3}.simd()), (Float3{1.5f, -2.25f, 3.0f}));
    EXPECT_EQ(Vec3(Float3{0.5f, 1, 2}), (Vec3{0.5, 1, 2}));
}

TEST(Vec3Transforms, RotateAboutAnOffsetAxisByTheRightHandScaleAndMirror) {
    expectNear(Vec3{1, 0, 0}.rotated(Vec3{0, 0, 2}, Vec3::zero, kPi / 2), {0, 1, 0});
    // About the vertical line through (1, 1, 0): (2, 1, 5) swings to (1, 2, 5).
    expectNear(Vec3{2, 1, 5}.rotated(Vec3::unitZ, {1, 1, 0}, kPi / 2), {1, 2, 5});
    EXPECT_EQ((Vec3{3, 3, 3}.scaled({1, 1, 1}, 2)), (Vec3{5, 5, 5}));
    // The plane normal need not be unit length.
    expectNear(Vec3{1, 2, 7}.mirrored({0, 0, 5}, {0, 0, 10}), {1, 2, 3});
}

TEST(Vec2Algebra, CrossPerpendicularAnglesAndClosestPointsOnSegments) {
    EXPECT_EQ((Vec2{1, 0}.cross({0, 1})), 1);
    EXPECT_EQ((Vec2{2, 3}.perpendicular()), (Vec2{-3, 2}));
    EXPECT_DOUBLE_EQ((Vec2{0, 2}.angle()), kPi / 2);
    EXPECT_DOUBLE_EQ((Vec2{1, 0}.angle({-1, -1e-300})), kPi);
    EXPECT_DOUBLE_EQ((Vec2{1, 0}.angle({0, -1})), kPi / 2);  // unsigned

    const Vec2 a{0, 0};
    const Vec2 b{10, 0};
    EXPECT_EQ(Vec2::closestPointOnSegment({4, 3}, a, b), (Vec2{4, 0}));
    EXPECT_EQ(Vec2::closestPointOnSegment({-4, 3}, a, b), a);
    EXPECT_EQ(Vec2::closestPointOnSegment({14, 3}, a, b), b);
    EXPECT_EQ(Vec2::closestPointOnSegment({4, 3}, a, {1e-10, 0}), a);
}

TEST(RayPlane, DirectionIsNormalizedAndOnlyPlanesInFrontAreHit) {
    EXPECT_EQ(Ray({1, 1, 1}, {0, 0, 3}).direction, Vec3::unitZ);
    EXPECT_EQ(Ray({1, 1, 1}, Vec3::zero).direction, Vec3::zero);
    const Ray ray({0, 0, 10}, {0, 0, -1});
    const auto hit = ray.intersectPlane(Vec3::zero, Vec3::unitZ);
    ASSERT_TRUE(hit);
    EXPECT_DOUBLE_EQ(hit->t, 10);
    EXPECT_EQ(hit->point, Vec3::zero);

    EXPECT_FALSE(ray.intersectPlane({0, 0, 20}, Vec3::unitZ));  // behind
    EXPECT_FALSE(ray.intersectPlane({0, 0, 10}, Vec3::unitZ));  // t == 0
    EXPECT_FALSE(Ray({0, 0, 1}, {1, 0, 0}).intersectPlane(Vec3::zero, Vec3::unitZ));
}

TEST(RayTriangle, HitsInsideOnEdgesAndCornersFromBothSides) {
    const Vec3 a{0, 0, 0}, b{1, 0, 0}, c{0, 1, 0};
    const auto down = [](double x, double y) { return Ray({x, y, 5}, {0, 0, -1}); };
    EXPECT_NEAR(*down(0.25, 0.25).intersectTriangle(a, b, c), 5, 1e-12);
    EXPECT_TRUE(down(0.5, 0.5).intersectTriangle(a, b, c));    // hypotenuse
    EXPECT_TRUE(down(0, 0).intersectTriangle(a, b, c));        // corner
    EXPECT_TRUE(down(0.25, 0.25).intersectTriangle(a, c, b));  // other winding
    EXPECT_FALSE(down(0.6, 0.6).intersectTriangle(a, b, c));
    EXPECT_FALSE(Ray({0.25, 0.25, -5}, {0, 0, -1}).intersectTriangle(a, b, c));  // behind
    EXPECT_FALSE(Ray({0.25, 0.25, 0}, {0, 0, -1}).intersectTriangle(a, b, c));   // t == 0
}

TEST(RaySegment, ClosestLineParametersAreDistancesAndSegmentsClamp) {
    const Ray ray({0, 0, 10}, {0, 0, -1});
    const auto p = ray.closestParameters({-5, 3, 2}, {4, 0, 0});
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->rayT, 8, 1e-12);
    EXPECT_NEAR(p->lineT, 5, 1e-12);  // not a fraction of the direction's length
    EXPECT_FALSE(ray.closestParameters({1, 0, 0}, {0, 0, 7}));

    const auto inside = ray.distanceToSegment({-5, 3, 2}, {5, 3, 2});
    ASSERT_TRUE(inside);
    EXPECT_NEAR(inside->distance, 3, 1e-12);
    EXPECT_NEAR(inside->lineT, 5, 1e-12);
    expectNear(inside->point, {0, 3, 2});

    const auto clamped = ray.distanceToSegment({2, 0, 4}, {6, 0, 4});
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->lineT, 0);
    expectNear(clamped->point, {2, 0, 4});
    EXPECT_NEAR(clamped->rayT, 6, 1e-12);
    EXPECT_NEAR(clamped->distance, 2, 1e-12);

    // Clamped onto an end behind the eye: no result.
    EXPECT_FALSE(ray.distanceToSegment({2, 0, 20}, {6, 0, 40}));
}

// A parallel segment yields its farther end, a point segment itself.
TEST(RaySegment, ParallelAndPointSegments) {
    const Ray ray({0, 0, 0}, {1, 0, 0});
    const auto r = ray.distanceToSegment({2, 1, 0}, {7, 1, 0});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->point, (Vec3{7, 1, 0}));
    EXPECT_EQ(r->lineT, 5);
    EXPECT_EQ(r->rayT, 7);
    EXPECT_EQ(r->distance, 1);

    // Entirely behind the origin: still a result, at the smallest positive parameter.
    const auto behind = ray.distanceToSegment({-7, 1, 0}, {-2, 1, 0});
    ASSERT_TRUE(behind);
    EXPECT_EQ(behind->point, (Vec3{-2, 1, 0}));
    EXPECT_EQ(behind->rayT, 1e-9);

    // A degenerate segment is a point.
    const auto point = ray.distanceToSegment({3, 4, 0}, {3, 4, 0});
    ASSERT_TRUE(point);
    EXPECT_EQ(point->rayT, 3);
    EXPECT_EQ(point->distance, 4);
    EXPECT_FALSE(ray.distanceToSegment({-3, 4, 0}, {-3, 4, 0}));
}

TEST(Boxes, FromPointsMergeAndMeasures) {
    EXPECT_FALSE(AABB::fromPoints({}));
    EXPECT_FALSE(AABB::merge({}));

    const std::vector<Vec3> points{{1, 5, -2}, {-3, 2, 4}, {0, 0, 0}};
    const auto box = AABB::fromPoints(points);
    ASSERT_TRUE(box);
    EXPECT_EQ(*box, AABB({-3, 0, -2}, {1, 5, 4}));
    EXPECT_EQ(box->center(), (Vec3{-1, 2.5, 1}));
    EXPECT_EQ(box->size(), (Vec3{4, 5, 6}));
    EXPECT_DOUBLE_EQ(box->radius(), std::sqrt(16.0 + 25 + 36) / 2);

    const std::vector<AABB> boxes{*box, AABB({10, 10, 10}, {11, 12, 13})};
    EXPECT_EQ(AABB::merge(boxes), AABB({-3, 0, -2}, {11, 12, 13}));
}

}  // namespace
}  // namespace brontile
