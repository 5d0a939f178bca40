// Vectors, rays, boxes and colours, the arithmetic every other part of the model computes with,
// and lengths as the user reads and types them.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "geometry/aabb.hpp"
#include "geometry/length_unit.hpp"
#include "geometry/ray.hpp"
#include "geometry/rgba.hpp"
#include "geometry/unit_formatter.hpp"
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

// The nearest approach to a segment clamps to its ends; a parallel segment yields its farther
// end (even wholly behind the origin, at the smallest positive parameter), a point segment itself.
TEST(RaySegment, ClosestLineParametersAreDistancesAndSegmentsClamp) {
    const Ray down({0, 0, 10}, {0, 0, -1});
    const auto p = down.closestParameters({-5, 3, 2}, {4, 0, 0});
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->rayT, 8, 1e-12);
    EXPECT_NEAR(p->lineT, 5, 1e-12);  // not a fraction of the direction's length
    EXPECT_FALSE(down.closestParameters({1, 0, 0}, {0, 0, 7}));

    const Ray along({0, 0, 0}, {1, 0, 0});
    using Near = Ray::SegmentProximity;
    const struct {
        const char* name;
        const Ray& ray;
        Vec3 a, b;
        std::optional<Near> expected;
    } rows[] = {
        {"crossing", down, {-5, 3, 2}, {5, 3, 2}, Near{8, 5, {0, 3, 2}, 3}},
        {"clamped", down, {2, 0, 4}, {6, 0, 4}, Near{6, 0, {2, 0, 4}, 2}},
        {"clamped behind the eye", down, {2, 0, 20}, {6, 0, 40}, std::nullopt},
        {"parallel", along, {2, 1, 0}, {7, 1, 0}, Near{7, 5, {7, 1, 0}, 1}},
        {"parallel behind",
         along,
         {-7, 1, 0},
         {-2, 1, 0},
         Near{1e-9, 5, {-2, 1, 0}, std::hypot(2 + 1e-9, 1)}},
        {"point", along, {3, 4, 0}, {3, 4, 0}, Near{3, 0, {3, 4, 0}, 4}},
        {"point behind", along, {-3, 4, 0}, {-3, 4, 0}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto near = row.ray.distanceToSegment(row.a, row.b);
        ASSERT_EQ(near.has_value(), row.expected.has_value());
        if (!near) continue;
        expectNear(near->rayT, row.expected->rayT);
        expectNear(near->lineT, row.expected->lineT);
        expectNear(near->point, row.expected->point);
        expectNear(near->distance, row.expected->distance);
    }
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

constexpr auto mm = LengthUnit::millimeters;
constexpr auto in = LengthUnit::inches;

TEST(Colours, PaletteWrapsInBothDirectionsAndLightenedCapsColourChannelsOnly) {
    EXPECT_EQ(BodyPalette::color(6), BodyPalette::color(0));
    EXPECT_EQ(BodyPalette::color(-1), BodyPalette::colors[5]);
    EXPECT_EQ(BodyPalette::color(-7), BodyPalette::colors[5]);
    EXPECT_EQ(BodyPalette::color(INT64_MIN), BodyPalette::colors[4]);  // −2^63 ≡ 4 (mod 6)

    const RGBA c = RGBA::selection.withAlpha(0.5f).lightened(0.5f);
    EXPECT_EQ(c.r, 1.0f);
    EXPECT_EQ(c.g, 1.0f);
    EXPECT_FLOAT_EQ(c.b, 0.66f);
    EXPECT_EQ(c.a, 0.5f);
    EXPECT_EQ(RGBA::edge.lightened(-0.5f).r, 0.09f - 0.5f);  // no lower clamp
    EXPECT_EQ(RGBA::arrowReverse.simd(), (Float4{1.0f, 0.62f, 0.28f, 1.0f}));
    EXPECT_EQ(fromRawValue<LengthUnit>("Millimeters"), std::nullopt);  // raw values are exact
}

// A selected or hovered thing must never look like a body's own colour, nor like each other.
TEST(Colours, SelectionAndHoverStandApartFromThePaletteAndEachOther) {
    const auto apart = [](const RGBA& p, const RGBA& q) {
        return std::hypot(p.r - q.r, p.g - q.g, p.b - q.b);
    };
    for (const RGBA& body : BodyPalette::colors) {
        EXPECT_GT(apart(body, RGBA::selection), 0.4) << body.r << " " << body.g << " " << body.b;
        EXPECT_GT(apart(body, RGBA::hover), 0.35) << body.r << " " << body.g << " " << body.b;
    }
    EXPECT_GT(apart(RGBA::selection, RGBA::hover), 0.8);
}

TEST(FormattingLengths, GivesTheExpectedText) {
    const struct {
        double valueMM;
        LengthUnit unit;
        std::optional<int> decimals;
        std::string text;
    } rows[] = {
        // clang-format off
        {12.5, mm, std::nullopt, "12.5 mm"},  {25.4, in, std::nullopt, "1 in"},
        {10, mm, 2, "10 mm"},                 {-0.001, mm, std::nullopt, "0 mm"},
        {0, mm, std::nullopt, "0 mm"},        {1.23456, in, std::nullopt, "0.049 in"},
        {-0.004, mm, 2, "0 mm"},              {-2.5, mm, std::nullopt, "-2.5 mm"},
        {1500, mm, 0, "1500 mm"},             {2.675, mm, 1, "2.7 mm"},
        {1.0 / 3, mm, -4, "0 mm"},            {1.0 / 3, mm, 500, "0.33333333333333331483 mm"},
        // clang-format on
    };
    for (const auto& row : rows) {
        EXPECT_EQ(UnitFormatter::string(row.valueMM, row.unit, row.decimals), row.text)
            << row.valueMM;
    }
}

TEST(ParsingLengths, GivesTheExpectedMillimetresOrRefuses) {
    const struct {
        std::string typed;
        LengthUnit unit;
        std::optional<double> expectedMM;
    } rows[] = {
        // clang-format off
        {"25.4", mm, 25.4},    {"1in", mm, 25.4},   {"1 in", mm, 25.4}, {"1\"", mm, 25.4},
        {"3/4 in", mm, 19.05}, {"2 mm", in, 2},     {"1/2", in, 12.7},  {"  2.5MM  ", in, 2.5},
        {"\n 7 \t", mm, 7},    {"-1.5e1", mm, -15}, {"+3", in, 76.2},   {".5", mm, 0.5},
        {"1/2/", mm, 0.5},    {"5 cm", in, 50},     {"2.5CM", mm, 25},
        // Refused.
        {"1 / 2", mm, {}}, {"abc", mm, {}}, {"1/0", mm, {}}, {"1/2/3", mm, {}}, {"", mm, {}},
        {"   ", in, {}},   {"mm", mm, {}},  {"inf", mm, {}}, {"nan", mm, {}},   {"1e999", mm, {}},
        {"0x10", mm, {}},  {"+-3", mm, {}}, {"1,5", mm, {}}, {"1\nmm", mm, {}}, {"5 km", mm, {}},
        {"1e308/1e-308", mm, {}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE('"' + row.typed + '"');
        const auto parsed = UnitFormatter::parseMillimeters(row.typed, row.unit);
        EXPECT_EQ(parsed.has_value(), row.expectedMM.has_value());
        if (parsed && row.expectedMM) {
            EXPECT_NEAR(*parsed, *row.expectedMM, 1e-12);
        }
    }
}

}  // namespace
}  // namespace brontile
