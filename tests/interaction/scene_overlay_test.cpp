// Overlay values and the arrow gizmo: the arrow's proportions, which part a ray is over, its
// mesh, and the extrusion arrow the tools build.
#include <gtest/gtest.h>

#include <cmath>

#include "interaction/scene_overlay.hpp"

namespace brontile {
namespace {

TEST(SceneOverlay, PolylinesAddOneLinePerConsecutivePair) {
    SceneOverlay overlay;
    const std::vector<Vec3> five{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}};
    overlay.addPolyline(five, RGBA::preview, OverlayLineStyle::dashed);
    ASSERT_EQ(overlay.lines.size(), 4u);
    EXPECT_EQ(overlay.lines[2],
              (OverlayLine{{1, 1, 0}, {0, 1, 0}, RGBA::preview, OverlayLineStyle::dashed}));
    overlay.addPolyline(std::vector<Vec3>{{5, 5, 5}}, RGBA::preview);
    EXPECT_EQ(overlay.lines.size(), 4u);
}

TEST(OverlayArrowTest, ExtrusionArrowFollowsFlipOnlyAtZeroDistance) {
    const auto still = OverlayArrow::extrusion({}, {0, 0, 2}, 0, true, false, true);
    EXPECT_EQ(still.direction, (Vec3{0, 0, -1}));
    EXPECT_EQ(still.signedDistance, 0);
    EXPECT_EQ(still.pixelLength, 78);
    EXPECT_EQ(still.color, RGBA::arrow);
    const auto moved = OverlayArrow::extrusion({}, {0, 0, 2}, -4, true, true, false);
    EXPECT_EQ(moved.direction, (Vec3{0, 0, 1}));
    EXPECT_EQ(moved.signedDistance, -4);
    OverlayArrow hovered = moved;
    hovered.color = {0.9f, 0.5f, 0.2f, 1};
    const RGBA drawn = hovered.drawColor();
    EXPECT_FLOAT_EQ(drawn.r, 1.0f);
    EXPECT_FLOAT_EQ(drawn.g, 0.72f);
    EXPECT_FLOAT_EQ(drawn.b, 0.42f);
    EXPECT_FLOAT_EQ(drawn.a, 1.0f);
}

TEST(ArrowGizmoTest, StandardArrowKeepsItsOnScreenProportions) {
    const double w = 0.5;
    const auto backwards = ArrowGizmo::standard({}, {0, 0, 3}, -10, 0, w, true);
    EXPECT_EQ(backwards.direction, (Vec3{0, 0, -1}));
    EXPECT_DOUBLE_EQ(backwards.length, std::max(10 + 1.2 * 17 * w, 56 * w));
    EXPECT_DOUBLE_EQ(backwards.shaftRadius, 2.3 * w);
    EXPECT_DOUBLE_EQ(backwards.headLength, 17 * w);
    EXPECT_DOUBLE_EQ(backwards.headRadius, 6.8 * w);
    EXPECT_DOUBLE_EQ(backwards.reverseLength, 20 * w);
    // Far away the screen length wins over the distance.
    EXPECT_DOUBLE_EQ(ArrowGizmo::standard({}, {1, 0, 0}, 1, 78, 10, false).length, 780);
    // The constructor keeps the head within 0.85 of the length and at least as wide as the shaft.
    const ArrowGizmo squat({}, {0, 2, 0}, 10, 3, 20, 1, -5);
    EXPECT_EQ(squat.direction, (Vec3{0, 1, 0}));
    EXPECT_DOUBLE_EQ(squat.headLength, 8.5);
    EXPECT_DOUBLE_EQ(squat.headRadius, 3);
    EXPECT_DOUBLE_EQ(squat.reverseLength, 0);
}

TEST(ArrowGizmoTest, ShaftPickThresholdAndNearestPart) {
    // w = 1: pick radius 10, shaft threshold max(2.2 · 2.3, 0.55 · 10) = 5.5.
    const auto arrow = OverlayArrow::extrusion({}, {0, 0, 1}, 0, false, false, true);
    const auto across = [](double x, double z) { return Ray({x, -50, z}, {0, 1, 0}); };
    EXPECT_EQ(arrow.hit(across(5, 20), 1), ArrowGizmo::Part::shaft);
    EXPECT_EQ(arrow.hit(across(6, 20), 1), std::nullopt);
    // Along the axis from above, the head is met first; from below, the reverse cone.
    EXPECT_EQ(arrow.hit(Ray({0, 0, 500}, {0, 0, -1}), 1), ArrowGizmo::Part::head);
    EXPECT_EQ(arrow.hit(Ray({0, 0, -500}, {0, 0, 1}), 1), ArrowGizmo::Part::reverse);
}

TEST(ArrowGizmoTest, MeshHasAtLeastEightSidedRings) {
    const auto plain = ArrowGizmo::standard({}, {0, 0, 1}, 5, 60, 1, false).mesh(3);
    // Tube 2n, cone n, back face 2n triangles over rings of n = 8.
    EXPECT_EQ(plain.faces().size(), 5u * 8);
    EXPECT_EQ(plain.vertices().size(), 3u * 8 + 1);
    const auto flippable = ArrowGizmo::standard({}, {0, 0, 1}, 5, 60, 1, true).mesh(16);
    EXPECT_EQ(flippable.faces().size(), 6u * 16);
}

}  // namespace
}  // namespace brontile
