#include "geometry/triangulator.hpp"

#include <algorithm>

#include "base/tolerances.hpp"

namespace brontile::Triangulator {
namespace {

// No index other than the three corners may lie in (or on) the candidate ear.
bool isEar(const std::vector<std::size_t>& loop, std::size_t position,
           std::span<const Vec2> points) {
    const std::size_t count = loop.size();
    const std::size_t prev = loop[(position + count - 1) % count];
    const std::size_t cur = loop[position];
    const std::size_t next = loop[(position + 1) % count];
    const Vec2 a = points[prev];
    const Vec2 b = points[cur];
    const Vec2 c = points[next];
    if (!((b - a).cross(c - b) > kCrossProductTolerance)) return false;
    return std::none_of(loop.begin(), loop.end(), [&](std::size_t other) {
        return other != prev && other != cur && other != next &&
               pointInTriangle(points[other], a, b, c);
    });
}

}  // namespace

double signedArea(std::span<const Vec2> points) {
    if (points.size() < 3) return 0;
    double sum = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vec2& p = points[i];
        const Vec2& q = points[(i + 1) % points.size()];
        sum += p.x * q.y - q.x * p.y;
    }
    return sum / 2;
}

bool contains(std::span<const Vec2> polygon, const Vec2& point) {
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Vec2& pi = polygon[i];
        const Vec2& pj = polygon[j];
        if ((pi.y > point.y) != (pj.y > point.y) &&
            pi.x + (point.y - pi.y) * (pj.x - pi.x) / (pj.y - pi.y) > point.x) {
            inside = !inside;
        }
    }
    return inside;
}

bool pointInTriangle(const Vec2& p, const Vec2& a, const Vec2& b, const Vec2& c) {
    const double d1 = (b - a).cross(p - a);
    const double d2 = (c - b).cross(p - b);
    const double d3 = (a - c).cross(p - c);
    const bool hasNegative = d1 < -kCrossProductTolerance || d2 < -kCrossProductTolerance ||
                             d3 < -kCrossProductTolerance;
    const bool hasPositive =
        d1 > kCrossProductTolerance || d2 > kCrossProductTolerance || d3 > kCrossProductTolerance;
    return !(hasNegative && hasPositive);
}

std::vector<std::size_t> distinctLoop(std::span<const Vec2> points) {
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (kept.empty() || !(points[i].distance(points[kept.back()]) < kLengthTolerance)) {
            kept.push_back(i);
        }
    }
    if (kept.size() < 2) return {};
    if (points[kept.front()].distance(points[kept.back()]) < kLengthTolerance) {
        kept.pop_back();
    }
    if (kept.size() < 3) return {};
    return kept;
}

std::vector<Triple> triangulate(std::span<const Vec2> points) {
    std::vector<std::size_t> loop = distinctLoop(points);
    if (loop.empty()) return {};

    std::vector<Vec2> kept;
    kept.reserve(loop.size());
    for (std::size_t index : loop) kept.push_back(points[index]);
    if (signedArea(kept) < 0) std::reverse(loop.begin(), loop.end());

    std::vector<Triple> triangles;
    triangles.reserve(loop.size() - 2);
    const std::size_t m = loop.size();
    // Every round removes one index, so this bound is only a guard.
    const std::size_t maxRounds = m * m + 16;
    for (std::size_t round = 0; loop.size() > 3 && round < maxRounds; ++round) {
        const std::size_t count = loop.size();
        std::size_t position = 0;
        while (position < count && !isEar(loop, position, points)) ++position;
        if (position < count) {
            triangles.push_back({loop[(position + count - 1) % count], loop[position],
                                 loop[(position + 1) % count]});
        } else {
            triangles.push_back({loop.back(), loop[0], loop[1]});
            position = 0;
        }
        loop.erase(loop.begin() + static_cast<std::ptrdiff_t>(position));
    }
    if (loop.size() == 3) triangles.push_back({loop[0], loop[1], loop[2]});
    return triangles;
}

}  // namespace brontile::Triangulator
