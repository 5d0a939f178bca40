// Picking, and pushing or pulling the selected face, in the select tool.
#include <gtest/gtest.h>

#include "sketch/sketch_constraint_factory.hpp"
#include "support/geometry_checks.hpp"
#include "tools/fake_context.hpp"
#include "tools/select_tool.hpp"

namespace brontile {
namespace {

using test::clickAt;
using test::FakeContext;
using test::pointerAt;
using test::pressDragRelease;

// A 10 mm box at the origin, its top face clicked with the select tool.
struct BoxContext : FakeContext {
    BodyID box = addBox({0, 0, 0}, {10, 10, 10});
    SelectTool tool;

    BoxContext() { clickAt(tool, *this, {2, 2, 10}); }
    double volume() const { return doc.bodies.front().mesh.volume(); }
    void press(PointerPhase phase, const Vec3& at, ModifierSet modifiers = {}) {
        tool.pointer(pointerAt(phase, at, modifiers, 1, test::kSlanted), *this);
    }
};

TEST(SelectTool, ClicksPickFacesShiftAddsAndADoubleClickTakesTheBody) {
    BoxContext c;
    EXPECT_EQ(c.currentSelection.faces, std::unordered_set<FaceRef>{c.topFace()});
    ASSERT_TRUE(c.currentHud);
    EXPECT_EQ(c.currentHud->label, "Push/Pull");
    EXPECT_EQ(c.currentHud->valueMM, 0.0);
    ASSERT_EQ(c.currentOverlay.arrows.size(), 1U);
    test::expectNear(c.currentOverlay.arrows[0].origin, {5, 5, 10});
    // A second face by Shift: no arrow, which needs exactly one face.
    clickAt(c.tool, c, {2, 0.001, 5}, ModifierSet::shift, 1, {0, 1, 0});
    EXPECT_EQ(c.currentSelection.faces.size(), 2U);
    EXPECT_TRUE(c.currentOverlay.arrows.empty());
    clickAt(c.tool, c, {2, 2, 10}, {}, 2);
    EXPECT_TRUE(c.currentSelection.contains(c.box));
    EXPECT_TRUE(c.currentSelection.faces.empty());
    EXPECT_TRUE(c.steps.empty());
}

TEST(SelectTool, DraggingAFaceRoundsToStepsAndWritesOneStepOnRelease) {
    BoxContext c;
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
    pressDragRelease(c.tool, c, {2, 2, 20}, {2, 2, 21.25}, ModifierSet::option);
    EXPECT_NEAR(c.volume(), 2125, 1e-9);
    EXPECT_EQ(c.steps.size(), 2U);
    // Pushed through the body: never previewed, and refused when dropped or typed.
    c.press(PointerPhase::down, {2, 2, 21.25});
    c.press(PointerPhase::drag, {2, 2, -5});
    EXPECT_TRUE(c.currentOverlay.replacements.empty());
    c.press(PointerPhase::up, {2, 2, -5});
    c.tool.hudCommit(-21.25, c);
    EXPECT_EQ(c.errors.size(), 2U);
    EXPECT_NEAR(c.volume(), 2125, 1e-9);
}

TEST(SelectTool, EscapeOrATypedValueEndsADragAndADoubleClickOnTheArrowTakesTheBody) {
    BoxContext c;
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

// The reverse cone turns a typed distance inward, but only while the arrow is shown: after an
// undo the overlay is cleared while the face stays selected.
TEST(SelectTool, TheReverseConeTurnsATypedDistanceInwardOnlyWhileShown) {
    for (const bool shown : {true, false}) {
        BoxContext c;
        const Vec3 cone = c.reverseCone();
        if (!shown) c.currentOverlay = SceneOverlay::empty;
        c.tool.pointer(pointerAt(PointerPhase::down, cone, {}, 1, {1, 0, 0}), c);
        EXPECT_EQ(c.currentHud->detail == "Reverse", shown);
        c.tool.hudCommit(5, c);
        EXPECT_DOUBLE_EQ(c.volume(), shown ? 500 : 1500);
        EXPECT_FALSE(c.currentHud->detail);
    }
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
    c.currentSelection.faces.insert({house, c.doc.bodies[0].mesh.faces()[3].id});
    tool.hudCommit(-11, c);
    EXPECT_TRUE(c.errors.empty()) << c.errors.front();
    EXPECT_EQ(c.steps, std::vector<std::string>{"Push/Pull"});
}

TEST(SelectTool, EmptySpaceClearsOnAClickAndOrbitsOnADrag) {
    BoxContext c;
    pressDragRelease(c.tool, c, {50, 50, 0}, {53, 54, 0}, {}, {0, 0, -1});
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

// A click within 8 px of a line's end takes the point, not the line, and lists the line's
// constraints; Shift adds and takes away points beside curves.
TEST(SelectTool, PointsArePickedBeforeTheirCurvesAndShiftTogglesThem) {
    FakeContext c;
    const SketchEntity a = test::line({0, 0}, {10, 0}), b = test::line({0, 5}, {10, 5});
    const auto horizontal =
        test::constraint(SketchConstraintKind::horizontal, {{a.id, SketchParamRole::entity}});
    const Uuid sketch = c.addSketch({a, b}, {horizontal}, SketchPlane::xy, false).id;
    const SketchPointRef end{sketch, a.id, SketchParamRole::end};
    SelectTool tool;
    // 0.5 mm from the end, 0.4 from the line: 5 and 4 px at 0.1 mm a pixel.
    const Vec3 nearEnd{10.3, 0.4, 0};
    clickAt(tool, c, nearEnd);
    EXPECT_EQ(c.currentSelection, (Selection{{}, {}, {}, {end}, {}}));
    EXPECT_EQ(c.sketchID, sketch);
    EXPECT_EQ(c.hint, "Horizontal");
    clickAt(tool, c, {5, 5, 0}, ModifierSet::shift);
    EXPECT_EQ(c.currentSelection, (Selection{{}, {}, {{sketch, b.id}}, {end}, {}}));
    clickAt(tool, c, nearEnd, ModifierSet::shift);
    EXPECT_EQ(c.currentSelection, (Selection{{}, {}, {{sketch, b.id}}, {}, {}}));
}

// A drag on a sketch point moves it with its constraints kept, shown in place until the release
// records one step; Escape puts it back; a pinned point stays and the hint says why.
TEST(SelectTool, SketchPointsDragAsOneStepEscapeRestoresPinnedOnesStay) {
    FakeContext c;
    const SketchEntity a = test::line({0, 0}, {10, 0});
    const Uuid sketch = c.addSketch({a}, {}, SketchPlane::xy, false).id;
    const auto lineNow = [&] {
        return std::get<SketchLine>(c.doc.sketches[0].entities[0].geometry);
    };
    SelectTool tool;
    dragFrom(tool, c, {10, 0, 0}, {14, 6, 0});
    EXPECT_EQ(c.steps, (std::vector<std::string>{"Drag"}));
    test::expectNear(lineNow().end, {14, 6}, 1e-9);
    EXPECT_TRUE(c.currentOverlay.sketches.empty());

    tool.pointer(pointerAt(PointerPhase::down, {14, 6, 0}), c);
    tool.pointer(pointerAt(PointerPhase::drag, {20, 9, 0}), c);
    EXPECT_TRUE(c.currentOverlay.sketches.contains(sketch));
    EXPECT_TRUE(tool.key(ToolKey::escape, c));
    tool.pointer(pointerAt(PointerPhase::up, {20, 9, 0}), c);
    EXPECT_EQ(c.steps.size(), 1u);
    EXPECT_TRUE(c.currentOverlay.sketches.empty());
    test::expectNear(lineNow().end, {14, 6}, 1e-9);

    c.doc.sketches[0].constraints = {
        *SketchConstraintFactory::makeFix(c.doc.sketches[0].entities[0], SketchParamRole::end)};
    dragFrom(tool, c, {14, 6, 0}, {20, 0, 0});
    EXPECT_EQ(c.steps.size(), 1u);
    EXPECT_EQ(
        c.hint,
        "That point of Line 1 is fully constrained: its constraints leave it nowhere to move");
}

}  // namespace
}  // namespace brontile
