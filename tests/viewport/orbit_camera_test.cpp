// The orbit camera: its limits, motions, framing, presets and stored state, pick rays and the
// matrices the renderer draws with.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "support/geometry_checks.hpp"
#include "support/mesh_fixtures.hpp"
#include "viewport/orbit_camera.hpp"

namespace brontile {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const Vec2 kView{800, 600};

// Where the renderer puts a world point: pixel (top-left origin) and depth.
struct Projected {
    Vec2 pixel;
    double depth = 0;
};

Projected project(const OrbitCamera& camera, const Vec3& p) {
    const Float4 clip = camera.viewProjection(kView.x / kView.y).transformPoint(p);
    return {{(clip.x / clip.w + 1) / 2 * kView.x, (1 - clip.y / clip.w) / 2 * kView.y},
            clip.z / clip.w};
}

OrbitCamera tiltedCamera() { return OrbitCamera({10, -20, 5}, 150, 0.7, -0.3); }

TEST(OrbitCameraLimits, ClampsReplacesNonFiniteValuesAndToleratesEmptyViews) {
    struct Case {
        double distance, pitch, expectedDistance, expectedPitch;
    };
    const double limit = OrbitCamera::kPitchLimit;
    for (const Case& c : {Case{0.1, 0, 0.5, 0}, Case{1e6, 0, 200000, 0}, Case{9, kPi, 9, limit},
                          Case{9, -kPi, 9, -limit}, Case{kNaN, kNaN, 320, kPi / 6}}) {
        const OrbitCamera camera({}, c.distance, 0, c.pitch);
        EXPECT_EQ(camera.distance(), c.expectedDistance);
        EXPECT_EQ(camera.pitch(), c.expectedPitch);
    }
    const OrbitCamera camera({1, 2, 3}, 0.1, kNaN, 0);
    EXPECT_EQ(camera.toState(), (CameraState{{1, 2, 3}, 0.5, -kPi / 4, 0}));
    // Views without a size still give a pixel size and pick rays.
    EXPECT_EQ(camera.worldUnitsPerPixel(0), 1.0);
    EXPECT_EQ(camera.worldUnitsPerPixel(kNaN), 1.0);
    EXPECT_EQ(camera.ray({0.5, 0.5}, {0, 0}), camera.ray({0.5, 0.5}, {1, 1}));
    EXPECT_LT((camera.ray({0.5, 0.5}, {0, 0}).direction - camera.forward()).length(), 1e-12);
}

TEST(OrbitCameraOrbit, GainGrowsWithSpeedAndOneStepIsCapped) {
    struct Case {
        double dx, dy, yawChange, pitchChange;
    };
    const double step = 10 * (1 + 10.0 / 88) * 0.0052;
    for (const Case& c :
         {Case{0, 0, 0, 0}, Case{10, 0, -step, 0}, Case{0, -10, 0, -step},
          Case{1000, 0, -72 * 0.0052, 0}, Case{-300, 400, 43.2 * 0.0052, 57.6 * 0.0052}}) {
        OrbitCamera camera({}, 100, 0.25, 0.1);
        camera.orbit(c.dx, c.dy);
        EXPECT_NEAR(camera.yaw() - 0.25, c.yawChange, 1e-12) << c.dx << ", " << c.dy;
        EXPECT_NEAR(camera.pitch() - 0.1, c.pitchChange, 1e-12) << c.dx << ", " << c.dy;
    }
}

TEST(OrbitCameraZoom, FactorIsClampedNaNIsIgnoredAndTheCursorPointStays) {
    for (const auto& [factor, expected] : {std::pair{10.0, 500.0}, {0.01, 20.0}, {kNaN, 100.0}}) {
        OrbitCamera camera({}, 100, 0, 0);
        camera.zoom(factor);
        EXPECT_DOUBLE_EQ(camera.distance(), expected);
    }
    // Aimed, the point under the cursor stays under it.
    OrbitCamera camera = tiltedCamera();
    const Ray before = camera.ray({610, 140}, kView);
    const Vec3 anchor = before.intersectPlane(camera.target(), camera.forward())->point;
    camera.zoom(0.4, before);
    EXPECT_DOUBLE_EQ(camera.distance(), 60);
    const Ray after = camera.ray({610, 140}, kView);
    EXPECT_NEAR((anchor - after.origin).cross(after.direction).length(), 0, 1e-9);

    // A ray that never meets the focus plane leaves the target alone.
    OrbitCamera parallel = tiltedCamera();
    parallel.zoom(0.5, Ray(parallel.position(), parallel.right()));
    EXPECT_EQ(parallel.target(), tiltedCamera().target());
    EXPECT_DOUBLE_EQ(parallel.distance(), 75);
}

TEST(OrbitCameraProjection, PickRaysPanAndClipPlanesAgreeWithTheMatrices) {
    OrbitCamera camera = tiltedCamera();
    const Projected center = project(camera, camera.target());
    EXPECT_NEAR(center.pixel.distance({400, 300}), 0, 1e-3);
    EXPECT_TRUE(center.depth > 0 && center.depth < 1);
    const Vec3 eye = camera.position();
    EXPECT_NEAR(project(camera, eye + camera.forward() * camera.nearPlane()).depth, 0, 1e-3);
    EXPECT_NEAR(project(camera, eye + camera.forward() * camera.farPlane()).depth, 1, 1e-3);
    for (const Vec2 cursor : {Vec2{0, 0}, Vec2{800, 600}, Vec2{123, 456}}) {
        for (const double t : {20.0, 150.0, 900.0}) {
            const Vec3 p = camera.ray(cursor, kView).point(t);
            EXPECT_NEAR(project(camera, p).pixel.distance(cursor), 0, 1e-2);
            EXPECT_NEAR(camera.viewPoint(p, kView)->distance(cursor), 0, 1e-6);
        }
    }
    EXPECT_FALSE(camera.viewPoint(eye - camera.forward(), kView).has_value()) << "behind the eye";
    // The scene follows a pan drag point for point, so the pixel size matches the projection.
    const Vec3 oldTarget = camera.target();
    camera.pan(30, -12, kView.y);
    EXPECT_NEAR(project(camera, oldTarget).pixel.distance({430, 288}), 0, 1e-3);
}

TEST(OrbitCameraState, RoundTripsWithinTheLimitsClampsOnTheWayInAndResets) {
    // Yaw has no limits: a value beyond a full turn is kept as it is.
    for (const CameraState& state :
         {CameraState::defaultState, CameraState{{1.5, -2, 1e-7}, 99.25, 12.5, -1.4},
          CameraState{{-3, 0, 8}, 0.5, -7, OrbitCamera::kPitchLimit}}) {
        EXPECT_EQ(OrbitCamera(state).toState(), state);
    }
    EXPECT_EQ(OrbitCamera(CameraState{{1, 2, 3}, 1e6, 0, -kPi}).toState(),
              (CameraState{{1, 2, 3}, 200000, 0, -OrbitCamera::kPitchLimit}));

    OrbitCamera camera = tiltedCamera();
    camera.frame(AABB({0, 0, 0}, {500, 500, 500}));
    camera.reset();
    EXPECT_EQ(camera, OrbitCamera());
    EXPECT_EQ(camera.toState(),
              (CameraState{{0, 0, 0}, 320, -0.7853981633974483, 0.5235987755982988}));
}

TEST(OrbitCameraPresets, TurnTheEyeKeepingTargetAndDistance) {
    struct Case {
        ViewPreset preset;
        double yaw, pitch;
        Vec3 eye;
    };
    for (const Case& row : {Case{ViewPreset::top, -kPi / 2, OrbitCamera::kPitchLimit, {0, 0, 1}},
                            Case{ViewPreset::front, -kPi / 2, 0, {0, -1, 0}},
                            Case{ViewPreset::right, 0, 0, {1, 0, 0}},
                            Case{ViewPreset::iso, -kPi / 4, kPi / 6, {0.6124, -0.6124, 0.5}}}) {
        SCOPED_TRACE(static_cast<int>(row.preset));
        OrbitCamera camera = tiltedCamera();
        camera.apply(row.preset);
        EXPECT_EQ(camera.yaw(), row.yaw);
        EXPECT_EQ(camera.pitch(), row.pitch);
        // Where the eye sits, seen from the target; top stops a thousandth of a radian short.
        test::expectNear(-camera.forward(), row.eye, 1e-3);
        EXPECT_EQ(camera.target(), tiltedCamera().target());
        EXPECT_EQ(camera.distance(), tiltedCamera().distance());
    }
}

TEST(OrbitCameraFrame, CentresTheBoxAndFitsItsSphereWithAMargin) {
    // Distance per millimetre of radius: the sphere fills the vertical field of view less 15 %.
    const double fit = 1.15 / std::sin(kPi / 8);
    struct Case {
        const char* name;
        AABB box;
        double distance;
    };
    for (const Case& row :
         {Case{"box", AABB({-10, 0, 5}, {30, 30, 35}), std::sqrt(3400.0) / 2 * fit},
          Case{"a point counts as radius 1", AABB({3, 4, 5}, {3, 4, 5}), fit},
          Case{"beyond the farthest distance", AABB({-1e6, -1e6, -1e6}, {1e6, 1e6, 1e6}),
               200000}}) {
        SCOPED_TRACE(row.name);
        OrbitCamera camera = tiltedCamera();
        camera.frame(row.box);
        test::expectNear(camera.target(), row.box.center());
        EXPECT_NEAR(camera.distance(), row.distance, 1e-12 * row.distance);
        EXPECT_EQ(camera.yaw(), tiltedCamera().yaw());
        EXPECT_EQ(camera.pitch(), tiltedCamera().pitch());
    }
    // Seen from any side, every corner of a framed box is in the view.
    const AABB box({-10, 0, 5}, {30, 30, 35});
    const SolidMesh corners = test::boxMesh(box.min, box.max);
    for (const ViewPreset preset : {ViewPreset::top, ViewPreset::front, ViewPreset::iso}) {
        OrbitCamera camera;
        camera.apply(preset);
        camera.frame(box);
        for (const Vec3& corner : corners.vertices()) {
            const Vec2 pixel = project(camera, corner).pixel;
            EXPECT_TRUE(pixel.x > 0 && pixel.x < kView.x && pixel.y > 0 && pixel.y < kView.y)
                << static_cast<int>(preset) << ": " << pixel.x << ", " << pixel.y;
        }
    }
}

}  // namespace
}  // namespace brontile
