// Measures of a sketch region: area, centroid, model-space outline, containment.
#include "sketch/profile.hpp"

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

}  // namespace

double Profile::area() const { return std::abs(Triangulator::signedArea(loop)); }

Vec2 Profile::centroid2D() const {
    if (loop.empty()) return Vec2::zero;
    if (loop.size() < 3) return loop.front();
    double crossSum = 0;
    Vec2 weighted;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const Vec2& p = loop[i];
        const Vec2& q = loop[(i + 1) % loop.size()];
        const double c = p.x * q.y - q.x * p.y;
        crossSum += c;
        weighted += (p + q) * c;
    }
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

bool Profile::contains(const Vec2& point) const { return Triangulator::contains(loop, point); }

}  // namespace brontile
