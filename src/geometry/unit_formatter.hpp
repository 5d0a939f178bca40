// Lengths as the user reads and types them: millimetre values shown in the document's unit, and
// typed text ("3/4 in", "12.5", "2mm") turned back into millimetres.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geometry/length_unit.hpp"

namespace brontile::UnitFormatter {

// `valueMM` in `units` with the given number of decimals (default 2 for millimetres, 3 for
// inches; clamped to 0…20), trailing zeros dropped, a rounded "-0" shown as "0", then a space
// and the unit's short label: "12.5 mm", "1 in".
[[nodiscard]] std::string string(double valueMM, LengthUnit units,
                                 std::optional<int> decimals = std::nullopt);

// Millimetres for typed text: a decimal number or a fraction "a/b", optionally followed by
// "mm", "cm", "in" or a double quote; without a suffix the text is in `units`. Nothing when the
// text is not such a number or the result is not finite.
[[nodiscard]] std::optional<double> parseMillimeters(std::string_view text, LengthUnit units);

}  // namespace brontile::UnitFormatter
