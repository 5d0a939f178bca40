// The tools that make or change whole bodies, driven through a fake context: the rules that are
// easy to get wrong.
#include <gtest/gtest.h>

#include <cmath>

#include "kernel/kernel_error.hpp"
#include "tools/boolean_tool.hpp"
#include "tools/fake_context.hpp"
#include "tools/fillet_tool.hpp"
#include "tools/measure_tool.hpp"
#include "tools/mirror_tool.hpp"
#include "tools/move_tool.hpp"
#include "tools/pattern_tool.hpp"
#include "tools/revolve_tool.hpp"
#include "tools/rotate_tool.hpp"
#include "tools/scale_tool.hpp"
#include "tools/shell_tool.hpp"

namespace brontile {
namespace {

using test::clickAt;
using test::FakeContext;
using test::pointerAt;
using test::pressDragRelease;
using test::rectangleLines;

// A context holding named boxes, the first one selected.
struct Boxes : FakeContext {
    std::vector<BodyID> ids;

    explicit Boxes(std::initializer_list<std::pair<Vec3, Vec3>> boxes) {
        int n = 0;
        for (const auto& [lo, hi] : boxes)
            ids.push_back(addBox(lo, hi, "Box " + std::to_string(++n)));
        currentSelection.bodies.insert(ids.front());
    }
    const Body& body(std::size_t i) const { return doc.bodies.at(i); }
    AABB box(std::size_t i) const { return *body(i).mesh.bounds(); }
};

TEST(RevolveTool, AnAxisMayTouchARegionButNotRunThroughIt) {
    const Profile square{SketchPlane::xz, {{0, 0}, {10, 0}, {10, 5}, {0, 5}}, {}, {}};
    // In the plane: along an edge, beside, and through.
    EXPECT_FALSE(RevolveTool::axisCrossesRegion(square, {0, 0, 0}, {0, 0, 1}));
    EXPECT_FALSE(RevolveTool::axisCrossesRegion(square, {-3, 0, 0}, {0, 0, -1}));
    EXPECT_TRUE(RevolveTool::axisCrossesRegion(square, {5, 0, 0}, {0, 0, 1}));
    // Out of the plane: piercing the region, and passing it by.
    EXPECT_TRUE(RevolveTool::axisCrossesRegion(square, {5, -3, 2}, {0, 1, 0}));
    EXPECT_FALSE(RevolveTool::axisCrossesRegion(square, {15, -3, 2}, {0, 1, 0}));
    // Parallel to the plane but off it: what counts is the axis seen in the plane.
    EXPECT_TRUE(RevolveTool::axisCrossesRegion(square, {0, 8, 2}, {1, 0, 0}));
    EXPECT_FALSE(RevolveTool::axisCrossesRegion(square, {0, 8, -2}, {1, 0, 0}));
}

TEST(RevolveTool, OnlyALinePicksTheAxisAndEscapeLetsTheRegionGo) {
    FakeContext context;
    std::vector<SketchEntity> entities = rectangleLines({10, 0}, {20, 5});
    entities.push_back(test::circle({40, 0}, 2));
    context.addSketch(entities, {}, SketchPlane::xy, false);
    RevolveTool tool;
    clickAt(tool, context, {15, 2, 0});
    ASSERT_TRUE(tool.isBusy());
    // An angle of zero sweeps nothing: refused, and Return still means a full turn.
    tool.hudCommit(0, context);
    EXPECT_EQ(context.errors.size(), 1U);
    EXPECT_TRUE(context.doc.bodies.empty());
    // The circle is not an axis: the sketch's X axis stays, and Return revolves about it.
    clickAt(tool, context, {42, 0, 0});
    EXPECT_TRUE(tool.key(ToolKey::confirm, context));
    ASSERT_EQ(context.doc.bodies.size(), 1U);
    const AABB box = *context.doc.bodies[0].mesh.bounds();
    EXPECT_NEAR(box.max.z, 5, 1e-9);
    EXPECT_NEAR(box.min.y, -5, 1e-9);
    EXPECT_EQ(context.toolRequests, std::vector<ToolID>{ToolID::select});
    EXPECT_TRUE(context.currentSelection.contains(context.doc.bodies[0].id));
    // A region on the negative side of its axis still gives an outward solid.
    std::ranges::copy(rectangleLines({-20, 8}, {-10, 12}),
                      std::back_inserter(context.doc.sketches[0].entities));
    clickAt(tool, context, {-15, 10, 0});
    tool.hudCommit(-90, context);
    ASSERT_EQ(context.doc.bodies.size(), 2U);
    EXPECT_GT(context.doc.bodies[1].mesh.volume(), 0);
    // A line through the region is refused as the axis (a construction line, which divides no
    // region), and another may be picked after it. (The bodies made so far are hidden so that
    // they do not stand over the sketch.)
    for (Body& body : context.doc.bodies) body.isVisible = false;
    SketchEntity through = test::line({15, -10}, {15, 20});
    through.isConstruction = true;
    context.doc.sketches[0].entities.push_back(through);
    clickAt(tool, context, {15, 2, 0});
    clickAt(tool, context, {15, 15, 0});
    EXPECT_EQ(context.errors.back().rfind("The axis runs through the region", 0), 0U);
    tool.key(ToolKey::confirm, context);
    EXPECT_EQ(context.doc.bodies.size(), 2U);
    clickAt(tool, context, {20, 3, 0});
    EXPECT_TRUE(tool.key(ToolKey::confirm, context));
    EXPECT_EQ(context.doc.bodies.size(), 3U);
    clickAt(tool, context, {15, 2, 0});
    EXPECT_TRUE(tool.key(ToolKey::escape, context));
    EXPECT_FALSE(tool.isBusy());
    EXPECT_FALSE(tool.key(ToolKey::escape, context));
}

TEST(FilletTool, FaceWithNothingToCutSaysSoAndKeepsTheTool) {
    Boxes c({{{0, 0, 0}, {10, 10, 10}}});
    FilletTool tool;
    tool.activate(c);
    clickAt(tool, c, {5, 5, 10});
    tool.hudCommit(50, c);
    EXPECT_EQ(c.errors,
              std::vector<std::string>{"Fillet could not round any edge of this face at " +
                                       c.formatted(50) + "."});
    EXPECT_TRUE(c.steps.empty());
    EXPECT_TRUE(c.toolRequests.empty());
    // No radius below nothing: said so, and nothing is cut.
    tool.hudCommit(-3, c);
    EXPECT_EQ(c.errors.back(), "A radius must be more than 0.");
    EXPECT_TRUE(c.steps.empty());
    tool.hudCommit(3, c);
    EXPECT_EQ(c.steps, std::vector<std::string>{"Fillet"});
    EXPECT_LT(c.body(0).mesh.volume(), 1000);
    // A chamfer lasts only while Option is held: the next turn of the tool rounds again.
    clickAt(tool, c, {5, 5, 10});
    tool.pointer(pointerAt(PointerPhase::drag, {5, 5, 10}, ModifierSet::option), c);
    EXPECT_EQ(c.currentHud->label, "Chamfer");
    tool.activate(c);
    clickAt(tool, c, {1, 1, 0}, {}, 1);
    EXPECT_EQ(c.currentHud->label, "Radius");
}

TEST(ShellTool, NeedsABodyAndWallsItCanHold) {
    Boxes c({{{0, 0, 0}, {20, 10, 10}}});
    c.currentSelection = Selection::empty;
    ShellTool tool;
    tool.hudCommit(1, c);
    EXPECT_EQ(c.errors, std::vector<std::string>{"Select a body to shell."});
    clickAt(tool, c, {5, 5, 10});
    // Walls of 6 would leave no room across 10 mm, though the 20 mm way still has some.
    tool.hudCommit(6, c);
    EXPECT_EQ(c.errors.size(), 2U);
    tool.hudCommit(0, c);
    EXPECT_EQ(c.errors.back(), "A wall thickness must be more than 0.");
    tool.hudCommit(1, c);
    EXPECT_DOUBLE_EQ(c.body(0).mesh.volume(), 2000 - 18 * 8 * 8);
}

TEST(MoveTool, ShiftMovesUpOptionStopsRoundingEscapeCancels) {
    Boxes c({{{0, 0, 0}, {10, 10, 10}}});
    MoveTool tool;
    pressDragRelease(tool, c, {2, 2, 10}, {2, 2, 15.7}, ModifierSet::shift);
    EXPECT_EQ(c.box(0).min, (Vec3{0, 0, 5}));
    pressDragRelease(tool, c, {2, 2, 15}, {5.25, 2, 15}, ModifierSet::option);
    EXPECT_NEAR(c.box(0).min.x, 3.25, 1e-9);
    EXPECT_EQ(c.box(0).min.z, 5);
    // A typed distance goes along the last direction moved.
    tool.hudCommit(2, c);
    EXPECT_NEAR(c.box(0).min.x, 5.25, 1e-9);
    tool.pointer(pointerAt(PointerPhase::down, {7, 2, 15}, {}, 1, test::kSlanted), c);
    tool.pointer(pointerAt(PointerPhase::drag, {12, 2, 15}, {}, 1, test::kSlanted), c);
    EXPECT_TRUE(tool.key(ToolKey::escape, c));
    tool.pointer(pointerAt(PointerPhase::up, {12, 2, 15}, {}, 1, test::kSlanted), c);
    EXPECT_EQ(c.steps.size(), 3U);
    // A distance that takes the body out of the range of numbers is refused.
    tool.hudCommit(1e308, c);
    EXPECT_EQ(c.steps.size(), 3U);
    EXPECT_EQ(c.errors.size(), 1U);
}

TEST(RotateAndScaleTools, DragsTurnAndScaleAndFactorsStayAboveTheFloor) {
    Boxes c({{{0, 0, 0}, {20, 10, 10}}});
    RotateTool rotate;
    rotate.activate(c);
    pressDragRelease(rotate, c, {100, 100, 0}, {325, 100, 0}, {}, {0, 0, -1});
    EXPECT_NEAR(c.box(0).max.x - c.box(0).min.x, 10, 1e-9);
    EXPECT_FALSE(rotate.isBusy());
    ScaleTool scale;
    scale.activate(c);
    scale.pointer(pointerAt(PointerPhase::down, {0, 0, 0}), c);
    scale.pointer(pointerAt(PointerPhase::drag, {0, 500, 0}), c);
    EXPECT_EQ(c.currentHud->text, "0.05\u00D7");
    scale.pointer(pointerAt(PointerPhase::up, {0, 500, 0}), c);
    EXPECT_NEAR(c.body(0).mesh.volume(), 2000 * std::pow(0.05, 3), 1e-9);
    EXPECT_EQ(c.steps, (std::vector<std::string>{"Rotate", "Scale"}));
    // After an undo the body taken at activation is forgotten.
    scale.activate(c);
    scale.deactivate(c);
    scale.hudCommit(2, c);
    EXPECT_EQ(c.steps.size(), 2U);
}

TEST(PatternTool, CountsFromTwoToAThousandOfTheFirstBodyInDocumentOrder) {
    Boxes c({{{0, 0, 0}, {20, 10, 10}}, {{0, 30, 0}, {5, 35, 5}}});
    c.currentSelection.bodies.insert(c.ids[1]);
    PatternTool tool;
    tool.hudCommit(1001, c);
    EXPECT_EQ(c.errors.size(), 1U);
    tool.hudCommit(1, c);
    EXPECT_EQ(c.errors.back(), "A pattern needs a count of at least 2.");
    tool.hudCommit(2, c);
    ASSERT_EQ(c.doc.bodies.size(), 3U);
    EXPECT_EQ(c.body(2).name, "Box 1 2");
    EXPECT_NEAR(c.box(2).min.x, 23, 1e-9);
    c.currentSelection = Selection::empty;
    tool.hudCommit(3, c);
    EXPECT_EQ(c.errors.back(), "Select a body to pattern.");
}

TEST(MirrorTool, WithoutShiftTheBodyItselfTurnsOver) {
    Boxes c({{{0, 0, 0}, {10, 10, 10}}});
    MirrorTool tool;
    clickAt(tool, c, {5, 5, 10});
    EXPECT_EQ(c.doc.bodies.size(), 1U);
    EXPECT_EQ(c.box(0).min, (Vec3{0, 0, 10}));
    EXPECT_GT(c.body(0).mesh.volume(), 0);
}

TEST(BooleanTool, TwoSelectedRunAtOnceInDocumentOrderAndRefusalsChangeNothing) {
    Boxes c({{{0, 0, 0}, {10, 10, 10}}, {{5, 5, 5}, {15, 15, 15}}});
    c.currentSelection.bodies = {c.ids[1], c.ids[0]};
    BooleanTool subtract(BooleanOp::subtract);
    subtract.activate(c);
    ASSERT_EQ(c.doc.bodies.size(), 1U);
    EXPECT_EQ(c.body(0).id, c.ids[0]);
    EXPECT_DOUBLE_EQ(c.body(0).mesh.volume(), 875);
    // An open body cannot take part: the kernel says why and both bodies stay.
    std::vector<SolidFace> faces = c.body(0).mesh.faces();
    faces.pop_back();
    const BodyID open = c.doc.addBody(SolidMesh(c.body(0).mesh.vertices(), faces), "Open");
    c.currentSelection.bodies = {c.ids[0], open};
    BooleanTool unite(BooleanOp::unite);
    unite.activate(c);
    EXPECT_EQ(c.doc.bodies.size(), 2U);
    EXPECT_EQ(c.errors.size(), 1U);
    // A first body deleted meanwhile gives way to the next one clicked.
    BooleanTool intersect(BooleanOp::intersect);
    c.currentSelection.bodies = {c.ids[0]};
    intersect.activate(c);
    c.doc.removeBody(c.ids[0]);
    c.addBox({20, 0, 0}, {30, 10, 10});
    clickAt(intersect, c, {25, 5, 10});
    EXPECT_TRUE(intersect.isBusy());
    EXPECT_EQ(c.hint, "Intersecting with Body: click the body whose overlap to keep.");
}

// The real kernel, except that a boolean's result comes back with a face missing, or that it
// says it could not close the result.
class GapKernel final : public GeometryKernel {
public:
    using GeometryKernel::boolean;
    explicit GapKernel(bool throws) : throws_(throws) {}
    const std::string& name() const override { return real_.name(); }
    bool isAvailable() const override { return true; }
    SolidMesh extrude(const Profile& p, double d) const override { return real_.extrude(p, d); }
    SolidMesh pushPull(const SolidMesh& m, const FaceID& f, double d) const override {
        return real_.pushPull(m, f, d);
    }
    SolidMesh boolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op,
                      Progress& progress) const override {
        if (throws_) throw KernelError::openResult();
        const SolidMesh whole = real_.boolean(a, b, op, progress);
        std::vector<SolidFace> faces = whole.faces();
        faces.pop_back();
        return {whole.vertices(), faces};
    }
    SolidMesh revolve(const Profile& p, const Vec3& o, const Vec3& d, double a) const override {
        return real_.revolve(p, o, d, a);
    }
    SolidMesh chamfer(const SolidMesh& m, const FaceID& f, double d, Progress& p) const override {
        return real_.chamfer(m, f, d, p);
    }
    SolidMesh fillet(const SolidMesh& m, const FaceID& f, double r, Progress& p) const override {
        return real_.fillet(m, f, r, p);
    }
    SolidMesh shell(const SolidMesh& m, double t, Progress& p) const override {
        return real_.shell(m, t, p);
    }

private:
    PolyKernel real_;
    bool throws_;
};

// However the kernel fails to close a result, the tool names the body and writes nothing.
TEST(BooleanTool, AResultWithAGapIsRefusedWhicheverWayItComes) {
    for (const bool throws : {false, true}) {
        const GapKernel kernel(throws);
        Boxes c({{{0, 0, 0}, {10, 10, 10}}, {{5, 5, 5}, {15, 15, 15}}});
        c.kernelInUse = &kernel;
        c.currentSelection.bodies = {c.ids[0], c.ids[1]};
        BooleanTool(BooleanOp::unite).activate(c);
        EXPECT_EQ(c.doc.bodies.size(), 2U);
        EXPECT_TRUE(c.steps.empty());
        EXPECT_EQ(c.errors,
                  std::vector<std::string>{"The operation would leave Box 1 with a gap in "
                                           "its surface; nothing was changed."});
    }
}

TEST(MeasureTool, AnyKeyDropsTheFirstPoint) {
    FakeContext c;
    MeasureTool tool;
    clickAt(tool, c, {1, 2, 0});
    EXPECT_TRUE(tool.isBusy());
    EXPECT_TRUE(tool.key(ToolKey::remove, c));
    EXPECT_FALSE(tool.isBusy());
    EXPECT_FALSE(tool.key(ToolKey::escape, c));
    // Nor does it outlive the tool's turn.
    clickAt(tool, c, {1, 2, 0});
    tool.deactivate(c);
    EXPECT_FALSE(tool.isBusy());
}

}  // namespace
}  // namespace brontile
