// A camera motion the person asked for, in view points: what a right-button drag, a scroll or a
// pinch turns into, and what a replayed script names directly.
#pragma once

#include <variant>

#include "geometry/vec2.hpp"

namespace brontile {

struct OrbitMotion {
    double deltaX = 0;
    double deltaY = 0;
};

struct PanMotion {
    double deltaX = 0;
    double deltaY = 0;
};

// Distance factor (below 1 moves closer) towards the point under `at`.
struct ZoomMotion {
    double factor = 1;
    Vec2 at;
};

using CameraMotion = std::variant<OrbitMotion, PanMotion, ZoomMotion>;

}  // namespace brontile
