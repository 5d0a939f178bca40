// What the heads-up display next to the pointer shows, and what a number typed into it means.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/raw_value_enum.hpp"
#include "geometry/length_unit.hpp"

namespace brontile {

// The kind of quantity a HUD shows: only a length is read in the document's unit; an angle is
// in degrees, a factor and a count are plain numbers, whatever the unit.
enum class HUDQuantity { length, angle, factor, count };

template <>
struct RawValueCases<HUDQuantity> {
    static constexpr std::array<RawValueCase<HUDQuantity>, 4> cases{{
        {HUDQuantity::length, "length"},
        {HUDQuantity::angle, "angle"},
        {HUDQuantity::factor, "factor"},
        {HUDQuantity::count, "count"},
    }};
};

struct HUDState {
    // The quantity's name, such as "Radius".
    std::string label;
    // The live value: millimetres for a length, degrees for an angle, the number itself for a
    // factor or a count. Nothing when the HUD shows no number.
    std::optional<double> valueMM;
    // Shown instead of a formatted value.
    std::optional<std::string> text;
    // Whether the person may type a value.
    bool editable = false;
    // Secondary text, such as the name of the current snap.
    std::optional<std::string> detail;
    // What valueMM and a typed number mean; nothing when the HUD shows no number.
    std::optional<HUDQuantity> quantity;

    friend bool operator==(const HUDState&, const HUDState&) = default;
};

// The value as the HUD shows it and pre-fills its field with: a length in the document's unit,
// an angle in degrees, a factor or a count as a plain number; the text when there is no value.
[[nodiscard]] std::string hudValueText(const HUDState& hud, LengthUnit units);

// A typed value read as the HUD's quantity: a length in the document's unit (or the unit typed
// with it) turned into millimetres; an angle, factor or count as the plain number typed.
// Nothing for text that is not such a number.
[[nodiscard]] std::optional<double> parseHudValue(const HUDState& hud, std::string_view text,
                                                  LengthUnit units);

}  // namespace brontile
