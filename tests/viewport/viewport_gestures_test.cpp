// Scroll and pinch routing: which camera motion each gesture asks for, and by how much.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "viewport/viewport_gestures.hpp"

namespace brontile {
namespace {

// Writes down what the gestures asked for, as "orbit dx dy", "pan dx dy" or "zoom f".
struct RecordingDelegate final : ViewportInputDelegate {
    struct Call {
        std::string kind;
        double a = 0;
        double b = 0;
    };
    std::vector<Call> calls;

    void viewportPointer(const PointerEvent&) override {}
    void viewportOrbit(double dx, double dy) override { calls.push_back({"orbit", dx, dy}); }
    void viewportPan(double dx, double dy) override { calls.push_back({"pan", dx, dy}); }
    void viewportZoom(double factor, const Vec2& at) override {
        calls.push_back({"zoom", factor, at.x});
    }
    bool viewportKey(const KeyPress&) override { return false; }
    void viewportCameraChanged() override {}
};

struct Gestures : ::testing::Test {
    ViewportState state;
    RecordingDelegate delegate;
    ViewportGestures gestures;

    RecordingDelegate::Call scroll(double dx, double dy, bool precise,
                                   ScrollPhase phase = ScrollPhase::none,
                                   ModifierSet modifiers = {}) {
        const std::size_t before = delegate.calls.size();
        gestures.scroll({{7, 9}, dx, dy, precise, phase, modifiers}, state, delegate);
        if (delegate.calls.size() == before) return {"none"};
        return delegate.calls.back();
    }
};

TEST_F(Gestures, WheelNotchesZoomTowardsThePointerWithinTheFactorBounds) {
    EXPECT_DOUBLE_EQ(scroll(0, 1, false).a, 1 - 0.065);
    EXPECT_DOUBLE_EQ(scroll(0, -100, false).a, 4.0);
    EXPECT_DOUBLE_EQ(scroll(0, 100, false).a, 0.25);
    EXPECT_EQ(scroll(0, 1, false).b, 7) << "zooms at the pointer";
    EXPECT_EQ(state.lastCursor, (Vec2{7, 9}));
    EXPECT_EQ(scroll(0, 1, false, ScrollPhase::momentum).kind, "none");
    EXPECT_EQ(scroll(0, NAN, false).kind, "none");
    EXPECT_EQ(scroll(0, 1, false, ScrollPhase::none, ModifierSet::shift).kind, "pan");
}

TEST_F(Gestures, TouchpadDeltasAreSmoothedAndOrbitUnlessOptionZooms) {
    RecordingDelegate::Call first = scroll(10, -5, true, ScrollPhase::began);
    EXPECT_EQ(first.kind, "orbit");
    EXPECT_DOUBLE_EQ(first.a, 6);
    EXPECT_DOUBLE_EQ(first.b, -3);
    const RecordingDelegate::Call second = scroll(10, -5, true, ScrollPhase::changed);
    EXPECT_DOUBLE_EQ(second.a, 0.6 * 10 + 0.4 * 6);
    // A new gesture forgets the old smoothing.
    EXPECT_DOUBLE_EQ(scroll(10, -5, true, ScrollPhase::began).a, 6);
    const RecordingDelegate::Call zoom =
        scroll(0, 10, true, ScrollPhase::began, ModifierSet::option);
    EXPECT_EQ(zoom.kind, "zoom");
    EXPECT_DOUBLE_EQ(zoom.a, 1 - 6 * 0.0075);
}

TEST_F(Gestures, PinchZoomsByOneMinusItsMagnificationDownToAQuarter) {
    EXPECT_DOUBLE_EQ(ViewportGestures::pinchZoomFactor(0.9), 0.25);
    EXPECT_DOUBLE_EQ(ViewportGestures::pinchZoomFactor(-0.5), 1.5);
    ViewportGestures::pinch(0.1, {3, 4}, state, delegate);
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_DOUBLE_EQ(delegate.calls[0].a, 0.9);
    EXPECT_EQ(state.lastCursor, (Vec2{3, 4}));
}

}  // namespace
}  // namespace brontile
