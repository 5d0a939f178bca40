#include "sketch/sketch_entity.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "base/overloaded.hpp"
#include "geometry/angles.hpp"

namespace brontile {
namespace {

Vec2 onCircle(const Vec2& center, double radius, double angle) {
    return center + Vec2{std::cos(angle), std::sin(angle)} * radius;
}

std::vector<Vec2> quadrantPoints(const SketchCircle& c) {
    return {{c.center.x + c.radius, c.center.y},
            {c.center.x - c.radius, c.center.y},
            {c.center.x, c.center.y + c.radius},
            {c.center.x, c.center.y - c.radius}};
}

Vec2 closestOnArc(const SketchArc& arc, const Vec2& p) {
    const double angle = (p - arc.center).angle();
    if (normalizedAngle(angle - arc.startAngle) <= arc.sweep()) return arc.pointAt(angle);
    const Vec2 start = arc.startPoint();
    const Vec2 end = arc.endPoint();
    return p.distance(start) < p.distance(end) ? start : end;
}

}  // namespace

double SketchArc::sweep() const { return counterClockwiseSweep(startAngle, endAngle); }

Vec2 SketchArc::pointAt(double angle) const { return onCircle(center, radius, angle); }

std::vector<Vec2> SketchEntity::polyline() const {
    return std::visit(
        Overloaded{
            [](const SketchLine& l) {
                return std::vector<Vec2>{l.start, l.end};
            },
            [](const SketchCircle& c) {
                std::vector<Vec2> points;
                points.reserve(circleSegments + 1);
                for (int k = 0; k < circleSegments; ++k) {
                    points.push_back(onCircle(c.center, c.radius, kTwoPi * k / circleSegments));
                }
                // sin(2π) is not exactly 0; repeating the first point closes the loop exactly.
                points.push_back(points.front());
                return points;
            },
            [](const SketchArc& a) {
                const double sweep = a.sweep();
                std::vector<Vec2> points;
                points.reserve(arcSegments + 1);
                for (int k = 0; k <= arcSegments; ++k) {
                    points.push_back(a.pointAt(a.startAngle + sweep * k / arcSegments));
                }
                return points;
            },
        },
        geometry);
}

bool SketchEntity::isClosed() const { return std::holds_alternative<SketchCircle>(geometry); }

std::vector<Vec2> SketchEntity::endpoints() const {
    return std::visit(Overloaded{
                          [](const SketchLine& l) {
                              return std::vector<Vec2>{l.start, l.end};
                          },
                          [](const SketchCircle& c) { return quadrantPoints(c); },
                          [](const SketchArc& a) {
                              return std::vector<Vec2>{a.startPoint(), a.endPoint()};
                          },
                      },
                      geometry);
}

std::optional<Vec2> SketchEntity::midpoint() const {
    return std::visit(
        Overloaded{
            [](const SketchLine& l) -> std::optional<Vec2> { return (l.start + l.end) / 2; },
            [](const SketchCircle&) -> std::optional<Vec2> { return std::nullopt; },
            [](const SketchArc& a) -> std::optional<Vec2> {
                return a.pointAt(a.startAngle + a.sweep() / 2);
            },
        },
        geometry);
}

std::optional<Vec2> SketchEntity::center() const {
    return std::visit(Overloaded{
                          [](const SketchLine&) -> std::optional<Vec2> { return std::nullopt; },
                          [](const SketchCircle& c) -> std::optional<Vec2> { return c.center; },
                          [](const SketchArc& a) -> std::optional<Vec2> { return a.center; },
                      },
                      geometry);
}

std::optional<Vec2> SketchEntity::direction() const {
    const auto* line = std::get_if<SketchLine>(&geometry);
    if (line == nullptr) return std::nullopt;
    const Vec2 d = line->end - line->start;
    if (!(d.lengthSquared() > kDegenerateSegmentLengthSquared)) return std::nullopt;
    return d.normalized();
}

std::vector<Vec2> SketchEntity::snapPoints() const {
    return std::visit(Overloaded{
                          [](const SketchLine& l) {
                              return std::vector<Vec2>{l.start, l.end, (l.start + l.end) / 2};
                          },
                          [](const SketchCircle& c) {
                              auto points = quadrantPoints(c);
                              points.insert(points.begin(), c.center);
                              return points;
                          },
                          [](const SketchArc& a) {
                              return std::vector<Vec2>{a.center, a.startPoint(), a.endPoint()};
                          },
                      },
                      geometry);
}

Vec2 SketchEntity::closestPoint(const Vec2& p) const {
    return std::visit(
        Overloaded{
            [&](const SketchLine& l) { return Vec2::closestPointOnSegment(p, l.start, l.end); },
            [&](const SketchCircle& c) {
                const Vec2 d = p - c.center;
                if (d.lengthSquared() < kDegenerateSegmentLengthSquared) {
                    return Vec2{c.center.x + c.radius, c.center.y};
                }
                return c.center + d.normalized() * c.radius;
            },
            [&](const SketchArc& a) { return closestOnArc(a, p); },
        },
        geometry);
}

double SketchEntity::distance(const Vec2& p) const {
    if (const auto* line = std::get_if<SketchLine>(&geometry)) {
        return segmentDistance(p, line->start, line->end);
    }
    if (const auto* circle = std::get_if<SketchCircle>(&geometry)) {
        return std::abs((p - circle->center).length() - circle->radius);
    }
    const auto points = polyline();
    if (points.size() < 2) return std::numeric_limits<double>::max();
    double best = std::numeric_limits<double>::max();
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        best = std::min(best, segmentDistance(p, points[i], points[i + 1]));
    }
    return best;
}

double SketchEntity::segmentDistance(const Vec2& p, const Vec2& a, const Vec2& b) {
    return p.distance(Vec2::closestPointOnSegment(p, a, b));
}

std::optional<Vec2> SketchEntity::point(SketchParamRole role) const {
    if (const auto* line = std::get_if<SketchLine>(&geometry)) {
        switch (role) {
            case SketchParamRole::start: return line->start;
            case SketchParamRole::end: return line->end;
            case SketchParamRole::center: return std::nullopt;
            case SketchParamRole::entity: return (line->start + line->end) / 2;
        }
        return std::nullopt;
    }
    if (const auto* circle = std::get_if<SketchCircle>(&geometry)) {
        if (role == SketchParamRole::center || role == SketchParamRole::entity)
            return circle->center;
        return std::nullopt;
    }
    const auto& arc = std::get<SketchArc>(geometry);
    switch (role) {
        case SketchParamRole::start: return arc.startPoint();
        case SketchParamRole::end: return arc.endPoint();
        case SketchParamRole::center:
        case SketchParamRole::entity: return arc.center;
    }
    return std::nullopt;
}

std::vector<SketchParamRole> SketchEntity::endpointRoles() const {
    if (std::holds_alternative<SketchCircle>(geometry)) return {SketchParamRole::center};
    return {SketchParamRole::start, SketchParamRole::end};
}

std::span<const SketchParamRole> SketchEntity::pointRoles() const {
    using enum SketchParamRole;
    static constexpr std::array<SketchParamRole, 2> lineEnds{start, end};
    static constexpr std::array<SketchParamRole, 1> circleCentre{center};
    static constexpr std::array<SketchParamRole, 3> arcPoints{start, end, center};
    if (isLine()) return lineEnds;
    if (std::holds_alternative<SketchCircle>(geometry)) return circleCentre;
    return arcPoints;
}

std::optional<double> SketchEntity::radiusValue() const {
    if (const auto* circle = std::get_if<SketchCircle>(&geometry)) return circle->radius;
    if (const auto* arc = std::get_if<SketchArc>(&geometry)) return arc->radius;
    return std::nullopt;
}

}  // namespace brontile
