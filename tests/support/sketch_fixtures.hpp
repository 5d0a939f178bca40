// Sketch entities, constraints and sketches the tests build on, each with a fresh id.
#pragma once

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

}  // namespace brontile::test
