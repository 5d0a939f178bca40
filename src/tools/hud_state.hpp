// What the heads-up display next to the pointer shows, and what a number typed into it means.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "base/raw_value_enum.hpp"

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

}  // namespace brontile
