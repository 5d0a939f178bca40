// The three ways two solids combine.
#pragma once

#include <array>
#include <string_view>

#include "base/raw_value_enum.hpp"

namespace brontile {

// `unite` is the union; `union` itself is a C++ keyword. The raw value stays "union".
enum class BooleanOp { unite, subtract, intersect };

template <>
struct RawValueCases<BooleanOp> {
    static constexpr std::array<RawValueCase<BooleanOp>, 3> cases{{
        {BooleanOp::unite, "union"},
        {BooleanOp::subtract, "subtract"},
        {BooleanOp::intersect, "intersect"},
    }};
};

// "Union", "Subtract", "Intersect": the label tools and menus show.
[[nodiscard]] constexpr std::string_view title(BooleanOp op) {
    switch (op) {
        case BooleanOp::unite: return "Union";
        case BooleanOp::subtract: return "Subtract";
        case BooleanOp::intersect: return "Intersect";
    }
    return "";
}

}  // namespace brontile
