// The one road of the viewport's input: pointer events reach the active tool with the pick ray
// through their point, keys go through the keymap, camera gestures move the camera, and the
// HUD's field, while it has the keyboard, keeps both keys and the pointer from the tools.
#include <gtest/gtest.h>

#include "session/session_fixture.hpp"

namespace brontile {
namespace {

using test::SessionFixture;

TEST(ViewportInput, PointerEventsReachTheToolAlongTheirRayAndAPressStopsTheCamera) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    ViewportInput& input = s.input();
    const BodyID box = f.addBox();
    // Clicking where the box's top appears selects the face the ray through that point meets.
    const Vec2 onTop = f.screenAt({5, 5, 10});
    input.pointer(PointerPhase::move, onTop, {}, 1);
    EXPECT_TRUE(s.interaction().hover());
    input.moveCamera(OrbitMotion{40, 0});
    ASSERT_NE(s.viewport().inertia.yawVelocity, 0);
    input.pointer(PointerPhase::down, f.screenAt({5, 5, 10}), {}, 1);
    input.pointer(PointerPhase::up, f.screenAt({5, 5, 10}), {}, 1);
    EXPECT_EQ(s.viewport().inertia.yawVelocity, 0) << "still coasting";
    ASSERT_EQ(s.selection().faces.size(), 1U);
    EXPECT_EQ(s.selection().faces.begin()->body, box);
    EXPECT_EQ(s.viewport().lastCursor, f.screenAt({5, 5, 10}));
}

TEST(ViewportInput, TheHudsFieldKeepsKeysAndThePointerFromTheTools) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    InteractionState& state = s.interaction();
    ViewportInput& input = s.input();
    state.setHud(HUDState{"Distance", 3.0, std::nullopt, false, std::nullopt, HUDQuantity::length});
    s.dispatch("hud.edit");
    EXPECT_FALSE(s.hudEditing()) << "a readout takes no typing";
    state.setHud(HUDState{"Distance", 3.0, std::nullopt, true, std::nullopt, HUDQuantity::length});
    s.dispatch("hud.edit");
    EXPECT_TRUE(s.hudEditing());
    EXPECT_FALSE(input.key({"s", {}}));
    f.addBox();
    input.pointer(PointerPhase::down, f.screenAt({5, 5, 10}), {}, 1);
    EXPECT_TRUE(s.document().sketches.empty());
    EXPECT_TRUE(s.selection().isEmpty());
    // Hiding the HUD gives the keys back to the viewport.
    s.dispatch("edit.deselect");
    EXPECT_FALSE(s.hudEditing());
    EXPECT_TRUE(input.key({"s", {}}));
    EXPECT_EQ(s.document().sketches.size(), 1U);
    EXPECT_FALSE(input.key({"q", {}}));
}

TEST(ViewportInput, ScrollsAndPinchesZoomTowardsThePointer) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    const double distance = s.viewport().camera.distance();
    s.input().scroll({{600, 400}, 0, 1, false, ScrollPhase::none, {}});
    EXPECT_NEAR(s.viewport().camera.distance(), distance * (1 - 0.065), 1e-9 * distance);
    EXPECT_EQ(s.viewport().lastCursor, (Vec2{600, 400}));
    s.input().pinch(-0.5, {100, 200});
    EXPECT_NEAR(s.viewport().camera.distance(), distance * (1 - 0.065) * 1.5, 1e-9 * distance);
    EXPECT_EQ(s.viewport().lastCursor, (Vec2{100, 200}));
    s.input().scroll({{1, 1}, 0, 1, false, ScrollPhase::momentum, {}});
    EXPECT_EQ(s.viewport().lastCursor, (Vec2{100, 200})) << "momentum is left to the coasting";
}

}  // namespace
}  // namespace brontile
