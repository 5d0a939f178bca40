#include "viewport/scene_labels.hpp"

namespace brontile {
namespace {

constexpr double kPadding = 4;
// Beside the glyph, not over it: the label starts this far right of and above its anchor.
constexpr double kOffsetX = 6;
constexpr double kOffsetY = -6;

}  // namespace

std::optional<LabelBox> labelBox(const SceneLabel& label, const OrbitCamera& camera,
                                 const Vec2& viewSize) {
    const auto at = camera.viewPoint(label.anchor, viewSize);
    if (!at) return std::nullopt;
    const Vec2 size{kLabelCharacterWidth * static_cast<double>(label.text.size()) + 2 * kPadding,
                    kLabelTextPixels + 2 * kPadding};
    return LabelBox{{at->x + kOffsetX, at->y + kOffsetY - size.y}, size};
}

std::optional<SketchConstraintSel> labelAt(std::span<const SceneLabel> labels,
                                           const OrbitCamera& camera, const Vec2& viewSize,
                                           const Vec2& point) {
    for (auto it = labels.rbegin(); it != labels.rend(); ++it) {
        const auto box = labelBox(*it, camera, viewSize);
        if (box && box->contains(point)) return it->constraint;
    }
    return std::nullopt;
}

}  // namespace brontile
