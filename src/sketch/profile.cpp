// Measures of a sketch region: area, centroid, model-space outline, containment.
#include "sketch/profile.hpp"

#include <algorithm>
#include <cmath>

#include "base/tolerances.hpp"
#include "geometry/triangulator.hpp"

namespace brontile {
namespace {

Vec2 mean(const std::vector<Vec2>& points) {
    Vec2 sum;
    for (const Vec2& p : points) sum += p;
    return sum / static_cast<double>(points.size());
}

// Adds the loop's doubled signed area and its first moment, counting it positive when it winds
// as `sign` says, whatever its own winding.
void accumulate(const std::vector<Vec2>& loop, double sign, double& crossSum, Vec2& weighted) {
    double loopCross = 0;
    Vec2 loopWeighted;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const Vec2& p = loop[i];
        const Vec2& q = loop[(i + 1) % loop.size()];
        const double c = p.x * q.y - q.x * p.y;
        loopCross += c;
        loopWeighted += (p + q) * c;
    }
    const double flip = loopCross * sign < 0 ? -1 : 1;
    crossSum += flip * loopCross;
    weighted += loopWeighted * flip;
}

}  // namespace

double Profile::area() const {
    double total = std::abs(Triangulator::signedArea(loop));
    for (const auto& hole : holes) total -= std::abs(Triangulator::signedArea(hole));
    return total;
}

Vec2 Profile::centroid2D() const {
    if (loop.empty()) return Vec2::zero;
    if (loop.size() < 3) return loop.front();
    double crossSum = 0;
    Vec2 weighted;
    accumulate(loop, 1, crossSum, weighted);
    for (const auto& hole : holes) accumulate(hole, -1, crossSum, weighted);
    // Without usable area the weighted centroid would divide by about zero.
    if (std::abs(crossSum) < kCrossProductTolerance) return mean(loop);
    return weighted / (3 * crossSum);
}

std::vector<Vec3> Profile::worldPoints() const {
    std::vector<Vec3> points;
    points.reserve(loop.size());
    for (const Vec2& p : loop) points.push_back(plane.toWorld(p));
    return points;
}

std::vector<std::vector<Vec3>> Profile::worldLoops() const {
    std::vector<std::vector<Vec3>> loops{worldPoints()};
    for (const auto& hole : holes) {
        std::vector<Vec3>& points = loops.emplace_back();
        for (const Vec2& p : hole) points.push_back(plane.toWorld(p));
    }
    return loops;
}

bool Profile::contains(const Vec2& point) const {
    return Triangulator::contains(loop, point) &&
           std::ranges::none_of(
               holes, [&](const auto& hole) { return Triangulator::contains(hole, point); });
}

}  // namespace brontile
