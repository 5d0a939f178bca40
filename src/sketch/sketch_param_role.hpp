// Which point of a sketch entity a constraint reference means.
#pragma once

#include <array>

#include "base/raw_value_enum.hpp"

namespace brontile {

// On a line: start and end are its endpoints, `entity` the whole line (as a point, its midpoint).
// On a circle: only `center` and `entity` (as a point, the centre). On an arc: the points at the
// start and end angles, the centre, and `entity` (as a point, the centre).
enum class SketchParamRole { start, end, center, entity };

template <>
struct RawValueCases<SketchParamRole> {
    static constexpr std::array<RawValueCase<SketchParamRole>, 4> cases{{
        {SketchParamRole::start, "start"},
        {SketchParamRole::end, "end"},
        {SketchParamRole::center, "center"},
        {SketchParamRole::entity, "entity"},
    }};
};

}  // namespace brontile
