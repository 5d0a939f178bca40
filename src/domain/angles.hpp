// Angle helpers shared by arcs, snapping and the tools. Radians throughout.
#pragma once

#include <cmath>
#include <numbers>

namespace brontile {

inline constexpr double kTwoPi = 2 * std::numbers::pi;

// The same direction as an angle in [0, 2π). Huge angles are reduced with fmod first, so this
// ends for any input; NaN and infinities come back as NaN.
[[nodiscard]] inline double normalizedAngle(double angle) {
    if (!std::isfinite(angle)) return std::nan("");
    if (std::abs(angle) >= 2 * kTwoPi) angle = std::fmod(angle, kTwoPi);
    while (angle < 0) angle += kTwoPi;
    while (angle >= kTwoPi) angle -= kTwoPi;
    return angle;
}

}  // namespace brontile
