// How messages name the parts of a sketch: "Line 2", "Arc 1"; "Horizontal (Line 2)",
// "Distance 20 mm (Line 1, Circle 1)"; and the sentences that refuse a constraint.
#pragma once

#include <string>

#include "geometry/length_unit.hpp"
#include "sketch/constraint_check.hpp"
#include "sketch/sketch.hpp"

namespace brontile::SketchNames {

// The kind and its place among the sketch's curves of that kind, counted from 1 in stored order:
// "Line 2", "Circle 1", "Arc 3". "Curve" for an id the sketch does not hold.
[[nodiscard]] std::string entity(const Sketch& sketch, const SketchEntityID& id);

// "Horizontal (Line 2)", "Distance 20 mm (Line 2)", "Coincident (Line 1, Arc 1)": the kind, a
// dimension's value in `units`, and the curves it refers to, each once, in reference order.
[[nodiscard]] std::string constraint(const Sketch& sketch, const SketchConstraint& constraint,
                                     LengthUnit units);

// The sentence refusing `subject` (a constraint of `trial`, the sketch the verdict was reached
// on): "Already fixed by Distance 20 mm (Line 2).", "Conflicts with Horizontal (Line 2) and
// Vertical (Line 2).", "Vertical would collapse Line 2 to a point: it conflicts with Horizontal
// (Line 2)." Empty for an accepted verdict.
[[nodiscard]] std::string refusal(const ConstraintVerdict& verdict, const Sketch& trial,
                                  const SketchConstraint& subject, LengthUnit units);

}  // namespace brontile::SketchNames
