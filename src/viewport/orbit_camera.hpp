// The viewport's orbit camera: a point of interest seen from a distance along two angles, with
// the matrices, pick rays and pixel size derived from it and the interactive motions. Z is up,
// lengths are millimetres, angles radians.
#pragma once

#include <numbers>
#include <optional>

#include "document/camera_state.hpp"
#include "geometry/aabb.hpp"
#include "geometry/ray.hpp"
#include "geometry/vec2.hpp"
#include "geometry/vec3.hpp"
#include "viewport/float4x4.hpp"

namespace brontile {

enum class ViewPreset { top, front, right, iso };

class OrbitCamera {
public:
    // Just short of vertical (π/2 − 0.001), so `right` is always defined.
    static constexpr double kPitchLimit = 1.5697963267948967;
    static constexpr double kMinimumDistance = 0.5;
    static constexpr double kMaximumDistance = 200000;
    static constexpr double kFieldOfView = std::numbers::pi / 4;

    // The default view: the origin from 320 mm, yaw −π/4, pitch π/6.
    OrbitCamera();
    // Pitch and distance are clamped into their limits. A non-finite value is replaced by the
    // default view's value for that field, so the camera never holds NaN.
    OrbitCamera(const Vec3& target, double distance, double yaw, double pitch);
    explicit OrbitCamera(const CameraState& state);

    friend bool operator==(const OrbitCamera&, const OrbitCamera&) = default;

    [[nodiscard]] CameraState toState() const;
    void reset();

    [[nodiscard]] const Vec3& target() const { return target_; }
    [[nodiscard]] double distance() const { return distance_; }
    [[nodiscard]] double yaw() const { return yaw_; }
    [[nodiscard]] double pitch() const { return pitch_; }
    // Vertical field of view, π/4.
    [[nodiscard]] double fovY() const { return fovY_; }
    void setTarget(const Vec3& target);
    [[nodiscard]] Projection projection() const { return projection_; }
    [[nodiscard]] bool isOrthographic() const { return projection_ == Projection::orthographic; }
    // Switching keeps what is at the target's depth the same size on screen.
    void setProjection(Projection projection) { projection_ = projection; }

    // The eye point of the orbit, `distance` from the target.
    [[nodiscard]] Vec3 position() const;
    // Where depth is measured from and pick rays start. In perspective the eye; in orthographic
    // a point far behind it, so that nothing between the eye and the target is clipped away or
    // missed by a pick: there the distance only sets the scale.
    [[nodiscard]] Vec3 viewOrigin() const;
    // Unit vectors of the eye's frame: towards the target, screen right, screen up.
    [[nodiscard]] Vec3 forward() const;
    [[nodiscard]] Vec3 right() const;
    [[nodiscard]] Vec3 up() const;
    // Clip distances in front of the view origin, growing with the distance.
    [[nodiscard]] double nearPlane() const;
    [[nodiscard]] double farPlane() const;

    // Right-handed look-at with world up +Z; the eye looks down its own −Z.
    [[nodiscard]] Float4x4 viewMatrix() const;
    // Perspective projection mapping eye-space depth −nearZ…−farZ to 0…1. Expects aspect > 0 and
    // 0 < nearZ < farZ.
    [[nodiscard]] static Float4x4 perspectiveMatrix(double fovyRadians, double aspect, double nearZ,
                                                    double farZ);
    // Orthographic projection of a view `halfHeight` tall above and below the centre, mapping
    // eye-space depth −nearZ…−farZ to 0…1. Expects aspect > 0, halfHeight > 0, nearZ < farZ.
    [[nodiscard]] static Float4x4 orthographicMatrix(double halfHeight, double aspect, double nearZ,
                                                     double farZ);
    // This camera's projection with its clip planes; aspect (width / height) is raised to at
    // least 0.01. The orthographic view is as tall as the perspective one at the target's depth.
    [[nodiscard]] Float4x4 projectionMatrix(double aspect) const;
    [[nodiscard]] Float4x4 viewProjection(double aspect) const;

    // Millimetres covered by one view point at the target's depth; 1.0 when the height is not
    // positive. Every pixel-sized tolerance and overlay is converted with this.
    [[nodiscard]] double worldUnitsPerPixel(double viewHeight) const;
    // The pick ray from the view origin through `at` (view points from the top-left corner, y
    // down). View sizes below one point count as one.
    [[nodiscard]] Ray ray(const Vec2& at, const Vec2& viewSize) const;
    // Where a world point appears (view points from the top-left corner): the inverse of `ray`.
    // Nothing for a point at or behind the view origin.
    [[nodiscard]] std::optional<Vec2> viewPoint(const Vec3& world, const Vec2& viewSize) const;

    // Turns by a pointer drag in view points: faster drags turn more than proportionally, and one
    // step never exceeds 72 points' worth (0.0052 rad per point).
    void orbit(double deltaX, double deltaY);
    void addAngles(double yaw, double pitch);
    // Slides the target so that the scene follows a drag of the given view points.
    void pan(double deltaX, double deltaY, double viewHeight);
    // Multiplies the distance by the factor clamped into [0.2, 5]; a NaN factor changes nothing.
    void zoom(double factor);
    // As above; when `toward` meets the plane through the target facing the eye, the target moves
    // with the zoom so that the point under the cursor stays where it is on screen.
    void zoom(double factor, const std::optional<Ray>& toward);
    // Centres the box and backs off until its bounding sphere (radius at least 1) fits the field
    // of view with a 15 % margin (in orthographic, fits the view's height with that margin).
    void frame(const AABB& box);
    // Sets the angles of a standard view; target and distance stay.
    void apply(ViewPreset preset);
    // Turns to look at the target from `direction` (target towards eye, any length); target,
    // distance and projection stay. Straight up or down looks from just short of the pole with
    // the front view's right to the right. A zero or non-finite direction changes nothing.
    void lookFrom(const Vec3& direction);

private:
    void clampLimits();
    // Half the view's height at the target's depth, in millimetres.
    [[nodiscard]] double halfHeight() const;

    Vec3 target_;
    double distance_;
    double yaw_;
    double pitch_;
    double fovY_ = kFieldOfView;
    Projection projection_ = Projection::perspective;
};

}  // namespace brontile
