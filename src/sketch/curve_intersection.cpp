// Closed-form line and circle crossings with fixed absolute tolerances, and the dispatch over
// every pair of sketch curve kinds.
#include "sketch/curve_intersection.hpp"

#include <algorithm>
#include <cmath>
#include <variant>

#include "geometry/angles.hpp"

namespace brontile::CurveIntersection {
namespace {

// Rounding can push a tangent's discriminant slightly negative.
constexpr double kDiscriminantTolerance = 1e-12;
// Circles this far apart (or this far inside one another) are still taken to touch.
constexpr double kTouchTolerance = 1e-8;
// Two crossings within the on-circle tolerance of their midpoint are one touching point.
constexpr double kTangentHeightSquared = kOnCircleTolerance * kOnCircleTolerance;
static_assert(kTangentHeightSquared == 1e-12);

// Written so that NaN fails.
bool withinUnitInterval(double t) {
    return t >= -kParameterTolerance && t <= 1 + kParameterTolerance;
}

std::vector<Vec2> keptOnArc(std::vector<Vec2> points, const SketchArc& arc) {
    std::erase_if(points, [&](const Vec2& p) {
        return !onArc(arc.center, arc.radius, arc.startAngle, arc.endAngle, p);
    });
    return points;
}

std::vector<Vec2> between(const SketchLine& a, const SketchLine& b) {
    const auto point = lineLine(a.start, a.end, b.start, b.end);
    return point ? std::vector<Vec2>{*point} : std::vector<Vec2>{};
}

std::vector<Vec2> between(const SketchLine& l, const SketchCircle& c) {
    return lineCircle(l.start, l.end, c.center, c.radius);
}

std::vector<Vec2> between(const SketchCircle& c, const SketchLine& l) { return between(l, c); }

std::vector<Vec2> between(const SketchLine& l, const SketchArc& a) {
    return keptOnArc(lineCircle(l.start, l.end, a.center, a.radius), a);
}

std::vector<Vec2> between(const SketchArc& a, const SketchLine& l) { return between(l, a); }

std::vector<Vec2> between(const SketchCircle& a, const SketchCircle& b) {
    return circleCircle(a.center, a.radius, b.center, b.radius);
}

std::vector<Vec2> between(const SketchCircle& c, const SketchArc& a) {
    return keptOnArc(circleCircle(c.center, c.radius, a.center, a.radius), a);
}

std::vector<Vec2> between(const SketchArc& a, const SketchCircle& c) {
    return keptOnArc(circleCircle(a.center, a.radius, c.center, c.radius), a);
}

std::vector<Vec2> between(const SketchArc& a, const SketchArc& b) {
    return keptOnArc(keptOnArc(circleCircle(a.center, a.radius, b.center, b.radius), a), b);
}

// Adds the point at parameter t of a–a+d unless t is off the segment or the point repeats one
// already found (a tangent yields the same root twice).
void addSegmentPoint(std::vector<Vec2>& points, const Vec2& a, const Vec2& d, double t) {
    if (!withinUnitInterval(t)) return;
    const Vec2 point = a + d * std::clamp(t, 0.0, 1.0);
    if (!point.isFinite()) return;
    const bool repeated = std::any_of(points.begin(), points.end(), [&](const Vec2& q) {
        return q.distance(point) < kLengthTolerance;
    });
    if (!repeated) points.push_back(point);
}

}  // namespace

std::vector<Vec2> intersections(const SketchEntity& first, const SketchEntity& second) {
    return intersections(first.geometry, second.geometry);
}

std::vector<Vec2> intersections(const SketchGeometry& first, const SketchGeometry& second) {
    return std::visit([](const auto& a, const auto& b) { return between(a, b); }, first, second);
}

std::optional<Vec2> lineLine(const Vec2& a1, const Vec2& a2, const Vec2& b1, const Vec2& b2) {
    const Vec2 d1 = a2 - a1;
    const Vec2 d2 = b2 - b1;
    const double denominator = d1.cross(d2);
    if (std::abs(denominator) <= kAreaTolerance) return std::nullopt;
    const Vec2 offset = b1 - a1;
    const double t = offset.cross(d2) / denominator;
    const double u = offset.cross(d1) / denominator;
    if (!withinUnitInterval(t) || !withinUnitInterval(u)) return std::nullopt;
    const Vec2 point = a1 + d1 * t;
    if (!point.isFinite()) return std::nullopt;
    return point;
}

std::vector<Vec2> lineCircle(const Vec2& a, const Vec2& b, const Vec2& center, double radius) {
    if (!(radius > kLengthTolerance)) return {};
    const Vec2 d = b - a;
    const Vec2 f = a - center;
    const double lengthSq = d.lengthSquared();
    if (lengthSq <= kLengthTolerance) {
        if (std::abs(f.length() - radius) <= kOnCircleTolerance) return {a};
        return {};
    }
    const double linearTerm = 2 * d.dot(f);
    const double discriminant =
        linearTerm * linearTerm - 4 * lengthSq * (f.lengthSquared() - radius * radius);
    if (!(discriminant >= -kDiscriminantTolerance)) return {};
    const double s = std::sqrt(std::max(discriminant, 0.0));
    std::vector<Vec2> points;
    addSegmentPoint(points, a, d, (-linearTerm - s) / (2 * lengthSq));
    addSegmentPoint(points, a, d, (s - linearTerm) / (2 * lengthSq));
    return points;
}

std::vector<Vec2> circleCircle(const Vec2& c1, double r1, const Vec2& c2, double r2) {
    if (!(r1 > kLengthTolerance && r2 > kLengthTolerance)) return {};
    const Vec2 c1ToC2 = c2 - c1;
    const double distance = c1ToC2.length();
    if (!(distance >= kLengthTolerance)) return {};
    if (r1 + r2 + kTouchTolerance < distance) return {};
    if (distance < std::abs(r1 - r2) - kTouchTolerance) return {};
    const double a = (r1 * r1 - r2 * r2 + distance * distance) / (2 * distance);
    const double heightSq = r1 * r1 - a * a;
    const Vec2 base = c1 + c1ToC2 * a / distance;
    // Squares of huge radii overflow; such circles have no usable crossing.
    if (!std::isfinite(heightSq) || !base.isFinite()) return {};
    if (heightSq < kTangentHeightSquared) return {base};
    const Vec2 left = (c1ToC2 / distance).perpendicular() * std::sqrt(heightSq);
    return {base + left, base - left};
}

bool onArc(const Vec2& center, double radius, double start, double end, const Vec2& point) {
    const Vec2 radial = point - center;
    const double tolerance = std::max(radius * kOnCircleRelativeTolerance, kOnCircleTolerance);
    if (!(std::abs(radial.length() - radius) <= tolerance)) return false;
    // normalizedAngle reduces huge angles with fmod and turns NaN into NaN, which fails below.
    return normalizedAngle(radial.angle() - start) <= sweep(start, end) + kAngleTolerance;
}

double sweep(double start, double end) { return counterClockwiseSweep(start, end); }

}  // namespace brontile::CurveIntersection
