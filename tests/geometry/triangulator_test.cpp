// Ear clipping and the polygon predicates: full, counter-clockwise covers of simple polygons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/triangulator.hpp"

namespace brontile {
namespace {

using Triangulator::Triple;

double area(const std::vector<Vec2>& p, const Triple& t) {
    return (p[t[1]] - p[t[0]]).cross(p[t[2]] - p[t[0]]) / 2;
}

// Every triangle is counter-clockwise and together they cover the polygon's area exactly once.
void expectCounterClockwiseCover(const std::vector<Vec2>& points,
                                 const std::vector<Triple>& triangles) {
    double total = 0;
    for (const Triple& t : triangles) {
        EXPECT_GE(area(points, t), 0) << t[0] << ' ' << t[1] << ' ' << t[2];
        total += area(points, t);
    }
    EXPECT_NEAR(total, std::abs(Triangulator::signedArea(points)), 1e-9);
}

// Too few distinct points give nothing, three one triple (reversed when clockwise), more the
// polygon's vertex count less two.
TEST(Triangulation, PolygonsAreCoveredExactlyOnceByCounterClockwiseTriples) {
    std::vector<Vec2> star;
    for (int i = 0; i < 20; ++i) {
        const double angle = std::numbers::pi * i / 10;
        const double r = i % 2 == 0 ? 10 : 4;
        star.push_back({r * std::cos(angle), r * std::sin(angle)});
    }
    const struct {
        const char* name;
        std::vector<Vec2> points;
        std::size_t count;
        // The leading triples, where they are fixed.
        std::vector<Triple> first;
    } rows[] = {
        {"nothing", {}, 0, {}},
        {"two points", {{0, 0}, {1, 0}}, 0, {}},
        {"no area", {{0, 0}, {1, 0}, {1, 1e-10}, {0, 0}}, 0, {}},
        {"counter-clockwise triangle", {{0, 0}, {1, 0}, {0, 1}}, 1, {{0, 1, 2}}},
        {"clockwise triangle", {{0, 0}, {0, 1}, {1, 0}}, 1, {{2, 1, 0}}},
        {"clockwise square", {{0, 0}, {0, 1}, {1, 1}, {1, 0}}, 2, {}},
        {"square closed by its first point", {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}, 2, {}},
        // While it is collinear, vertex 1 cannot be an ear: the first ear is clipped at vertex 0.
        {"collinear vertices", {{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}}, 3, {{4, 0, 1}}},
        {"L shape", {{0, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 20}, {0, 20}}, 4, {}},
        {"star", star, 18, {}},
        // A "bow" touching itself at (1, 1): both copies of that point block ears, and the
        // fallback still completes the cover.
        {"bow", {{0, 0}, {2, 0}, {1, 1}, {2, 2}, {0, 2}, {1, 1}}, 4, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto triangles = Triangulator::triangulate(row.points);
        EXPECT_EQ(triangles.size(), row.count);
        if (triangles.size() != row.count) continue;
        EXPECT_EQ(std::vector(triangles.begin(), triangles.begin() + row.first.size()), row.first);
        expectCounterClockwiseCover(row.points, triangles);
    }
}

TEST(PolygonPredicates, SignedAreaContainsAndPointInTriangle) {
    const std::vector<Vec2> square{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    EXPECT_EQ(Triangulator::signedArea(square), 4);
    EXPECT_EQ(Triangulator::signedArea(std::vector<Vec2>{{0, 0}, {1, 1}}), 0);

    EXPECT_TRUE(Triangulator::contains(square, {1, 1}));
    EXPECT_FALSE(Triangulator::contains(square, {3, 1}));
    EXPECT_FALSE(Triangulator::contains({}, {0, 0}));

    // Level with a vertex the ray passes through it (or along an edge): that vertex must count
    // once for the ray, or not at all, whichever way round the outline runs.
    const struct {
        const char* name;
        std::vector<Vec2> outline;
        std::vector<Vec2> inside, outside;
    } shapes[] = {
        {"diamond",
         {{0, -2}, {2, 0}, {0, 2}, {-2, 0}},
         {{0, 0}, {1.5, 0}, {-1.5, 0}},
         {{3, 0}, {-3, 0}, {0.5, 2}, {-0.5, 2}, {0.5, -2}, {-0.5, -2}}},
        {"square notched from the left to (2, 2)",
         {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {2, 2}},
         {{3, 2}, {3.9, 2}},
         {{1, 2}, {-1, 2}, {5, 2}, {-1, 4}, {5, 4}, {-1, 0}, {5, 0}}},
        {"square notched from the top to (2, 2)",
         {{0, 0}, {4, 0}, {4, 4}, {2, 2}, {0, 4}},
         {{1, 2}, {3, 2}, {0.5, 2}},
         {{-1, 2}, {5, 2}, {-1, 4}, {5, 4}, {2, 4}, {-1, 0}}},
    };
    for (const auto& shape : shapes) {
        for (const bool reversed : {false, true}) {
            SCOPED_TRACE(std::string(shape.name) + (reversed ? ", clockwise" : ""));
            std::vector<Vec2> outline = shape.outline;
            if (reversed) std::ranges::reverse(outline);
            for (const Vec2& p : shape.inside) {
                EXPECT_TRUE(Triangulator::contains(outline, p)) << p.x << ", " << p.y;
            }
            for (const Vec2& p : shape.outside) {
                EXPECT_FALSE(Triangulator::contains(outline, p)) << p.x << ", " << p.y;
            }
        }
    }

    const Vec2 a{0, 0}, b{4, 0}, c{0, 4};
    EXPECT_TRUE(Triangulator::pointInTriangle({1, 1}, a, b, c));
    EXPECT_TRUE(Triangulator::pointInTriangle({2, 2}, a, b, c));  // on an edge
    EXPECT_TRUE(Triangulator::pointInTriangle(a, a, b, c));       // on a corner
    EXPECT_TRUE(Triangulator::pointInTriangle({1, 1}, a, c, b));  // clockwise
    EXPECT_FALSE(Triangulator::pointInTriangle({3, 3}, a, b, c));
}

}  // namespace
}  // namespace brontile
