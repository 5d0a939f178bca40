// Scroll and pinch routing: which camera motion each gesture asks for, and by how much.
#include <cmath>

#include <gtest/gtest.h>

#include "viewport/viewport_gestures.hpp"

namespace brontile {
namespace {

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
    EXPECT_FALSE(scroll(0, NAN, false));
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
    EXPECT_DOUBLE_EQ(ViewportGestures::pinchZoomFactor(-0.5), 1.5);
    const auto zoom = std::get<ZoomMotion>(*ViewportGestures::pinch(0.1, {3, 4}));
    EXPECT_DOUBLE_EQ(zoom.factor, 0.9);
    EXPECT_EQ(zoom.at, (Vec2{3, 4}));
    EXPECT_FALSE(ViewportGestures::pinch(NAN, {3, 4}));
}

}  // namespace
}  // namespace brontile
