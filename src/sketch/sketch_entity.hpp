// The curves of a sketch — lines, circles and counter-clockwise arcs in plane coordinates — and
// the queries drawing, picking, snapping and constraints ask of them.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "base/uuid.hpp"
#include "geometry/vec2.hpp"
#include "sketch/sketch_param_role.hpp"

namespace brontile {

using SketchEntityID = Identifier<struct SketchEntityIDTag>;

struct SketchLine {
    Vec2 start;
    Vec2 end;
    friend constexpr bool operator==(const SketchLine&, const SketchLine&) = default;
};

struct SketchCircle {
    Vec2 center;
    double radius = 0;
    friend constexpr bool operator==(const SketchCircle&, const SketchCircle&) = default;
};

// Runs counter-clockwise from startAngle to endAngle (radians from the plane's x axis).
struct SketchArc {
    Vec2 center;
    double radius = 0;
    double startAngle = 0;
    double endAngle = 0;
    friend constexpr bool operator==(const SketchArc&, const SketchArc&) = default;

    // endAngle − startAngle, plus 2π when that is not positive: equal angles make a full turn.
    [[nodiscard]] double sweep() const;
    [[nodiscard]] Vec2 pointAt(double angle) const;
    [[nodiscard]] Vec2 startPoint() const { return pointAt(startAngle); }
    [[nodiscard]] Vec2 endPoint() const { return pointAt(endAngle); }
};

using SketchGeometry = std::variant<SketchLine, SketchCircle, SketchArc>;

struct SketchEntity {
    SketchEntityID id;
    SketchGeometry geometry;
    // Reference geometry: drawn and snapped to, but never part of a profile.
    bool isConstruction = false;

    static constexpr int circleSegments = 64;
    static constexpr int arcSegments = 24;

    friend bool operator==(const SketchEntity&, const SketchEntity&) = default;

    // Tessellation for drawing, picking and region finding: a line's two ends; a circle's 65
    // points (the last repeats the first); an arc's 25 points from start to end.
    [[nodiscard]] std::vector<Vec2> polyline() const;
    [[nodiscard]] bool isClosed() const;
    // A line's or arc's two ends; a circle's four quadrant points (+x, −x, +y, −y).
    [[nodiscard]] std::vector<Vec2> endpoints() const;
    // Halfway along a line or arc; nothing for a circle.
    [[nodiscard]] std::optional<Vec2> midpoint() const;
    [[nodiscard]] std::optional<Vec2> center() const;
    // A line's unit direction; nothing for a point-like line, a circle or an arc.
    [[nodiscard]] std::optional<Vec2> direction() const;
    // The points the snap engine offers for this entity.
    [[nodiscard]] std::vector<Vec2> snapPoints() const;
    [[nodiscard]] Vec2 closestPoint(const Vec2& p) const;
    [[nodiscard]] double distance(const Vec2& p) const;

    // Distance from p to the segment a–b (to a when the segment is shorter than 1e-9).
    [[nodiscard]] static double segmentDistance(const Vec2& p, const Vec2& a, const Vec2& b);

    // Constraint support: the point a role names, or nothing where the entity has no such point.
    [[nodiscard]] std::optional<Vec2> point(SketchParamRole role) const;
    // [center] for a circle, [start, end] for a line or an arc.
    [[nodiscard]] std::vector<SketchParamRole> endpointRoles() const;
    // The points a person sees and picks on it: a line's ends, a circle's centre, an arc's ends
    // and centre.
    [[nodiscard]] std::span<const SketchParamRole> pointRoles() const;
    [[nodiscard]] bool isLine() const { return std::holds_alternative<SketchLine>(geometry); }
    [[nodiscard]] bool isCircleLike() const { return !isLine(); }
    [[nodiscard]] std::optional<double> radiusValue() const;
};

}  // namespace brontile
