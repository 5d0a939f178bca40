// Picking, and pushing or pulling the selected face, in the select tool.
#include <gtest/gtest.h>

#include "support/geometry_checks.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/sketch_fixtures.hpp"
#include "tools/fake_context.hpp"
#include "tools/select_tool.hpp"

namespace brontile {
namespace {

using test::clickAt;
using test::FakeContext;
using test::pointerAt;

// Rays slanted so that they are never parallel to a vertical push/pull axis.
const Vec3 kSlanted{0, 1, -1};

// A 10 mm box at the origin and the select tool.
struct BoxContext : FakeContext {
    BodyID box = doc.addBody(test::boxMesh({0, 0, 0}, {10, 10, 10}));
    SelectTool tool;

    double volume() const { return doc.bodies.front().mesh.volume(); }
    FaceRef top() const {
        const auto& faces = doc.bodies.front().mesh.faces();
        return {box, std::ranges::find_if(faces, [](const SolidFace& f) {
                         return f.normal.z > 0.5;
                     })->id};
    }
    void press(PointerPhase phase, const Vec3& at, ModifierSet modifiers = {}) {
        tool.pointer(pointerAt(phase, at, modifiers, 1, kSlanted), *this);
    }
    // Press on the top face, at height `from`, off its arrow; drag to height `to`, release.
    void pushTop(double from, double to, ModifierSet modifiers = {}) {
        press(PointerPhase::down, {2, 2, from}, modifiers);
        press(PointerPhase::drag, {2, 2, to}, modifiers);
        press(PointerPhase::up, {2, 2, to}, modifiers);
    }
};

TEST(SelectTool, ClicksPickFacesShiftAddsAndADoubleClickTakesTheBody) {
    BoxContext c;
    clickAt(c.tool, c, {2, 2, 10});
    EXPECT_EQ(c.currentSelection.faces, std::unordered_set<FaceRef>{c.top()});
    ASSERT_TRUE(c.currentHud);
    EXPECT_EQ(c.currentHud->label, "Push/Pull");
    EXPECT_EQ(c.currentHud->valueMM, 0.0);
    ASSERT_EQ(c.currentOverlay.arrows.size(), 1U);
    test::expectNear(c.currentOverlay.arrows[0].origin, {5, 5, 10});
    // A second face by Shift: no arrow, which needs exactly one face.
    c.tool.pointer(pointerAt(PointerPhase::down, {2, 0.001, 5}, ModifierSet::shift, 1, {0, 1, 0}),
                   c);
    c.tool.pointer(pointerAt(PointerPhase::up, {2, 0.001, 5}, ModifierSet::shift, 1, {0, 1, 0}), c);
    EXPECT_EQ(c.currentSelection.faces.size(), 2U);
    EXPECT_TRUE(c.currentOverlay.arrows.empty());
    clickAt(c.tool, c, {2, 2, 10}, {}, 2);
    EXPECT_TRUE(c.currentSelection.contains(c.box));
    EXPECT_TRUE(c.currentSelection.faces.empty());
    EXPECT_TRUE(c.steps.empty());
}

TEST(SelectTool, DraggingAFaceRoundsToStepsAndWritesOneStepOnRelease) {
    BoxContext c;
    clickAt(c.tool, c, {2, 2, 10});
    c.press(PointerPhase::down, {2, 2, 10});
    c.press(PointerPhase::drag, {2, 2, 20.4});
    // The preview replaces the body in the overlay; the document is untouched until release.
    EXPECT_EQ(c.currentOverlay.replacements.at(c.box).bounds()->max.z, 20);
    EXPECT_EQ(c.currentHud->valueMM, 10.0);
    EXPECT_DOUBLE_EQ(c.volume(), 1000);
    c.press(PointerPhase::up, {2, 2, 20.4});
    EXPECT_DOUBLE_EQ(c.volume(), 2000);
    EXPECT_EQ(c.steps, std::vector<std::string>{"Push/Pull"});
    // A press and release without a move writes nothing; Option gives free values.
    clickAt(c.tool, c, {2, 2, 20});
    c.pushTop(20, 21.25, ModifierSet::option);
    EXPECT_NEAR(c.volume(), 2125, 1e-9);
    EXPECT_EQ(c.steps.size(), 2U);
}

TEST(SelectTool, EscapeOrATypedValueEndsADragAndADoubleClickOnTheArrowTakesTheBody) {
    BoxContext c;
    clickAt(c.tool, c, {2, 2, 10});
    c.press(PointerPhase::down, {2, 2, 10});
    c.press(PointerPhase::drag, {2, 2, 16});
    EXPECT_TRUE(c.tool.key(ToolKey::escape, c));
    c.press(PointerPhase::up, {2, 2, 16});
    EXPECT_TRUE(c.steps.empty());
    EXPECT_TRUE(c.currentOverlay.replacements.empty());
    EXPECT_EQ(c.currentSelection.faces.size(), 1U);
    c.press(PointerPhase::down, {2, 2, 10});
    c.press(PointerPhase::drag, {2, 2, 16});
    c.tool.hudCommit(3, c);
    c.press(PointerPhase::up, {2, 2, 16});
    EXPECT_DOUBLE_EQ(c.volume(), 1300);
    EXPECT_EQ(c.steps, std::vector<std::string>{"Push/Pull"});
    // The arrow stands on the face's centre; a double click there still means the body.
    clickAt(c.tool, c, {5, 5, 13}, {}, 2);
    EXPECT_TRUE(c.currentSelection.contains(c.box));
}

TEST(SelectTool, AnArrowThatIsNotShownCannotBeHit) {
    BoxContext c;
    clickAt(c.tool, c, {2, 2, 10});
    const ArrowGizmo gizmo = c.currentOverlay.arrows.at(0).gizmo(c.worldUnitsPerPixel());
    const Vec3 cone = Vec3::lerp(gizmo.origin, gizmo.reverseTip(), 0.5);
    // As after an undo: the overlay is cleared while the face stays selected.
    c.currentOverlay = SceneOverlay::empty;
    c.tool.pointer(pointerAt(PointerPhase::down, cone, {}, 1, {1, 0, 0}), c);
    c.tool.hudCommit(5, c);
    EXPECT_DOUBLE_EQ(c.volume(), 1500);
}

TEST(SelectTool, AFacePushedThroughTheBodyIsRefusedAndNeverPreviewed) {
    BoxContext c;
    clickAt(c.tool, c, {2, 2, 10});
    c.press(PointerPhase::down, {2, 2, 10});
    c.press(PointerPhase::drag, {2, 2, -5});
    EXPECT_TRUE(c.currentOverlay.replacements.empty());
    c.press(PointerPhase::up, {2, 2, -5});
    c.tool.hudCommit(-10, c);
    EXPECT_EQ(c.errors.size(), 2U);
    EXPECT_TRUE(c.steps.empty());
    EXPECT_DOUBLE_EQ(c.volume(), 1000);
}

TEST(SelectTool, AWallPushedInUnderAnOverhangingRoofIsKept) {
    // A house, its roof peak at x = 10: the right wall pushed in 11 mm leaves the roof tilted
    // past upright over it, a sound solid.
    FakeContext c;
    const std::vector<Vec3> v{{0, 0, 0},  {20, 0, 0},  {20, 10, 0},  {10, 12, 0},  {0, 10, 0},
                              {0, 0, 10}, {20, 0, 10}, {20, 10, 10}, {10, 12, 10}, {0, 10, 10}};
    const auto face = [](std::vector<VertexIndex> loop) {
        return SolidFace{FaceID::generate(), {std::move(loop)}, Vec3::zero};
    };
    const BodyID house = c.doc.addBody(SolidMesh::withComputedNormals(
        v, {face({0, 4, 3, 2, 1}), face({5, 6, 7, 8, 9}), face({0, 1, 6, 5}), face({1, 2, 7, 6}),
            face({2, 3, 8, 7}), face({3, 4, 9, 8}), face({4, 0, 5, 9})}));
    SelectTool tool;
    Selection wall;
    wall.faces.insert({house, c.doc.bodies[0].mesh.faces()[3].id});
    c.setSelection(wall);
    tool.hudCommit(-11, c);
    EXPECT_TRUE(c.errors.empty()) << c.errors.front();
    EXPECT_EQ(c.steps, std::vector<std::string>{"Push/Pull"});
}

TEST(SelectTool, TheReverseConeTurnsATypedDistanceInward) {
    BoxContext c;
    clickAt(c.tool, c, {2, 2, 10});
    const ArrowGizmo gizmo = c.currentOverlay.arrows.at(0).gizmo(c.worldUnitsPerPixel());
    const Vec3 cone = Vec3::lerp(gizmo.origin, gizmo.reverseTip(), 0.5);
    c.tool.pointer(pointerAt(PointerPhase::down, cone, {}, 1, {1, 0, 0}), c);
    EXPECT_EQ(c.currentHud->detail, "Reverse");
    c.tool.hudCommit(5, c);
    EXPECT_DOUBLE_EQ(c.volume(), 500);
    EXPECT_FALSE(c.currentHud->detail);
}

TEST(SelectTool, EmptySpaceClearsOnAClickAndOrbitsOnADrag) {
    BoxContext c;
    clickAt(c.tool, c, {2, 2, 10});
    c.tool.pointer(pointerAt(PointerPhase::down, {50, 50, 0}), c);
    c.tool.pointer(pointerAt(PointerPhase::drag, {53, 54, 0}), c);
    c.tool.pointer(pointerAt(PointerPhase::up, {53, 54, 0}), c);
    EXPECT_EQ(c.orbits, (std::vector<std::pair<double, double>>{{3, 4}}));
    EXPECT_EQ(c.currentSelection.faces.size(), 1U);
    clickAt(c.tool, c, {50, 50, 0}, ModifierSet::shift);
    EXPECT_EQ(c.currentSelection.faces.size(), 1U);
    clickAt(c.tool, c, {50, 50, 0});
    EXPECT_TRUE(c.currentSelection.isEmpty());
    EXPECT_FALSE(c.currentHud);
}

TEST(SelectTool, SketchPicksShowTheirConstraintsAndDimension) {
    FakeContext c;
    const SketchEntity a = test::line({0, 0}, {10, 0});
    const SketchEntity b = test::line({0, 5}, {10, 5});
    c.doc.sketches.push_back(test::sketchOf(
        {a, b}, {test::constraint(SketchConstraintKind::horizontal, {{a.id, {}}}),
                 test::constraint(SketchConstraintKind::distance, {{a.id, {}}}, 10.0)}));
    SelectTool tool;
    clickAt(tool, c, {5, 0, 0});
    EXPECT_EQ(c.sketchID, c.doc.sketches[0].id);
    EXPECT_EQ(c.hint, "Horizontal \u00B7 Distance");
    ASSERT_TRUE(c.currentHud);
    EXPECT_EQ(c.currentHud->label, "Distance");
    EXPECT_EQ(c.currentHud->valueMM, 10.0);
    // A value typed into that HUD sets the dimension it shows.
    tool.hudCommit(12, c);
    EXPECT_EQ(c.doc.sketches[0].constraints[1].value, 12.0);
    EXPECT_EQ(c.steps, std::vector<std::string>{"Edit Dimension"});
    clickAt(tool, c, {5, 5, 0});
    EXPECT_EQ(c.hint,
              "Shift-select another curve, then H/V/\u2225/\u27C2/Equal/Coincident or Dimension");
    EXPECT_FALSE(c.currentHud);
}

}  // namespace
}  // namespace brontile
