// Values the tools share: the steps a drag rounds to, where a drag along an axis has got to, and
// the check every typed value passes before a tool uses it.
#pragma once

#include <optional>
#include <string_view>

#include "geometry/length_unit.hpp"
#include "geometry/ray.hpp"
#include "geometry/vec3.hpp"
#include "interaction/input_events.hpp"
#include "tools/modeling_context.hpp"

namespace brontile::ToolValues {

// One sixteenth of an inch in an inch document, one millimetre otherwise: the grid and the step
// of every dragged distance.
[[nodiscard]] double step(LengthUnit units);

// A dragged distance rounded toward zero to whole steps, or as it is while Option is held.
[[nodiscard]] double roundedDrag(double distance, LengthUnit units, ModifierSet modifiers);

// Where the point of the line anchor + t·direction nearest the ray lies, as t (along the
// normalised direction); nothing when the ray runs parallel to the line.
[[nodiscard]] std::optional<double> axisParameter(const Ray& ray, const Vec3& anchor,
                                                  const Vec3& direction);

// Whether a typed value can be used at all: one that is not a finite number is refused on the
// error line, naming the quantity ("distance", "radius", …).
bool acceptTyped(double value, std::string_view quantity, ModelingContext& context);
// As acceptTyped, and the value must be above `smallest`, else "A radius must be more than 0."
// (`quantity` takes "a": "radius", "wall thickness").
bool acceptPositive(double value, std::string_view quantity, double smallest,
                    ModelingContext& context);

}  // namespace brontile::ToolValues
