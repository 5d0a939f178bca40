// The viewport state: velocities measured around user motions, frame ticks and scene rebuilds.
#include <gtest/gtest.h>

#include <cmath>

#include "viewport/viewport_state.hpp"

namespace brontile {
namespace {

TEST(ViewportStateMotion, EachMotionMeasuresItsVelocityOverTheInputInterval) {
    ViewportState state;
    state.viewSize = {800, 600};
    state.needsRebuild = false;
    state.applyOrbit(10, 0, 100.0);
    // The first input is taken to have lasted a 60th of a second.
    const double yawStep = state.camera.yaw() - OrbitCamera().yaw();
    EXPECT_DOUBLE_EQ(state.inertia.yawVelocity, 0.62 * yawStep * 60);

    const Vec3 target0 = state.camera.target();
    state.applyPan(5, 0, 100.02);
    const Vec3 panStep = state.camera.target() - target0;
    EXPECT_NEAR(state.inertia.panVelocity.x, 0.62 * panStep.x / 0.02, 1e-6);
    // Only the distance sizes pixel-sized overlays, so turning and sliding keep the scene.
    EXPECT_FALSE(state.needsRebuild);

    state.applyZoom(0.99, {30, 40}, 100.07);
    EXPECT_TRUE(state.needsRebuild);
    EXPECT_EQ(state.inertia.zoomCursor, (Vec2{30, 40}));
    EXPECT_DOUBLE_EQ(state.camera.distance(), 320 * 0.99);
    EXPECT_NEAR(state.inertia.zoomVelocity, 0.62 * std::log(0.99) / 0.05, 1e-12);
    EXPECT_EQ(state.inertia.lastInputTime, 100.07);
}

TEST(ViewportStateTick, FrameTimeIsBoundedOnlyDistanceChangesRebuildAndRebuildsNeedAProvider) {
    ViewportState state;
    state.needsRebuild = false;
    state.inertia.yawVelocity = 1;
    EXPECT_TRUE(state.tick(50.0));
    EXPECT_DOUBLE_EQ(state.camera.yaw(), OrbitCamera().yaw() + 1.0 / 240);
    const double yaw1 = state.camera.yaw();
    const double velocity = state.inertia.yawVelocity;
    EXPECT_TRUE(state.tick(51.0));
    EXPECT_DOUBLE_EQ(state.camera.yaw(), yaw1 + velocity * 0.05);
    EXPECT_FALSE(state.needsRebuild);

    state.inertia.zoomVelocity = 2;
    EXPECT_TRUE(state.tick(51.016));
    EXPECT_TRUE(state.needsRebuild);
    // A rebuild needs a provider and moves the version.
    EXPECT_FALSE(state.rebuildIfNeeded());
    EXPECT_TRUE(state.needsRebuild);
    state.sceneProvider = [](RenderScene& into) { into.groundLines.resize(2); };
    EXPECT_TRUE(state.rebuildIfNeeded());
    EXPECT_FALSE(state.rebuildIfNeeded());
    EXPECT_EQ(state.scene.groundLines.size(), 2u);
    state.invalidate();
    EXPECT_TRUE(state.rebuildIfNeeded());
    EXPECT_EQ(state.version, 2u);
}

}  // namespace
}  // namespace brontile
