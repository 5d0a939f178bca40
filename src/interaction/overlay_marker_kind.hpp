// The marker shapes drawn at points of interest: constraint glyphs, snap hits and preview points
// all pick one of these.
#pragma once

#include <array>

#include "base/raw_value_enum.hpp"

namespace brontile {

enum class OverlayMarkerKind { cross, square, triangle, circle, diamond, tick };

template <>
struct RawValueCases<OverlayMarkerKind> {
    using K = OverlayMarkerKind;
    static constexpr std::array<RawValueCase<K>, 6> cases{{
        {K::cross, "cross"},
        {K::square, "square"},
        {K::triangle, "triangle"},
        {K::circle, "circle"},
        {K::diamond, "diamond"},
        {K::tick, "tick"},
    }};
};

}  // namespace brontile
