#include "geometry/ray.hpp"

#include <algorithm>
#include <cmath>

#include "base/tolerances.hpp"

namespace brontile {

std::optional<Ray::PlaneHit> Ray::intersectPlane(const Vec3& planeOrigin,
                                                 const Vec3& normal) const {
    const double denominator = direction.dot(normal);
    if (!(std::abs(denominator) > kParameterTolerance)) return std::nullopt;
    const double t = (planeOrigin - origin).dot(normal) / denominator;
    if (!(t > 0)) return std::nullopt;
    return PlaneHit{t, point(t)};
}

std::optional<double> Ray::intersectTriangle(const Vec3& a, const Vec3& b, const Vec3& c) const {
    const Vec3 e1 = b - a;
    const Vec3 e2 = c - a;
    const Vec3 p = direction.cross(e2);
    const double det = e1.dot(p);
    if (!(std::abs(det) > kCrossProductTolerance)) return std::nullopt;
    const Vec3 s = origin - a;
    const double u = s.dot(p) / det;
    if (!(u >= -kParameterTolerance && u <= 1 + kParameterTolerance)) return std::nullopt;
    const Vec3 q = s.cross(e1);
    const double v = direction.dot(q) / det;
    if (!(v >= -kParameterTolerance && u + v <= 1 + kParameterTolerance)) return std::nullopt;
    const double t = e2.dot(q) / det;
    if (!(t > kLengthTolerance)) return std::nullopt;
    return t;
}

std::optional<Ray::LineParameters> Ray::closestParameters(const Vec3& linePoint,
                                                          const Vec3& lineDirection) const {
    const Vec3 l = lineDirection.normalized();
    const double b = direction.dot(l);
    const double denominator = 1 - b * b;
    if (!(denominator > kParameterTolerance)) return std::nullopt;
    const Vec3 w = origin - linePoint;
    const double d = l.dot(w);
    const double e = direction.dot(w);
    return LineParameters{(b * d - e) / denominator, (d - b * e) / denominator};
}

std::optional<Ray::SegmentProximity> Ray::distanceToSegment(const Vec3& a, const Vec3& b) const {
    const double length = (b - a).length();
    if (length < kNormalizeEpsilon) {
        const double rayT = (a - origin).dot(direction);
        if (!(rayT > kLengthTolerance)) return std::nullopt;
        return SegmentProximity{rayT, 0, a, (point(rayT) - a).length()};
    }

    const auto closest = closestParameters(a, b - a);
    if (!closest) {
        // Parallel: the end reaching farther along the ray stands for the whole segment.
        const double ta = (a - origin).dot(direction);
        const double tb = (b - origin).dot(direction);
        const bool useB = tb > ta;
        const Vec3 end = useB ? b : a;
        const double rayT = std::max(useB ? tb : ta, kLengthTolerance);
        return SegmentProximity{rayT, useB ? length : 0.0, end, (point(rayT) - end).length()};
    }

    double rayT = closest->rayT;
    const double lineT = std::clamp(closest->lineT, 0.0, length);
    const Vec3 nearest = a + (b - a).normalized() * lineT;
    if (std::abs(lineT - closest->lineT) > kLengthTolerance) {
        rayT = (nearest - origin).dot(direction);
        if (!(rayT > kLengthTolerance)) return std::nullopt;
    }
    return SegmentProximity{rayT, lineT, nearest, (point(rayT) - nearest).length()};
}

}  // namespace brontile
