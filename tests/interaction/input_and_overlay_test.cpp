// What the viewport hands in and what it draws on top: modifier sets and key presses as they go to
// the session and the keymap; overlay lines and the arrow gizmo (its proportions, which part a ray
// is over, its mesh, and the extrusion arrow the tools build).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_set>

#include "interaction/input_events.hpp"
#include "interaction/scene_overlay.hpp"

namespace brontile {
namespace {

TEST(ModifierSets, BitsCombineLikeAnOptionSet) {
    ModifierSet held{ModifierSet::shift, ModifierSet::option};
    EXPECT_EQ(held.rawValue, 3);
    EXPECT_TRUE(held.contains(ModifierSet::option));
    EXPECT_FALSE(held.contains(ModifierSet{ModifierSet::option, ModifierSet::command}));
    EXPECT_TRUE(held.contains(ModifierSet{}));

    held.insert(ModifierSet::control);
    held.remove(ModifierSet::shift);
    EXPECT_EQ(held, (ModifierSet{ModifierSet::control, ModifierSet::option}));
    EXPECT_EQ(held.intersection(ModifierSet::control | ModifierSet::command).rawValue, 8);
    EXPECT_EQ(held.unionWith(ModifierSet::command).rawValue, 14);

    const std::unordered_set<ModifierSet> sets{ModifierSet(3), held,
                                               ModifierSet::shift | ModifierSet(2)};
    EXPECT_EQ(sets.size(), 2u);
}

TEST(KeyPresses, FromCharactersOrNamedKeys) {
    const ModifierSet shift = ModifierSet::shift;
    const ModifierSet shiftCmd = ModifierSet::shift | ModifierSet::command;
    const struct {
        const char* name;
        std::string text;
        ModifierSet modifiers;
        std::optional<KeyPress> expected;
    } cases[] = {
        {"letter keeps shift", "A", shift, KeyPress{"a", shift}},
        {"digit keeps shift", "7", shift, KeyPress{"7", shift}},
        {"punctuation drops shift", "?", shiftCmd, KeyPress{"?", ModifierSet::command}},
        {"first character only", "Ab", {}, KeyPress{"a", {}}},
        {"named key passes through", "return", shift, KeyPress{"return", shift}},
        {"space character is named", " ", {}, KeyPress{"space", {}}},
        {"backspace character", "\x7f", {}, KeyPress{"delete", {}}},
        {"Latin-1 capital", "\xC3\x84", shift, KeyPress{"\xC3\xA4", shift}},  // Ä → ä
        {"Cyrillic capital", "\xD0\x96", {}, KeyPress{"\xD0\xB6", {}}},       // Ж → ж
        {"arrow symbol drops shift", "\xE2\x86\x90", shift, KeyPress{"\xE2\x86\x90", {}}},
        {"empty text", "", shift, std::nullopt},
        {"truncated sequence", "\xC3", {}, std::nullopt},
        {"overlong form", "\xC0\xAF", {}, std::nullopt},
        {"surrogate", "\xED\xA0\x80", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keyPressFromCharacters(c.text, c.modifiers), c.expected) << c.name;
    }
}

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

// A distance within the length tolerance counts as none: only then does the flip turn the arrow.
TEST(OverlayArrowTest, ExtrusionArrowFollowsFlipOnlyAtZeroDistance) {
    const auto still = OverlayArrow::extrusion({}, {0, 0, 2}, 1e-12, true, false, true);
    EXPECT_EQ(still.direction, (Vec3{0, 0, -1}));
    EXPECT_EQ(still.signedDistance, 0);
    EXPECT_EQ(still.pixelLength, 78);
    const auto moved = OverlayArrow::extrusion({}, {0, 0, 2}, -4, true, true, false);
    EXPECT_EQ(moved.direction, (Vec3{0, 0, 1}));
    EXPECT_EQ(moved.signedDistance, -4);
}

TEST(ArrowGizmoTest, StandardArrowTurnsWithTheDistanceAndOutreachesIt) {
    const auto backwards = ArrowGizmo::standard({}, {0, 0, 3}, -10, 0, 0.1, true);
    EXPECT_EQ(backwards.direction, (Vec3{0, 0, -1}));
    EXPECT_DOUBLE_EQ(backwards.length, 10 + 1.2 * backwards.headLength);
    // Shaft, head and reverse cone keep their on-screen proportions.
    EXPECT_EQ((std::array{backwards.shaftRadius, backwards.headLength, backwards.headRadius,
                          backwards.reverseLength}),
              (std::array{2.3 * 0.1, 17 * 0.1, 6.8 * 0.1, 20 * 0.1}));
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
