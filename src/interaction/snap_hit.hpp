// What the snap engine found under the pointer: the point a sketch tool uses instead of the raw
// cursor, the feature it came from, the entities it refers to and the guide line to show.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/raw_value_enum.hpp"
#include "geometry/vec2.hpp"
#include "sketch/sketch_entity.hpp"
#include "sketch/sketch_param_role.hpp"

namespace brontile {

enum class SnapKind {
    endpoint,
    midpoint,
    center,
    onCurve,
    intersection,
    perpendicular,
    parallel,
    horizontal,
    vertical,
    polar,
    grid,
};

template <>
struct RawValueCases<SnapKind> {
    using K = SnapKind;
    static constexpr std::array<RawValueCase<K>, 11> cases{{
        {K::endpoint, "endpoint"},
        {K::midpoint, "midpoint"},
        {K::center, "center"},
        {K::onCurve, "onCurve"},
        {K::intersection, "intersection"},
        {K::perpendicular, "perpendicular"},
        {K::parallel, "parallel"},
        {K::horizontal, "horizontal"},
        {K::vertical, "vertical"},
        {K::polar, "polar"},
        {K::grid, "grid"},
    }};
};

// "Endpoint", "On curve", "Angle" (for polar), … as the interface names the kind.
[[nodiscard]] std::string_view displayName(SnapKind kind);

struct SnapHit {
    // Sketch-plane coordinates.
    Vec2 point{};
    SnapKind kind = SnapKind::grid;
    // The entity the point lies on or belongs to; none for extra points, bodies and the grid.
    std::optional<SketchEntityID> entityID{};
    // The other entity of an intersection.
    std::optional<SketchEntityID> secondEntityID{};
    // Both present when the kind draws a guide line.
    std::optional<Vec2> guideStart{};
    std::optional<Vec2> guideEnd{};
    // Shown instead of the kind's name ("Vertex", "Edge", …).
    std::optional<std::string> label{};
    // Set when the point is the start or end of a line or arc.
    std::optional<SketchParamRole> paramRole{};

    friend bool operator==(const SnapHit&, const SnapHit&) = default;

    // The label when there is one, otherwise the kind's display name.
    [[nodiscard]] std::string displayLabel() const;
};

}  // namespace brontile
