#include "viewport/orbit_camera.hpp"

#include "base/tolerances.hpp"

#include <algorithm>
#include <cmath>

namespace brontile {
namespace {

constexpr double kOrbitRadiansPerPoint = 0.0052;
// Drag magnitudes below this are no motion at all, so the gain never divides by nothing.
constexpr double kOrbitDeadZone = 1e-9;
// The gain grows by one for every 88 points of drag in one event, up to 2.1 in all.
constexpr double kOrbitGainPoints = 88;
constexpr double kOrbitMaximumExtraGain = 1.1;
constexpr double kOrbitMaximumStep = 72;
constexpr double kMinimumZoomFactor = 0.2;
constexpr double kMaximumZoomFactor = 5.0;
constexpr double kNearPlaneRatio = 0.002;
constexpr double kMinimumNearPlane = 0.05;
constexpr double kFarPlaneRatio = 60;
constexpr double kFarPlaneMargin = 2000;
constexpr double kMinimumAspect = 0.01;
constexpr double kFrameMinimumRadius = 1.0;
constexpr double kFrameMargin = 1.15;
constexpr double kPi = std::numbers::pi;
// An orthographic view's origin sits this share of the far plane behind the target, so that as
// much of the scene in front of the target as behind it is drawn.
constexpr double kOrthographicOriginShare = 0.5;
// A direction whose horizontal part is shorter than this looks straight up or down.
constexpr double kPoleTolerance = 1e-9;

Float4 float4(double x, double y, double z, double w) {
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
            static_cast<float>(w)};
}

double clampedZoomFactor(double factor) {
    if (std::isnan(factor)) return 1.0;
    return std::clamp(factor, kMinimumZoomFactor, kMaximumZoomFactor);
}

struct PresetAngles {
    double yaw = 0;
    double pitch = 0;
};

PresetAngles presetAngles(ViewPreset preset) {
    switch (preset) {
        case ViewPreset::top: return {-kPi / 2, OrbitCamera::kPitchLimit};
        case ViewPreset::front: return {-kPi / 2, 0};
        case ViewPreset::right: return {0, 0};
        case ViewPreset::iso: return {-kPi / 4, kPi / 6};
    }
    return {-kPi / 4, kPi / 6};
}

}  // namespace

OrbitCamera::OrbitCamera() : OrbitCamera(CameraState::defaultState) {}

OrbitCamera::OrbitCamera(const Vec3& target, double distance, double yaw, double pitch)
    : target_(target), distance_(distance), yaw_(yaw), pitch_(pitch) {
    clampLimits();
}

OrbitCamera::OrbitCamera(const CameraState& state)
    : OrbitCamera(state.target, state.distance, state.yaw, state.pitch) {
    projection_ = state.projection;
}

CameraState OrbitCamera::toState() const { return {target_, distance_, yaw_, pitch_, projection_}; }

void OrbitCamera::reset() {
    // The projection is a way of looking the user chose, not part of where the camera stands.
    const Projection kept = projection_;
    *this = OrbitCamera();
    projection_ = kept;
}

void OrbitCamera::setTarget(const Vec3& target) {
    target_ = target;
    clampLimits();
}

Vec3 OrbitCamera::position() const {
    const double c = std::cos(pitch_);
    return target_ + Vec3{c * std::cos(yaw_), c * std::sin(yaw_), std::sin(pitch_)} * distance_;
}

Vec3 OrbitCamera::viewOrigin() const {
    if (!isOrthographic()) return position();
    return target_ - forward() * (farPlane() * kOrthographicOriginShare);
}

Vec3 OrbitCamera::forward() const { return (target_ - position()).normalized(); }

Vec3 OrbitCamera::right() const { return forward().cross(Vec3::unitZ).normalized(); }

Vec3 OrbitCamera::up() const { return right().cross(forward()).normalized(); }

double OrbitCamera::nearPlane() const {
    return std::max(distance_ * kNearPlaneRatio, kMinimumNearPlane);
}

double OrbitCamera::farPlane() const { return distance_ * kFarPlaneRatio + kFarPlaneMargin; }

Float4x4 OrbitCamera::viewMatrix() const {
    const Vec3 eye = viewOrigin();
    const Vec3 f = forward();
    const Vec3 s = right();
    const Vec3 u = up();
    return {{float4(s.x, u.x, -f.x, 0), float4(s.y, u.y, -f.y, 0), float4(s.z, u.z, -f.z, 0),
             float4(-s.dot(eye), -u.dot(eye), f.dot(eye), 1)}};
}

Float4x4 OrbitCamera::perspectiveMatrix(double fovyRadians, double aspect, double nearZ,
                                        double farZ) {
    const double ys = 1 / std::tan(fovyRadians / 2);
    const double xs = ys / aspect;
    const double zs = farZ / (nearZ - farZ);
    return {{float4(xs, 0, 0, 0), float4(0, ys, 0, 0), float4(0, 0, zs, -1),
             float4(0, 0, zs * nearZ, 0)}};
}

Float4x4 OrbitCamera::orthographicMatrix(double halfHeight, double aspect, double nearZ,
                                         double farZ) {
    const double ys = 1 / halfHeight;
    const double xs = ys / aspect;
    const double zs = -1 / (farZ - nearZ);
    return {{float4(xs, 0, 0, 0), float4(0, ys, 0, 0), float4(0, 0, zs, 0),
             float4(0, 0, zs * nearZ, 1)}};
}

Float4x4 OrbitCamera::projectionMatrix(double aspect) const {
    // Written so that a NaN aspect falls back to the minimum too.
    const double safeAspect = aspect > kMinimumAspect ? aspect : kMinimumAspect;
    if (isOrthographic()) {
        return orthographicMatrix(halfHeight(), safeAspect, nearPlane(), farPlane());
    }
    return perspectiveMatrix(fovY_, safeAspect, nearPlane(), farPlane());
}

double OrbitCamera::halfHeight() const { return distance_ * std::tan(fovY_ / 2); }

Float4x4 OrbitCamera::viewProjection(double aspect) const {
    return projectionMatrix(aspect) * viewMatrix();
}

double OrbitCamera::worldUnitsPerPixel(double viewHeight) const {
    if (!(viewHeight > 0)) return 1.0;
    return 2 * halfHeight() / viewHeight;
}

Ray OrbitCamera::ray(const Vec2& at, const Vec2& viewSize) const {
    const double w = viewSize.x > 1 ? viewSize.x : 1;
    const double h = viewSize.y > 1 ? viewSize.y : 1;
    const double ndcX = 2 * at.x / w - 1;
    const double ndcY = 1 - 2 * at.y / h;
    if (isOrthographic()) {
        const double half = halfHeight();
        return Ray(viewOrigin() + right() * (ndcX * half * w / h) + up() * (ndcY * half),
                   forward());
    }
    const double t = std::tan(fovY_ / 2);
    return Ray(position(), forward() + right() * (ndcX * t * w / h) + up() * (ndcY * t));
}

std::optional<Vec2> OrbitCamera::viewPoint(const Vec3& world, const Vec2& viewSize) const {
    const double w = viewSize.x > 1 ? viewSize.x : 1;
    const double h = viewSize.y > 1 ? viewSize.y : 1;
    const Vec3 d = world - viewOrigin();
    const double depth = d.dot(forward());
    if (!(depth > kLengthTolerance)) return std::nullopt;
    // How tall the view is at that depth, per unit of the view's half height.
    const double t = isOrthographic() ? halfHeight() / depth : std::tan(fovY_ / 2);
    const double ndcX = d.dot(right()) / (depth * t * w / h);
    const double ndcY = d.dot(up()) / (depth * t);
    return Vec2{(ndcX + 1) * w / 2, (1 - ndcY) * h / 2};
}

void OrbitCamera::orbit(double deltaX, double deltaY) {
    const double magnitude = std::hypot(deltaX, deltaY);
    if (magnitude > kOrbitDeadZone) {
        const double gain = 1 + std::min(magnitude / kOrbitGainPoints, kOrbitMaximumExtraGain);
        const double boosted = magnitude * gain;
        const double scale = boosted > kOrbitMaximumStep ? kOrbitMaximumStep / magnitude : gain;
        deltaX *= scale;
        deltaY *= scale;
    }
    yaw_ -= deltaX * kOrbitRadiansPerPoint;
    pitch_ += deltaY * kOrbitRadiansPerPoint;
    clampLimits();
}

void OrbitCamera::addAngles(double yaw, double pitch) {
    yaw_ += yaw;
    pitch_ += pitch;
    clampLimits();
}

void OrbitCamera::pan(double deltaX, double deltaY, double viewHeight) {
    const double s = worldUnitsPerPixel(viewHeight);
    target_ += right() * (-deltaX * s) + up() * (deltaY * s);
    clampLimits();
}

void OrbitCamera::zoom(double factor) {
    distance_ *= clampedZoomFactor(factor);
    clampLimits();
}

void OrbitCamera::zoom(double factor, const std::optional<Ray>& toward) {
    const double f = clampedZoomFactor(factor);
    if (toward) {
        if (const auto hit = toward->intersectPlane(target_, forward())) {
            target_ += (hit->point - target_) * (1 - f);
        }
    }
    distance_ *= f;
    clampLimits();
}

void OrbitCamera::frame(const AABB& box) {
    target_ = box.center();
    const double radius = std::max(box.radius(), kFrameMinimumRadius);
    const double fit = isOrthographic() ? std::tan(fovY_ / 2) : std::sin(fovY_ / 2);
    distance_ = radius / fit * kFrameMargin;
    clampLimits();
}

void OrbitCamera::apply(ViewPreset preset) {
    const PresetAngles angles = presetAngles(preset);
    yaw_ = angles.yaw;
    pitch_ = angles.pitch;
    clampLimits();
}

void OrbitCamera::lookFrom(const Vec3& direction) {
    const Vec3 d = direction.normalized();
    if (!d.isFinite() || d.lengthSquared() < 0.5) return;
    const double horizontal = std::hypot(d.x, d.y);
    yaw_ = horizontal > kPoleTolerance ? std::atan2(d.y, d.x) : -kPi / 2;
    pitch_ = std::atan2(d.z, horizontal);
    clampLimits();
}

void OrbitCamera::clampLimits() {
    // One NaN would spread to every later frame through the inertia; a defined view is better.
    const CameraState& fallback = CameraState::defaultState;
    if (!target_.isFinite()) target_ = fallback.target;
    if (!std::isfinite(yaw_)) yaw_ = fallback.yaw;
    if (std::isnan(pitch_)) pitch_ = fallback.pitch;
    if (std::isnan(distance_)) distance_ = fallback.distance;
    pitch_ = std::clamp(pitch_, -kPitchLimit, kPitchLimit);
    distance_ = std::clamp(distance_, kMinimumDistance, kMaximumDistance);
}

}  // namespace brontile
