// The viewport's scroll and pinch gestures, free of any window system: which camera motion a
// scroll asks for, with the smoothing of a touchpad's precise deltas, and how far a wheel notch
// or a pinch zooms.
#pragma once

#include <optional>

#include "geometry/vec2.hpp"
#include "interaction/input_events.hpp"
#include "viewport/camera_motion.hpp"

namespace brontile {

// Where a scroll stands in its gesture. Wheels report `none`; touchpads report the rest, and
// keep reporting `momentum` after the fingers lift.
enum class ScrollPhase { none, mayBegin, began, changed, ended, momentum };

struct ScrollInput {
    // View points, top-left origin.
    Vec2 location;
    double deltaX = 0;
    double deltaY = 0;
    // Pixel deltas from a touchpad rather than wheel notches.
    bool precise = false;
    ScrollPhase phase = ScrollPhase::none;
    ModifierSet modifiers;
};

class ViewportGestures {
public:
    // The motion one scroll asks for: none for momentum (the camera coasts by itself) or a
    // delta that is not a number; Shift pans; a touchpad's two-finger scroll orbits unless
    // Option is held; anything else zooms towards the pointer.
    [[nodiscard]] std::optional<CameraMotion> scroll(const ScrollInput& input);
    // A zoom towards the pointer by a pinch's magnification; none when it is not a number.
    [[nodiscard]] static std::optional<CameraMotion> pinch(double magnification,
                                                           const Vec2& location);

    // 1 − dy·k clamped into [0.25, 4]: k is 0.0075 for precise deltas and 0.065 for notches.
    [[nodiscard]] static double scrollZoomFactor(double deltaY, bool precise);
    // 1 − magnification, at least 0.25.
    [[nodiscard]] static double pinchZoomFactor(double magnification);

    // The touchpad smoothing memory: each precise delta is mixed 60 : 40 with it.
    double filterX = 0;
    double filterY = 0;
};

}  // namespace brontile
