#include "viewport/camera_inertia.hpp"

#include <algorithm>
#include <cmath>

namespace brontile {
namespace {

constexpr double kActiveAngularSpeed = 0.0001;
constexpr double kActivePanSpeedSquared = 1e-8;
constexpr double kActiveZoomRate = 0.0001;
// Coasting waits this long after the last input: while the user is still moving, direct
// manipulation wins.
constexpr double kDirectInputWindow = 0.028;
constexpr double kDecayPerSecond = 6.8;
// Below these the coast is no longer visible and stops outright.
constexpr double kCoastAngularSpeed = 0.015;
constexpr double kCoastZoomRate = 0.01;
constexpr double kFirstInputDt = 1.0 / 60;
constexpr double kMinimumInputDt = 1.0 / 180;
constexpr double kMaximumInputDt = 0.05;
constexpr double kNewSampleWeight = 0.62;
constexpr double kMaximumAngularSpeed = 9.5;
constexpr double kMaximumPanSpeed = 90000;
constexpr double kMaximumZoomRate = 7.5;

double blended(double sample, double old) {
    const double value = kNewSampleWeight * sample + (1 - kNewSampleWeight) * old;
    return std::isnan(value) ? 0 : value;
}

// Returns whether the angular step ran.
bool coastAngular(CameraInertia& inertia, double dt, double decay, OrbitCamera& camera) {
    if (!(std::hypot(inertia.yawVelocity, inertia.pitchVelocity) > kCoastAngularSpeed)) {
        inertia.yawVelocity = 0;
        inertia.pitchVelocity = 0;
        return false;
    }
    camera.addAngles(inertia.yawVelocity * dt, inertia.pitchVelocity * dt);
    inertia.yawVelocity *= decay;
    inertia.pitchVelocity *= decay;
    return true;
}

// Returns whether the pan step ran.
bool coastPan(CameraInertia& inertia, double dt, double decay, OrbitCamera& camera) {
    const bool moving = inertia.panVelocity.lengthSquared() > kActivePanSpeedSquared;
    if (moving) {
        camera.setTarget(camera.target() + inertia.panVelocity * dt);
        inertia.panVelocity = inertia.panVelocity * decay;
    }
    if (inertia.panVelocity.lengthSquared() < kActivePanSpeedSquared) inertia.panVelocity = {};
    return moving;
}

void coastZoom(CameraInertia& inertia, double dt, double decay, OrbitCamera& camera,
               const Vec2& viewSize) {
    const Vec2 center = inertia.zoomCursor.value_or(viewSize / 2);
    camera.zoom(std::exp(inertia.zoomVelocity * dt), camera.ray(center, viewSize));
    inertia.zoomVelocity *= decay;
}

}  // namespace

bool CameraInertia::isActive() const {
    return std::hypot(yawVelocity, pitchVelocity) > kActiveAngularSpeed ||
           panVelocity.lengthSquared() > kActivePanSpeedSquared ||
           std::abs(zoomVelocity) > kActiveZoomRate;
}

void CameraInertia::stop() { *this = CameraInertia(); }

double CameraInertia::inputDt(double now) const {
    if (lastInputTime == 0) return kFirstInputDt;
    const double elapsed = now - lastInputTime;
    // A clock that went backwards, or NaN, counts as the shortest interval.
    if (!(elapsed > kMinimumInputDt)) return kMinimumInputDt;
    return std::min(elapsed, kMaximumInputDt);
}

void CameraInertia::blendAngular(double yaw, double pitch) {
    yawVelocity =
        std::clamp(blended(yaw, yawVelocity), -kMaximumAngularSpeed, kMaximumAngularSpeed);
    pitchVelocity =
        std::clamp(blended(pitch, pitchVelocity), -kMaximumAngularSpeed, kMaximumAngularSpeed);
}

void CameraInertia::blendPan(const Vec3& velocity) {
    panVelocity = velocity * kNewSampleWeight + panVelocity * (1 - kNewSampleWeight);
    if (!panVelocity.isFinite()) {
        panVelocity = {};
        return;
    }
    const double speed = panVelocity.length();
    if (speed > kMaximumPanSpeed) panVelocity = panVelocity * (kMaximumPanSpeed / speed);
}

void CameraInertia::blendZoom(double rate) {
    zoomVelocity = std::clamp(blended(rate, zoomVelocity), -kMaximumZoomRate, kMaximumZoomRate);
}

bool CameraInertia::coast(double dt, double now, OrbitCamera& camera, const Vec2& viewSize) {
    if (now - lastInputTime < kDirectInputWindow) return false;
    if (!isActive() || !(dt >= 0) || !std::isfinite(dt)) return false;
    const double decay = std::exp(-kDecayPerSecond * dt);
    const bool turned = coastAngular(*this, dt, decay, camera);
    const bool panned = coastPan(*this, dt, decay, camera);
    if (!(std::abs(zoomVelocity) > kCoastZoomRate)) {
        zoomVelocity = 0;
        return panned || turned;
    }
    coastZoom(*this, dt, decay, camera, viewSize);
    return true;
}

}  // namespace brontile
