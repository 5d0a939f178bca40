#include "interaction/scene_overlay.hpp"

#include <algorithm>
#include <cmath>

#include "base/tolerances.hpp"

namespace brontile {
namespace {

constexpr double kExtrusionArrowPixels = 78;
// Arrows stay pickable within ten view points however thin they are drawn.
constexpr double kMinPickPixels = 10;

}  // namespace

OverlayArrow OverlayArrow::extrusion(const Vec3& origin, const Vec3& normal, double distance,
                                     bool flipped, bool hovered, bool showReverse) {
    const Vec3 n = normal.normalized();
    const bool zero = std::abs(distance) < kLengthTolerance;
    const Vec3 direction = zero && flipped ? -n : n;
    return {origin,  direction,  zero ? 0.0 : distance, kExtrusionArrowPixels, RGBA::arrow,
            hovered, showReverse};
}

ArrowGizmo OverlayArrow::gizmo(double worldUnitsPerPixel) const {
    return ArrowGizmo::standard(origin, direction, signedDistance, pixelLength, worldUnitsPerPixel,
                                showReverse);
}

std::optional<ArrowGizmo::Part> OverlayArrow::hit(const Ray& ray, double worldUnitsPerPixel) const {
    const ArrowGizmo arrow = gizmo(worldUnitsPerPixel);
    const auto found =
        arrow.hit(ray, std::max(arrow.headRadius, kMinPickPixels * worldUnitsPerPixel));
    if (!found) return std::nullopt;
    return found->first;
}

void SceneOverlay::addPolyline(std::span<const Vec3> polyline, const RGBA& color,
                               OverlayLineStyle style) {
    for (std::size_t i = 1; i < polyline.size(); ++i) {
        lines.push_back({polyline[i - 1], polyline[i], color, style});
    }
}

}  // namespace brontile
