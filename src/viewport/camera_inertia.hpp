// Momentum for the orbit camera: velocities measured from the user's motions, and the decaying
// coast that continues them once the input stops.
#pragma once

#include <optional>

#include "geometry/vec2.hpp"
#include "geometry/vec3.hpp"
#include "viewport/orbit_camera.hpp"

namespace brontile {

struct CameraInertia {
    // Radians per second.
    double yawVelocity = 0;
    double pitchVelocity = 0;
    // Millimetres per second.
    Vec3 panVelocity{};
    // Rate of ln(distance) per second.
    double zoomVelocity = 0;
    // Seconds on the caller's clock; 0 until the first input.
    double lastInputTime = 0;
    // Where the last zoom was aimed (view points); coasting zooms towards it.
    std::optional<Vec2> zoomCursor{};

    friend bool operator==(const CameraInertia&, const CameraInertia&) = default;

    // True while any velocity is large enough to be worth a frame.
    [[nodiscard]] bool isActive() const;
    // Drops every velocity and forgets the last input and zoom cursor.
    void stop();
    // Seconds since the last input, clamped into [1/180, 0.05]; 1/60 before the first input.
    // Motion divided by this is the velocity sample.
    [[nodiscard]] double inputDt(double now) const;

    // Each blend mixes a new sample 62 : 38 with the old velocity, then caps it: angular speeds at
    // ±9.5 rad/s, pan speed at 90000 mm/s, zoom rate at ±7.5 per second. Non-finite samples leave
    // a zero velocity rather than a NaN that would never decay.
    void blendAngular(double yaw, double pitch);
    void blendPan(const Vec3& velocity);
    void blendZoom(double rate);

    // One frame of coasting over `dt` seconds at time `now`: moves the camera by the velocities
    // and decays them by e^(−6.8·dt). Does nothing within 0.028 s of the last input, when
    // nothing is active, or for a negative or non-finite dt. Returns true when the camera moved.
    bool coast(double dt, double now, OrbitCamera& camera, const Vec2& viewSize);
};

}  // namespace brontile
