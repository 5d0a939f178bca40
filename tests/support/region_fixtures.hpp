// Outlines the tests and benchmarks build sketch regions from: rectangles, regular polygons
// standing in for drawn circles, and plates drilled in a grid.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/vec2.hpp"

namespace brontile::test {

// Counter-clockwise from `min`.
inline std::vector<Vec2> rectangleLoop(const Vec2& min, const Vec2& max) {
    return {min, {max.x, min.y}, max, {min.x, max.y}};
}

// Counter-clockwise around `center`, the first corner straight out along +x.
inline std::vector<Vec2> regularPolygon(const Vec2& center, double radius, int sides = 64) {
    std::vector<Vec2> points;
    for (int i = 0; i < sides; ++i) {
        const double angle = 2 * std::numbers::pi * i / sides;
        points.push_back(center + Vec2{std::cos(angle), std::sin(angle)} * radius);
    }
    return points;
}

inline double regularPolygonArea(double radius, int sides = 64) {
    return sides / 2.0 * radius * radius * std::sin(2 * std::numbers::pi / sides);
}

// Clockwise 64-gons of `radius`, one at the centre of each cell of a columns × rows grid over
// min..max, as a region's holes run.
inline std::vector<std::vector<Vec2>> holeGrid(const Vec2& min, const Vec2& max, int columns,
                                               int rows, double radius) {
    std::vector<std::vector<Vec2>> holes;
    const Vec2 cell{(max.x - min.x) / columns, (max.y - min.y) / rows};
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            std::vector<Vec2>& hole = holes.emplace_back(
                regularPolygon(min + Vec2{cell.x * (i + 0.5), cell.y * (j + 0.5)}, radius));
            std::ranges::reverse(hole);
        }
    }
    return holes;
}

}  // namespace brontile::test
