// The values of the sketches' dimensions written in the view: each beside its glyph, upright and
// the same size on screen at any zoom. The scene says what each label reads and where it is
// anchored; the box it takes on screen is worked out here once, for drawing and picking alike.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "geometry/vec2.hpp"
#include "geometry/vec3.hpp"
#include "interaction/selection.hpp"
#include "viewport/orbit_camera.hpp"

namespace brontile {

struct SceneLabel {
    // The glyph's anchor, in world space.
    Vec3 anchor;
    std::string text;
    SketchConstraintSel constraint;
    bool selected = false;

    friend bool operator==(const SceneLabel&, const SceneLabel&) = default;
};

// Pixel size of the labels' text; the box allows this much width per character.
inline constexpr double kLabelTextPixels = 12;
inline constexpr double kLabelCharacterWidth = 7.2;

// A label's place on screen (view points, top-left origin).
struct LabelBox {
    Vec2 topLeft;
    Vec2 size;

    [[nodiscard]] bool contains(const Vec2& point) const {
        return point.x >= topLeft.x && point.y >= topLeft.y && point.x <= topLeft.x + size.x &&
               point.y <= topLeft.y + size.y;
    }
};

// Where the label shows; nothing when its anchor is behind the view.
[[nodiscard]] std::optional<LabelBox> labelBox(const SceneLabel& label, const OrbitCamera& camera,
                                               const Vec2& viewSize);

// The dimension whose label is under the point; the last drawn (topmost) wins.
[[nodiscard]] std::optional<SketchConstraintSel> labelAt(std::span<const SceneLabel> labels,
                                                         const OrbitCamera& camera,
                                                         const Vec2& viewSize, const Vec2& point);

}  // namespace brontile
