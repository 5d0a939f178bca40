// Ear clipping and the polygon predicates: full, counter-clockwise covers of simple polygons, and
// exact tilings of regions with holes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "geometry/triangulator.hpp"
#include "support/region_fixtures.hpp"

namespace brontile {
namespace {

using test::rectangleLoop;
using test::regularPolygon;
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

std::vector<Vec2> reversed(std::vector<Vec2> points) {
    std::ranges::reverse(points);
    return points;
}

// The triangles tile the region: each counter-clockwise with its centre inside the outer loop
// and outside every hole, their areas summing to the region's, and every loop edge used once
// the way that keeps the region on its left, every other edge once each way, so that nothing is
// covered twice and nothing left out.
void expectTiling(const std::vector<Vec2>& outer, const std::vector<std::vector<Vec2>>& holes,
                  const std::vector<Triple>& triangles) {
    std::vector<Vec2> points;
    std::map<std::pair<std::size_t, std::size_t>, int> edges;
    double expected = 0;
    for (std::size_t k = 0; k <= holes.size(); ++k) {
        const std::vector<Vec2>& loop = k == 0 ? outer : holes[k - 1];
        const double loopArea = Triangulator::signedArea(loop);
        expected += k == 0 ? std::abs(loopArea) : -std::abs(loopArea);
        for (std::size_t i = 0; i < loop.size(); ++i) {
            std::pair edge{points.size() + i, points.size() + (i + 1) % loop.size()};
            if ((loopArea > 0) != (k == 0)) std::swap(edge.first, edge.second);
            --edges[edge];
        }
        points.insert(points.end(), loop.begin(), loop.end());
    }
    ASSERT_EQ(triangles.size(), points.size() + 2 * holes.size() - 2);
    double total = 0;
    for (const Triple& t : triangles) {
        const Vec2 centre = (points[t[0]] + points[t[1]] + points[t[2]]) / 3;
        EXPECT_GT(area(points, t), 0) << t[0] << ' ' << t[1] << ' ' << t[2];
        EXPECT_TRUE(Triangulator::contains(outer, centre)) << centre.x << ", " << centre.y;
        for (const auto& hole : holes) {
            EXPECT_FALSE(Triangulator::contains(hole, centre)) << centre.x << ", " << centre.y;
        }
        total += area(points, t);
        for (std::size_t k = 0; k < 3; ++k) ++edges[{t[k], t[(k + 1) % 3]}];
    }
    EXPECT_NEAR(total, expected, 1e-12 * std::abs(Triangulator::signedArea(outer)));
    for (const auto& [edge, count] : edges) {
        const auto reverse = edges.find({edge.second, edge.first});
        const bool paired = count == 1 && reverse != edges.end() && reverse->second == 1;
        EXPECT_TRUE(count == 0 || paired) << edge.first << " -> " << edge.second << ": " << count;
    }
}

// Circles of radius 2 to 6 at random places of a 200 × 120 plate, each kept only when at least
// 0.05 clear of the plate's edge and of every circle kept before it.
std::vector<std::vector<Vec2>> scatteredHoles(int tries) {
    std::mt19937 random(7);
    const auto uniform = [&](double lo, double hi) {
        return lo + (hi - lo) * static_cast<double>(random()) / 4294967296.0;
    };
    std::vector<std::pair<Vec2, double>> circles;
    for (int i = 0; i < tries; ++i) {
        const double r = uniform(2, 6);
        const Vec2 c{uniform(r + 0.05, 200 - r - 0.05), uniform(r + 0.05, 120 - r - 0.05)};
        if (std::ranges::all_of(circles, [&](const auto& other) {
                return c.distance(other.first) > r + other.second + 0.05;
            })) {
            circles.emplace_back(c, r);
        }
    }
    std::vector<std::vector<Vec2>> holes;
    for (const auto& [c, r] : circles) {
        holes.push_back(regularPolygon(c, r, 16 + static_cast<int>(r) * 8));
    }
    return holes;
}

TEST(TriangulationWithHoles, TilesTheRegionExactlyWhateverTheWindings) {
    const std::vector<Vec2> plate = rectangleLoop({0, 0}, {160, 100});
    // Teeth hang from the top edge between holes, so the nearest point is often out of sight.
    std::vector<Vec2> comb{{0, 0}, {100, 0}, {100, 50}};
    for (int x = 90; x > 0; x -= 20) {
        comb.insert(comb.end(), {{x + 5.0, 50}, {x + 0.0, 8}, {x - 5.0, 50}});
    }
    comb.push_back({0, 50});
    const struct {
        const char* name;
        std::vector<Vec2> outer;
        std::vector<std::vector<Vec2>> holes;
    } rows[] = {
        {"square hole in a square",
         rectangleLoop({0, 0}, {10, 10}),
         {rectangleLoop({3, 3}, {7, 7})}},
        {"no hole", {{0, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 20}, {0, 20}}, {}},
        {"plate with two holes",
         plate,
         {regularPolygon({40, 50}, 6), regularPolygon({120, 50}, 6)}},
        // Rightmost points level with each other and with the other holes' leftmost points.
        {"holes 0.01 apart",
         plate,
         {regularPolygon({40, 50}, 6), regularPolygon({52.01, 50}, 6),
          regularPolygon({40, 62.01}, 6), regularPolygon({52.01, 62.01}, 6),
          regularPolygon({64.02, 50}, 6)}},
        {"holes 0.01 from the edge",
         plate,
         {regularPolygon({6.01, 50}, 6), regularPolygon({153.99, 50}, 6),
          regularPolygon({80, 6.01}, 6), regularPolygon({80, 93.99}, 6),
          regularPolygon({6.01, 6.01}, 6)}},
        {"plate with 20 holes", plate, test::holeGrid({0, 0}, {160, 100}, 5, 4, 6)},
        {"holes between teeth",
         comb,
         {regularPolygon({20, 25}, 3), regularPolygon({40, 4}, 3), regularPolygon({60, 25}, 3),
          regularPolygon({80, 4}, 3), regularPolygon({10, 5}, 2, 7)}},
        {"scattered holes", rectangleLoop({0, 0}, {200, 120}), scatteredHoles(60)},
        // The small square's nearest corners lie behind the tall hole, joined after it...
        {"nearest corners behind a hole still to join",
         rectangleLoop({0, 0}, {100, 20}),
         {rectangleLoop({10, 8}, {12, 12}), rectangleLoop({3, 2}, {9, 18})}},
        // ...or before it, with a spike of the outer loop reaching up behind it.
        {"nearest corner behind a joined hole",
         {{0, 0}, {15.8, 0}, {16, 9}, {16.2, 0}, {100, 0}, {100, 20}, {0, 20}},
         {rectangleLoop({8, 8}, {10, 12}), rectangleLoop({13, 1}, {15, 19})}},
        // Both holes are nearest to the spike's tip; the second must join the copy of it the
        // first bridge left on its side.
        {"two holes bridged to one corner",
         {{0, 0}, {100, 0}, {100, 20}, {51, 20}, {50, 10}, {49, 20}, {0, 20}},
         {rectangleLoop({40, 1}, {45, 3}), rectangleLoop({38, 13}, {43, 17})}},
    };
    for (const auto& row : rows) {
        for (const bool turnOuter : {false, true}) {
            for (const bool turnHoles : {false, true}) {
                SCOPED_TRACE(std::string(row.name) + (turnOuter ? ", outer reversed" : "") +
                             (turnHoles ? ", holes reversed" : ""));
                const std::vector<Vec2> outer = turnOuter ? reversed(row.outer) : row.outer;
                std::vector<std::vector<Vec2>> holes;
                for (const auto& hole : row.holes) {
                    holes.push_back(turnHoles ? reversed(hole) : hole);
                }
                expectTiling(outer, holes, Triangulator::triangulateWithHoles(outer, holes));
            }
        }
    }
}

// Loops are taken as distinctLoop keeps them: repeats and holes without area name no triangle.
TEST(TriangulationWithHoles, SkipsRepeatsAndLoopsWithoutAreaAndEndsOnBrokenInput) {
    const std::vector<Vec2> square = rectangleLoop({0, 0}, {10, 10});
    const std::vector<Vec2> hole = reversed(rectangleLoop({3, 3}, {7, 7}));
    EXPECT_TRUE(Triangulator::triangulateWithHoles(std::vector<Vec2>{{0, 0}, {1, 0}}, {}).empty());
    const std::vector<std::vector<Vec2>> flat{{{1, 1}, {2, 1}}, {{1, 1}, {2, 2}, {3, 3}}};
    const auto alone = Triangulator::triangulateWithHoles(square, flat);
    EXPECT_EQ(alone.size(), 2U);
    for (const Triple& t : alone) EXPECT_LT(std::ranges::max(t), 4U);

    std::vector<Vec2> closed = hole;
    closed.push_back(hole.front());
    const auto triangles =
        Triangulator::triangulateWithHoles(square, std::vector<std::vector<Vec2>>{closed});
    EXPECT_EQ(triangles.size(), 8U);
    for (const Triple& t : triangles) EXPECT_LT(std::ranges::max(t), 8U);

    // Holes overlapping each other and the outer loop break the contract; the clipping still
    // ends, with one triangle per point and two per hole, less two.
    const std::vector<std::vector<Vec2>> overlapping{reversed(rectangleLoop({2, 2}, {6, 6})),
                                                     reversed(rectangleLoop({4, 4}, {8, 8})),
                                                     rectangleLoop({8, 8}, {12, 12})};
    EXPECT_EQ(Triangulator::triangulateWithHoles(square, overlapping).size(), 20U);
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
