// Marker shapes, polylines and dashed lines as line-list vertices.
#include "viewport/scene_markers.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/tolerances.hpp"
#include "geometry/angles.hpp"

namespace brontile::SceneMarkers {
namespace {

constexpr double kMinDashLength = 0.4;
constexpr double kDashPixels = 7;
constexpr double kGapPerDash = 0.7;
constexpr double kShortestDash = 1e-6;
// Beyond this a dashed line is drawn solid: a line this long would cost more vertices than the
// whole scene and no one could see the dashes anyway.
constexpr double kMostDashes = 100000;

constexpr int kCircleSegments = 14;
constexpr double kTriangleApex = 1.25;
constexpr double kTriangleHalfBase = 1.1;
constexpr double kTriangleBaseDrop = 0.65;
constexpr double kDiamondReach = 1.15;
constexpr double kTickStroke = 0.45;

// The marker plane: u and v span the plane perpendicular to the normal.
struct MarkerFrame {
    Vec3 u;
    Vec3 v;
};

MarkerFrame markerFrame(const Vec3& normal) {
    const Vec3 n = normal.normalized();
    const Vec3 u = n.anyPerpendicular();
    return {u, n.cross(u).normalized()};
}

template <std::size_t N>
void appendLoop(const std::array<Vec3, N>& corners, const RGBA& color,
                std::vector<RenderVertex>& into) {
    std::array<Vec3, N + 1> closed{};
    std::copy(corners.begin(), corners.end(), closed.begin());
    closed[N] = corners[0];
    appendPolyline(closed, color, into);
}

void appendSquare(const Vec3& p, double s, const MarkerFrame& f, const RGBA& color,
                  std::vector<RenderVertex>& into) {
    const Vec3 &u = f.u, &v = f.v;
    appendLoop(
        std::array<Vec3, 4>{p + (-u - v) * s, p + (u - v) * s, p + (u + v) * s, p + (-u + v) * s},
        color, into);
}

void appendTriangle(const Vec3& p, double s, const MarkerFrame& f, const RGBA& color,
                    std::vector<RenderVertex>& into) {
    const Vec3 &u = f.u, &v = f.v;
    appendLoop(std::array<Vec3, 3>{p + v * (kTriangleApex * s),
                                   p + (u * kTriangleHalfBase - v * kTriangleBaseDrop) * s,
                                   p + (u * -kTriangleHalfBase - v * kTriangleBaseDrop) * s},
               color, into);
}

void appendCircle(const Vec3& p, double s, const MarkerFrame& f, const RGBA& color,
                  std::vector<RenderVertex>& into) {
    std::array<Vec3, kCircleSegments + 1> points{};
    for (int i = 0; i <= kCircleSegments; ++i) {
        const double theta = kTwoPi * i / kCircleSegments;
        points[static_cast<std::size_t>(i)] =
            p + (f.u * std::cos(theta) + f.v * std::sin(theta)) * s;
    }
    appendPolyline(points, color, into);
}

void appendDiamond(const Vec3& p, double s, const MarkerFrame& f, const RGBA& color,
                   std::vector<RenderVertex>& into) {
    const double r = kDiamondReach * s;
    appendLoop(std::array<Vec3, 4>{p + f.v * r, p + f.u * r, p - f.v * r, p - f.u * r}, color,
               into);
}

void appendTick(const Vec3& p, double s, const MarkerFrame& f, const RGBA& color,
                std::vector<RenderVertex>& into) {
    const Vec3 low = p - f.v * s;
    const Vec3 high = p + f.v * s;
    const Vec3 stroke = f.u * (kTickStroke * s);
    appendSegment(low, high, color, into);
    appendSegment(low - stroke, low + stroke, color, into);
    appendSegment(high - stroke, high + stroke, color, into);
}

double dashLength(double worldUnitsPerPixel) {
    return std::max(kMinDashLength, worldUnitsPerPixel * kDashPixels);
}

bool drawnSolid(double length, double dash) {
    return dash < kShortestDash || length < dash / 2 || !std::isfinite(length) ||
           length / (dash * (1 + kGapPerDash)) > kMostDashes;
}

void appendDashes(const OverlayLine& line, double length, double dash,
                  std::vector<RenderVertex>& into) {
    const double gap = kGapPerDash * dash;
    const Vec3 direction = (line.b - line.a) / length;
    // The last dash ends exactly at b rather than at a rounded a + direction·length.
    const auto at = [&](double t) { return t >= length ? line.b : line.a + direction * t; };
    double position = 0;
    bool on = true;
    // Stopping short of the end keeps a rounding sliver from becoming a dash of its own.
    while (position < length - kLengthTolerance) {
        const double end = std::min(position + (on ? dash : gap), length);
        if (on) appendSegment(at(position), at(end), line.color, into);
        position = end;
        on = !on;
    }
}

}  // namespace

void appendSegment(const Vec3& a, const Vec3& b, const RGBA& color,
                   std::vector<RenderVertex>& into) {
    into.emplace_back(a, Vec3::zero, color);
    into.emplace_back(b, Vec3::zero, color);
}

void appendPolyline(std::span<const Vec3> points, const RGBA& color,
                    std::vector<RenderVertex>& into) {
    for (std::size_t i = 1; i < points.size(); ++i) {
        appendSegment(points[i - 1], points[i], color, into);
    }
}

void appendCross(const Vec3& point, double size, const RGBA& color,
                 std::vector<RenderVertex>& into) {
    if (!point.isFinite() || !std::isfinite(size)) return;
    for (const Vec3& axis : {Vec3::unitX, Vec3::unitY, Vec3::unitZ}) {
        appendSegment(point - axis * size, point + axis * size, color, into);
    }
}

void appendShape(const OverlayPoint& point, double size, std::vector<RenderVertex>& into) {
    if (point.kind == OverlayMarkerKind::cross) {
        appendCross(point.position, size, point.color, into);
        return;
    }
    const MarkerFrame frame = markerFrame(point.normal);
    if (!point.position.isFinite() || !std::isfinite(size) || !frame.u.isFinite() ||
        !frame.v.isFinite()) {
        return;
    }
    const Vec3& p = point.position;
    switch (point.kind) {
        case OverlayMarkerKind::cross: break;
        case OverlayMarkerKind::square: appendSquare(p, size, frame, point.color, into); break;
        case OverlayMarkerKind::triangle: appendTriangle(p, size, frame, point.color, into); break;
        case OverlayMarkerKind::circle: appendCircle(p, size, frame, point.color, into); break;
        case OverlayMarkerKind::diamond: appendDiamond(p, size, frame, point.color, into); break;
        case OverlayMarkerKind::tick: appendTick(p, size, frame, point.color, into); break;
    }
}

void appendOverlayLine(const OverlayLine& line, double worldUnitsPerPixel,
                       std::vector<RenderVertex>& into) {
    if (line.style == OverlayLineStyle::solid) {
        appendSegment(line.a, line.b, line.color, into);
        return;
    }
    const double length = (line.b - line.a).length();
    // Also rejects a NaN length.
    if (!(length > kLengthTolerance)) return;
    const double dash = dashLength(worldUnitsPerPixel);
    if (drawnSolid(length, dash)) {
        appendSegment(line.a, line.b, line.color, into);
    } else {
        appendDashes(line, length, dash, into);
    }
}

std::size_t overlayLineVertexBound(const OverlayLine& line, double worldUnitsPerPixel) {
    if (line.style == OverlayLineStyle::solid) return 2;
    const double length = (line.b - line.a).length();
    const double dash = dashLength(worldUnitsPerPixel);
    if (!(length > kLengthTolerance) || drawnSolid(length, dash)) return 2;
    return 2 * (static_cast<std::size_t>(length / (dash * (1 + kGapPerDash))) + 2);
}

}  // namespace brontile::SceneMarkers
