// Camera momentum: how velocities are blended and capped, and how the coast moves and decays.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "viewport/camera_inertia.hpp"

namespace brontile {
namespace {

const Vec2 kView{800, 600};
// Long after the last input, so coasting is allowed.
constexpr double kLater = 10.0;

TEST(CameraInertiaMeasure, ActivityThresholdsInputIntervalAndBlending) {
    EXPECT_FALSE((CameraInertia{.yawVelocity = 7e-5, .pitchVelocity = 7e-5}.isActive()));
    EXPECT_TRUE((CameraInertia{.yawVelocity = 8e-5, .pitchVelocity = 8e-5}.isActive()));
    EXPECT_FALSE((CameraInertia{.panVelocity = {0.9e-4, 0, 0}}.isActive()));
    EXPECT_TRUE(CameraInertia{.zoomVelocity = -0.0002}.isActive());
    struct Case {
        double lastInput, now, expected;
    };
    for (const Case& c : {Case{0, 5, 1.0 / 60}, Case{5, 5.001, 1.0 / 180}, Case{5, 5.02, 0.02},
                          Case{5, 6, 0.05}, Case{5, 4, 1.0 / 180}}) {
        EXPECT_NEAR(CameraInertia{.lastInputTime = c.lastInput}.inputDt(c.now), c.expected, 1e-12);
    }
    // Samples mix with the old velocity and are capped.
    CameraInertia inertia;
    inertia.blendAngular(1, 100);
    inertia.blendAngular(1, 100);
    EXPECT_DOUBLE_EQ(inertia.yawVelocity, 0.62 + 0.38 * 0.62);
    EXPECT_EQ(inertia.pitchVelocity, 9.5);
    inertia.blendPan({3e5, 4e5, 0});
    EXPECT_NEAR(inertia.panVelocity.length(), 90000, 1e-6);
    EXPECT_NEAR(inertia.panVelocity.x / inertia.panVelocity.y, 0.75, 1e-12);
    inertia.blendZoom(-20);
    EXPECT_EQ(inertia.zoomVelocity, -7.5);
    // A broken sample must not leave a NaN that would never decay.
    inertia.blendZoom(std::numeric_limits<double>::quiet_NaN());
    inertia.blendPan({std::numeric_limits<double>::infinity(), 0, 0});
    EXPECT_EQ(inertia.zoomVelocity, 0);
    EXPECT_EQ(inertia.panVelocity, Vec3::zero);
}

TEST(CameraInertiaCoast, WaitsForTheInputToSettleThenTurnsPansZoomsDecaysAndStops) {
    OrbitCamera camera;
    CameraInertia inertia{.yawVelocity = 2, .pitchVelocity = -1, .panVelocity = {0, 50, 0}};
    inertia.lastInputTime = kLater - 0.02;
    EXPECT_FALSE(inertia.coast(0.02, kLater, camera, kView));
    EXPECT_EQ(camera, OrbitCamera());

    inertia.lastInputTime = kLater - 0.03;
    EXPECT_TRUE(inertia.coast(0.02, kLater, camera, kView));
    EXPECT_DOUBLE_EQ(camera.yaw(), OrbitCamera().yaw() + 2 * 0.02);
    EXPECT_DOUBLE_EQ(camera.pitch(), OrbitCamera().pitch() - 0.02);
    EXPECT_DOUBLE_EQ(camera.target().y, 1);
    EXPECT_DOUBLE_EQ(inertia.yawVelocity, 2 * std::exp(-6.8 * 0.02));
    EXPECT_DOUBLE_EQ(inertia.panVelocity.y, 50 * std::exp(-6.8 * 0.02));

    // Too slow to see: stops without moving.
    OrbitCamera still;
    CameraInertia slow{.yawVelocity = 0.01, .zoomVelocity = 0.005};
    EXPECT_FALSE(slow.coast(0.02, kLater, still, kView));
    EXPECT_EQ(still, OrbitCamera());
    EXPECT_EQ(slow, CameraInertia{});

    // Zooms towards the middle, or towards the last cursor's side.
    OrbitCamera centered;
    CameraInertia zooming{.zoomVelocity = -3};
    EXPECT_TRUE(zooming.coast(0.02, kLater, centered, kView));
    EXPECT_NEAR(centered.distance(), 320 * std::exp(-3 * 0.02), 1e-9);
    EXPECT_NEAR(centered.target().length(), 0, 1e-9);
    EXPECT_DOUBLE_EQ(zooming.zoomVelocity, -3 * std::exp(-6.8 * 0.02));

    OrbitCamera aimed;
    CameraInertia towardsCursor{.zoomVelocity = -3, .zoomCursor = Vec2{700, 300}};
    EXPECT_TRUE(towardsCursor.coast(0.02, kLater, aimed, kView));
    EXPECT_GT(aimed.target().dot(aimed.right()), 0.1);
}

}  // namespace
}  // namespace brontile
