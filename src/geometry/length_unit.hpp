// The document's display unit. The model is always in millimetres; the unit only changes what
// the user reads and types.
#pragma once

#include <array>
#include <string_view>

#include "base/raw_value_enum.hpp"

namespace brontile {

enum class LengthUnit { millimeters, inches };

template <>
struct RawValueCases<LengthUnit> {
    static constexpr std::array<RawValueCase<LengthUnit>, 2> cases{{
        {LengthUnit::millimeters, "millimeters"},
        {LengthUnit::inches, "inches"},
    }};
};

// "Millimeters", "Inches".
[[nodiscard]] constexpr std::string_view title(LengthUnit unit) {
    return unit == LengthUnit::inches ? "Inches" : "Millimeters";
}
// "mm", "in".
[[nodiscard]] constexpr std::string_view shortLabel(LengthUnit unit) {
    return unit == LengthUnit::inches ? "in" : "mm";
}
[[nodiscard]] constexpr double millimetersPerUnit(LengthUnit unit) {
    return unit == LengthUnit::inches ? 25.4 : 1.0;
}
// The grid step typed values and snapping fall on: 1 mm, or a sixteenth of an inch.
[[nodiscard]] constexpr double snapIncrementMM(LengthUnit unit) {
    return unit == LengthUnit::inches ? 1.5875 : 1.0;
}

}  // namespace brontile
