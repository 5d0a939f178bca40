#include "viewport/viewport_gestures.hpp"

#include <algorithm>
#include <cmath>

namespace brontile {
namespace {

constexpr double kPreciseZoomRate = 0.0075;
constexpr double kNotchZoomRate = 0.065;
constexpr double kMinimumZoomFactor = 0.25;
constexpr double kMaximumZoomFactor = 4.0;
constexpr double kNewDeltaWeight = 0.6;

}  // namespace

std::optional<CameraMotion> ViewportGestures::scroll(const ScrollInput& input) {
    if (input.phase == ScrollPhase::momentum) return std::nullopt;
    // A window system may hand over anything; a non-finite delta would poison the camera.
    if (!std::isfinite(input.deltaX) || !std::isfinite(input.deltaY)) return std::nullopt;
    if (input.phase == ScrollPhase::began || input.phase == ScrollPhase::mayBegin) {
        filterX = 0;
        filterY = 0;
    }
    double dx = input.deltaX;
    double dy = input.deltaY;
    if (input.precise) {
        filterX = kNewDeltaWeight * dx + (1 - kNewDeltaWeight) * filterX;
        filterY = kNewDeltaWeight * dy + (1 - kNewDeltaWeight) * filterY;
        dx = filterX;
        dy = filterY;
    }
    if (input.modifiers.contains(ModifierSet::shift)) return PanMotion{dx, dy};
    if (input.precise && !input.modifiers.contains(ModifierSet::option)) {
        return OrbitMotion{dx, dy};
    }
    return ZoomMotion{scrollZoomFactor(dy, input.precise), input.location};
}

std::optional<CameraMotion> ViewportGestures::pinch(double magnification, const Vec2& location) {
    if (!std::isfinite(magnification)) return std::nullopt;
    return ZoomMotion{pinchZoomFactor(magnification), location};
}

double ViewportGestures::scrollZoomFactor(double deltaY, bool precise) {
    const double rate = precise ? kPreciseZoomRate : kNotchZoomRate;
    return std::clamp(1 - deltaY * rate, kMinimumZoomFactor, kMaximumZoomFactor);
}

double ViewportGestures::pinchZoomFactor(double magnification) {
    return std::max(1 - magnification, kMinimumZoomFactor);
}

}  // namespace brontile
