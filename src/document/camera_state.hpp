// The view a document restores when it is opened.
#pragma once

#include "geometry/vec3.hpp"

namespace brontile {

// How the view maps depth: perspective shrinks what is far away; orthographic keeps sizes, so
// parallel edges stay parallel and lengths along the screen can be compared.
enum class Projection { perspective, orthographic };

struct CameraState {
    Vec3 target;
    // Millimetres from the target to the eye.
    double distance = 320.0;
    // Radians.
    double yaw = -0.7853981633974483;   // −π/4
    double pitch = 0.5235987755982988;  // π/6
    Projection projection = Projection::perspective;

    // Looking at the origin from 320 mm, a quarter turn off the x axis and 30° up.
    static const CameraState defaultState;

    friend constexpr bool operator==(const CameraState&, const CameraState&) = default;
};

inline constexpr CameraState CameraState::defaultState{};

}  // namespace brontile
