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

// The counter-clockwise turn from `start` to `end`: end − start, plus 2π when that is not
// positive, so equal angles make a full turn.
[[nodiscard]] inline double counterClockwiseSweep(double start, double end) {
    const double difference = end - start;
    return difference <= 0 ? difference + kTwoPi : difference;
}

}  // namespace brontile
