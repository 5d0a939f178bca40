// Sketch entities, constraints and sketches the tests build on, each with a fresh id.
#pragma once

#include <numbers>
#include <optional>
#include <utility>
#include <vector>

#include "sketch/sketch.hpp"

namespace brontile::test {

inline SketchEntity line(Vec2 start, Vec2 end) {
    return {SketchEntityID::generate(), SketchLine{start, end}, false};
}

inline SketchEntity circle(Vec2 center, double radius) {
    return {SketchEntityID::generate(), SketchCircle{center, radius}, false};
}

inline SketchEntity arc(Vec2 center, double radius, double startAngle, double endAngle) {
    return {SketchEntityID::generate(), SketchArc{center, radius, startAngle, endAngle}, false};
}

inline SketchConstraint constraint(SketchConstraintKind kind, std::vector<SketchGeomRef> refs,
                                   std::optional<double> value = std::nullopt) {
    return {SketchConstraintID::generate(), kind, std::move(refs), value};
}

// A visible sketch named "Sketch" on `plane`.
inline Sketch sketchOf(std::vector<SketchEntity> entities,
                       std::vector<SketchConstraint> constraints = {},
                       const SketchPlane& plane = SketchPlane::xy) {
    return {Uuid::random(), "Sketch", plane, std::move(entities), true, std::move(constraints)};
}

// A reference to the whole entity, and to one of its points.
inline SketchGeomRef whole(const SketchEntity& e) { return {e.id, SketchParamRole::entity}; }
inline SketchGeomRef at(const SketchEntity& e, SketchParamRole role) { return {e.id, role}; }

// The distance between a line's two ends.
inline SketchConstraint lengthOf(const SketchEntity& l, double value) {
    return constraint(SketchConstraintKind::distance,
                      {at(l, SketchParamRole::start), at(l, SketchParamRole::end)}, value);
}

// A w × h rectangle with its corner at (x, y), as the rectangle tool leaves it: horizontal,
// vertical, horizontal, vertical, each edge's end on the next one's start.
inline Sketch rectangleSketch(double x, double y, double w, double h) {
    using Kind = SketchConstraintKind;
    std::vector<SketchEntity> e{line({x, y}, {x + w, y}), line({x + w, y}, {x + w, y + h}),
                                line({x + w, y + h}, {x, y + h}), line({x, y + h}, {x, y})};
    std::vector<SketchConstraint> c;
    for (std::size_t i = 0; i < 4; ++i) {
        c.push_back(constraint(i % 2 == 0 ? Kind::horizontal : Kind::vertical, {whole(e[i])}));
        c.push_back(constraint(Kind::coincident, {at(e[i], SketchParamRole::end),
                                                  at(e[(i + 1) % 4], SketchParamRole::start)}));
    }
    return sketchOf(std::move(e), std::move(c));
}

// A 20 mm slot of radius 5: two lines and two arcs joined end to end, each arc tangent to both
// lines at the joins, the arcs' radii equal.
inline Sketch slotSketch() {
    using Kind = SketchConstraintKind;
    using Role = SketchParamRole;
    constexpr double pi = std::numbers::pi;
    const SketchEntity bottom = line({0, -5}, {20, -5}), top = line({20, 5}, {0, 5});
    const SketchEntity right = arc({20, 0}, 5, -pi / 2, pi / 2);
    const SketchEntity left = arc({0, 0}, 5, pi / 2, 1.5 * pi);
    const auto join = [](const SketchEntity& a, const SketchEntity& b) {
        return constraint(Kind::coincident, {at(a, Role::end), at(b, Role::start)});
    };
    const auto touch = [](const SketchEntity& l, const SketchEntity& a) {
        return constraint(Kind::tangent, {whole(l), at(a, Role::center)});
    };
    return sketchOf(
        {bottom, right, top, left},
        {join(bottom, right), join(right, top), join(top, left), join(left, bottom),
         touch(bottom, right), touch(top, right), touch(top, left), touch(bottom, left),
         constraint(Kind::equalRadius, {at(right, Role::center), at(left, Role::center)})});
}

}  // namespace brontile::test
