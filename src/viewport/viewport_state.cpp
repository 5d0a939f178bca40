#include "viewport/viewport_state.hpp"

#include <algorithm>
#include <cmath>

#include "base/overloaded.hpp"
#include "base/tolerances.hpp"

namespace brontile {
namespace {

constexpr double kMinimumFrameDt = 1.0 / 240;
constexpr double kMaximumFrameDt = 0.05;
// Guards the logarithm of the zoom ratio; the camera never goes below 0.5 anyway.
constexpr double kMinimumLogDistance = 1e-9;

}  // namespace

ViewportState::ViewportState(const OrbitCamera& initialCamera) : camera(initialCamera) {}

Ray ViewportState::ray(const Vec2& at) const { return camera.ray(at, viewSize); }

double ViewportState::worldUnitsPerPixel() const { return camera.worldUnitsPerPixel(viewSize.y); }

void ViewportState::invalidate() { needsRebuild = true; }

void ViewportState::stopMotion() { inertia.stop(); }

void ViewportState::applyOrbit(double deltaX, double deltaY, double now) {
    const double dt = inertia.inputDt(now);
    const double yaw0 = camera.yaw();
    const double pitch0 = camera.pitch();
    camera.orbit(deltaX, deltaY);
    inertia.blendAngular((camera.yaw() - yaw0) / dt, (camera.pitch() - pitch0) / dt);
    inertia.lastInputTime = now;
}

void ViewportState::applyPan(double deltaX, double deltaY, double now) {
    const double dt = inertia.inputDt(now);
    const Vec3 target0 = camera.target();
    camera.pan(deltaX, deltaY, viewSize.y);
    inertia.blendPan((camera.target() - target0) / dt);
    inertia.lastInputTime = now;
}

void ViewportState::applyZoom(double factor, const Vec2& at, double now) {
    const double dt = inertia.inputDt(now);
    lastCursor = at;
    inertia.zoomCursor = at;
    const double d0 = camera.distance();
    camera.zoom(factor, ray(at));
    const double d1 = camera.distance();
    inertia.blendZoom(
        std::log(std::max(d1, kMinimumLogDistance) / std::max(d0, kMinimumLogDistance)) / dt);
    inertia.lastInputTime = now;
    needsRebuild = true;
}

void ViewportState::apply(const CameraMotion& motion, double now) {
    std::visit(Overloaded{
                   [&](const OrbitMotion& m) { applyOrbit(m.deltaX, m.deltaY, now); },
                   [&](const PanMotion& m) { applyPan(m.deltaX, m.deltaY, now); },
                   [&](const ZoomMotion& m) { applyZoom(m.factor, m.at, now); },
               },
               motion);
}

void ViewportState::resetCamera() {
    stopMotion();
    camera.reset();
    invalidate();
}

void ViewportState::applyPreset(ViewPreset preset) {
    stopMotion();
    camera.apply(preset);
    invalidate();
}

void ViewportState::lookFrom(const Vec3& direction) {
    stopMotion();
    camera.lookFrom(direction);
    invalidate();
}

void ViewportState::setProjection(Projection projection) {
    stopMotion();
    camera.setProjection(projection);
    invalidate();
}

void ViewportState::frame(const std::optional<AABB>& bounds) {
    if (!bounds) return resetCamera();
    stopMotion();
    camera.frame(*bounds);
    invalidate();
}

void ViewportState::placeCamera(const OrbitCamera& placed) {
    camera = placed;
    stopMotion();
    invalidate();
}

bool ViewportState::tick(double now) {
    const double elapsed = lastTickTime ? now - *lastTickTime : 0;
    lastTickTime = now;
    // Also catches NaN, which fails the comparison.
    const double dt =
        elapsed > kMinimumFrameDt ? std::min(elapsed, kMaximumFrameDt) : kMinimumFrameDt;
    const double d0 = camera.distance();
    const bool moved = inertia.coast(dt, now, camera, viewSize);
    if (moved && std::abs(camera.distance() - d0) > kLengthTolerance) {
        needsRebuild = true;
    }
    return moved;
}

bool ViewportState::rebuildIfNeeded() {
    if (!needsRebuild || !sceneProvider) return false;
    needsRebuild = false;
    sceneProvider(scene);
    ++version;
    return true;
}

}  // namespace brontile
