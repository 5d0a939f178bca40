// The orbit camera and what moves it: limits, motions, framing, presets, stored state, pick rays
// and matrices; the motion each scroll and pinch asks for, momentum and coasting, and the viewport
// state that measures velocities, ticks frames and rebuilds the scene.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "support/geometry_checks.hpp"
#include "support/mesh_fixtures.hpp"
#include "viewport/camera_inertia.hpp"
#include "viewport/orbit_camera.hpp"
#include "viewport/viewport_gestures.hpp"
#include "viewport/viewport_state.hpp"

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

OrbitCamera tiltedCamera(Projection projection) {
    OrbitCamera camera = tiltedCamera();
    camera.setProjection(projection);
    return camera;
}

constexpr std::array kProjections{Projection::perspective, Projection::orthographic};

// Yaw has no limits: a value beyond a full turn is kept as it is.
TEST(OrbitCameraState, RoundTripsWithinTheLimitsClampsOrDefaultsOutsideThemAndResets) {
    const double limit = OrbitCamera::kPitchLimit;
    const std::pair<CameraState, CameraState> cases[] = {
        {CameraState::defaultState, CameraState::defaultState},
        {{{1.5, -2, 1e-7}, 99.25, 12.5, -1.4}, {{1.5, -2, 1e-7}, 99.25, 12.5, -1.4}},
        {{{-3, 0, 8}, 0.5, -7, limit}, {{-3, 0, 8}, 0.5, -7, limit}},
        {{{}, 0.1, 0, 0}, {{}, 0.5, 0, 0}},
        {{{}, 1e6, 0, -kPi}, {{}, 200000, 0, -limit}},
        {{{}, 9, 0, kPi}, {{}, 9, 0, limit}},
        {{{1, 2, 3}, kNaN, kNaN, kNaN}, {{1, 2, 3}, 320, -kPi / 4, kPi / 6}},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(OrbitCamera(in).toState(), out);
    OrbitCamera camera = tiltedCamera();
    camera.reset();
    EXPECT_EQ(camera, OrbitCamera());
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
    // Aimed, the point under the cursor stays under it, in either projection.
    for (const Projection projection : kProjections) {
        OrbitCamera camera = tiltedCamera(projection);
        const Ray before = camera.ray({610, 140}, kView);
        const Vec3 anchor = before.intersectPlane(camera.target(), camera.forward())->point;
        camera.zoom(0.4, before);
        EXPECT_DOUBLE_EQ(camera.distance(), 60);
        EXPECT_NEAR(camera.viewPoint(anchor, kView)->distance({610, 140}), 0, 1e-9);
    }

    // A ray that never meets the focus plane leaves the target alone.
    OrbitCamera parallel = tiltedCamera();
    parallel.zoom(0.5, Ray(parallel.position(), parallel.right()));
    EXPECT_EQ(parallel.target(), tiltedCamera().target());
    EXPECT_DOUBLE_EQ(parallel.distance(), 75);
}

TEST(OrbitCameraProjection, PickRaysPanAndClipPlanesAgreeWithTheMatrices) {
    for (const Projection projection : kProjections) {
        SCOPED_TRACE(static_cast<int>(projection));
        OrbitCamera camera = tiltedCamera(projection);
        const Projected center = project(camera, camera.target());
        EXPECT_NEAR(center.pixel.distance({400, 300}), 0, 1e-3);
        EXPECT_TRUE(center.depth > 0 && center.depth < 1);
        const Vec3 eye = camera.viewOrigin();
        EXPECT_NEAR(project(camera, eye + camera.forward() * camera.nearPlane()).depth, 0, 1e-3);
        EXPECT_NEAR(project(camera, eye + camera.forward() * camera.farPlane()).depth, 1, 1e-3);
        for (const Vec2 cursor : {Vec2{0, 0}, Vec2{800, 600}, Vec2{123, 456}}) {
            for (const double t : {20.0, 150.0, 900.0}) {
                const Vec3 p = camera.ray(cursor, kView).point(t);
                EXPECT_NEAR(project(camera, p).pixel.distance(cursor), 0, 1e-2);
                EXPECT_NEAR(camera.viewPoint(p, kView)->distance(cursor), 0, 1e-6);
            }
        }
        EXPECT_FALSE(camera.viewPoint(eye - camera.forward(), kView).has_value());
        // The scene follows a pan drag point for point, so the pixel size matches the projection.
        const Vec3 oldTarget = camera.target();
        camera.pan(30, -12, kView.y);
        EXPECT_NEAR(project(camera, oldTarget).pixel.distance({430, 288}), 0, 1e-3);
    }
    // Orthographic: every ray runs the same way, sizes do not shrink with depth, and what lies
    // between the orbit's eye and the target is still drawn and picked.
    const OrbitCamera flat = tiltedCamera(Projection::orthographic);
    test::expectNear(flat.ray({0, 0}, kView).direction, flat.ray({700, 500}, kView).direction);
    const Vec3 offset = flat.right() * 10;
    for (const double depth : {-100.0, 0.0, 400.0}) {
        const Vec3 p = flat.target() + flat.forward() * depth;
        EXPECT_NEAR(project(flat, p + offset).pixel.x - project(flat, p).pixel.x,
                    10 / flat.worldUnitsPerPixel(kView.y), 1e-3);
    }
    const Projected nearEye = project(flat, flat.position() + flat.forward() * 0.1);
    EXPECT_TRUE(nearEye.depth > 0 && nearEye.depth < 1);
}

// A camera looks from any of the cube's 26 directions, the poles included; the projection is
// kept by everything that moves the camera and by the stored state.
TEST(OrbitCameraView, LooksFromAnyDirectionAndKeepsItsProjection) {
    for (int x = -1; x <= 1; ++x) {
        for (int y = -1; y <= 1; ++y) {
            for (int z = -1; z <= 1; ++z) {
                const Vec3 direction{double(x), double(y), double(z)};
                if (direction == Vec3::zero) continue;
                OrbitCamera camera = tiltedCamera();
                camera.lookFrom(direction * 3);
                test::expectNear(-camera.forward(), direction.normalized(), 2e-3);
                EXPECT_EQ(camera.target(), tiltedCamera().target());
                EXPECT_EQ(camera.distance(), tiltedCamera().distance());
            }
        }
    }
    OrbitCamera camera = tiltedCamera(Projection::orthographic);
    camera.lookFrom(Vec3::zero);
    camera.lookFrom({kNaN, 0, 1});
    EXPECT_EQ(camera, tiltedCamera(Projection::orthographic)) << "no direction, no turn";
    camera.frame(AABB({0, 0, 0}, {10, 10, 10}));
    camera.apply(ViewPreset::top);
    camera.reset();
    EXPECT_TRUE(camera.isOrthographic());
    EXPECT_EQ(OrbitCamera(camera.toState()), camera);
}

// Presets turn the eye keeping target and distance; framing keeps the direction, centres the box
// and fits its sphere, the sphere filling the vertical field of view less 15 %.
TEST(OrbitCameraView, PresetsTurnTheEyeAndFramingFitsTheBox) {
    struct Preset {
        ViewPreset preset;
        double yaw, pitch;
        Vec3 eye;
    };
    for (const Preset& row :
         {Preset{ViewPreset::top, -kPi / 2, OrbitCamera::kPitchLimit, {0, 0, 1}},
          Preset{ViewPreset::front, -kPi / 2, 0, {0, -1, 0}},
          Preset{ViewPreset::right, 0, 0, {1, 0, 0}},
          Preset{ViewPreset::iso, -kPi / 4, kPi / 6, {0.6124, -0.6124, 0.5}}}) {
        SCOPED_TRACE(static_cast<int>(row.preset));
        OrbitCamera camera = tiltedCamera();
        camera.apply(row.preset);
        EXPECT_EQ(camera.toState(), (CameraState{tiltedCamera().target(), tiltedCamera().distance(),
                                                 row.yaw, row.pitch}));
        // Where the eye sits, seen from the target; top stops a thousandth of a radian short.
        test::expectNear(-camera.forward(), row.eye, 1e-3);
    }
    const double fit = 1.15 / std::sin(kPi / 8);  // distance per millimetre of radius
    for (const auto& [box, distance] :
         {std::pair{AABB({-10, 0, 5}, {30, 30, 35}), std::sqrt(3400.0) / 2 * fit},
          std::pair{AABB({3, 4, 5}, {3, 4, 5}), fit},  // a point counts as radius 1
          std::pair{AABB({-1e6, -1e6, -1e6}, {1e6, 1e6, 1e6}), 200000.0}}) {  // the farthest
        OrbitCamera camera = tiltedCamera();
        camera.frame(box);
        test::expectNear(camera.target(), box.center());
        EXPECT_NEAR(camera.distance(), distance, 1e-12 * distance);
        EXPECT_EQ(camera.yaw(), tiltedCamera().yaw());
        EXPECT_EQ(camera.pitch(), tiltedCamera().pitch());
    }
    // Seen from any side in either projection, every corner of a framed box is in the view.
    const AABB box({-10, 0, 5}, {30, 30, 35});
    const SolidMesh corners = test::boxMesh(box.min, box.max);
    for (const ViewPreset preset : {ViewPreset::top, ViewPreset::front, ViewPreset::iso}) {
        for (const Projection projection : kProjections) {
            OrbitCamera camera;
            camera.setProjection(projection);
            camera.apply(preset);
            camera.frame(box);
            for (const Vec3& corner : corners.vertices()) {
                const Vec2 pixel = project(camera, corner).pixel;
                EXPECT_TRUE(pixel.x > 0 && pixel.x < kView.x && pixel.y > 0 && pixel.y < kView.y)
                    << static_cast<int>(preset) << ": " << pixel.x << ", " << pixel.y;
            }
        }
    }
}

struct Gestures : ::testing::Test {
    ViewportGestures gestures;

    std::optional<CameraMotion> scroll(double dx, double dy, bool precise,
                                       ScrollPhase phase = ScrollPhase::none,
                                       ModifierSet modifiers = {}) {
        return gestures.scroll({{7, 9}, dx, dy, precise, phase, modifiers});
    }
    static double zoomFactor(const std::optional<CameraMotion>& motion) {
        return std::get<ZoomMotion>(motion.value()).factor;
    }
    static const OrbitMotion& orbit(const std::optional<CameraMotion>& motion) {
        return std::get<OrbitMotion>(motion.value());
    }
};

TEST_F(Gestures, WheelNotchesZoomTowardsThePointerWithinTheFactorBounds) {
    EXPECT_DOUBLE_EQ(zoomFactor(scroll(0, 1, false)), 1 - 0.065);
    EXPECT_DOUBLE_EQ(zoomFactor(scroll(0, -100, false)), 4.0);
    EXPECT_DOUBLE_EQ(zoomFactor(scroll(0, 100, false)), 0.25);
    EXPECT_EQ(std::get<ZoomMotion>(*scroll(0, 1, false)).at, (Vec2{7, 9})) << "at the pointer";
    EXPECT_FALSE(scroll(0, 1, false, ScrollPhase::momentum));
    EXPECT_FALSE(scroll(0, kNaN, false));
    EXPECT_TRUE(std::holds_alternative<PanMotion>(
        *scroll(0, 1, false, ScrollPhase::none, ModifierSet::shift)));
}

TEST_F(Gestures, TouchpadDeltasAreSmoothedAndOrbitUnlessOptionZooms) {
    const OrbitMotion first = orbit(scroll(10, -5, true, ScrollPhase::began));
    EXPECT_DOUBLE_EQ(first.deltaX, 6);
    EXPECT_DOUBLE_EQ(first.deltaY, -3);
    EXPECT_DOUBLE_EQ(orbit(scroll(10, -5, true, ScrollPhase::changed)).deltaX, 0.6 * 10 + 0.4 * 6);
    // A new gesture forgets the old smoothing.
    EXPECT_DOUBLE_EQ(orbit(scroll(10, -5, true, ScrollPhase::began)).deltaX, 6);
    EXPECT_DOUBLE_EQ(zoomFactor(scroll(0, 10, true, ScrollPhase::began, ModifierSet::option)),
                     1 - 6 * 0.0075);
}

TEST_F(Gestures, PinchZoomsByOneMinusItsMagnificationDownToAQuarter) {
    EXPECT_DOUBLE_EQ(ViewportGestures::pinchZoomFactor(0.9), 0.25);
    const auto zoom = std::get<ZoomMotion>(*ViewportGestures::pinch(0.1, {3, 4}));
    EXPECT_DOUBLE_EQ(zoom.factor, 0.9);
    EXPECT_EQ(zoom.at, (Vec2{3, 4}));
    EXPECT_FALSE(ViewportGestures::pinch(kNaN, {3, 4}));
}

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
    inertia.blendZoom(kNaN);
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
