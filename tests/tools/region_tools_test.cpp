// Trim, offset and extrude: the curves and regions they act on, and what they write.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/mesh_closure.hpp"
#include "support/geometry_checks.hpp"
#include "tools/extrude_tool.hpp"
#include "tools/fake_context.hpp"
#include "tools/offset_tool.hpp"
#include "tools/trim_tool.hpp"

namespace brontile {
namespace {

using test::clickAt;
using test::FakeContext;
using test::line;

// A context whose active sketch on the ground holds these entities.
struct SketchContext : FakeContext {
    explicit SketchContext(std::vector<SketchEntity> entities,
                           std::vector<SketchConstraint> constraints = {}) {
        addSketch(std::move(entities), std::move(constraints));
    }
    const Sketch& sketch() const { return doc.sketches.front(); }
};

std::vector<SketchEntity> square(double x0, double y0, double size) {
    return test::rectangleLines({x0, y0}, {x0 + size, y0 + size});
}

TEST(TrimTool, CutsTheCrossedPieceUnderThePointerWithItsConstraints) {
    SketchEntity long_ = line({0, 0}, {20, 0});
    long_.isConstruction = true;
    SketchContext context(
        {long_, line({10, -5}, {10, 5}), line({20, 0}, {25, 5}), test::circle({40, 0}, 3)},
        {test::constraint(SketchConstraintKind::horizontal, {{long_.id, {}}})});
    TrimTool tool;
    // Touching at its end does not split the long line; the piece from the crossing goes.
    clickAt(tool, context, {16, 0, 0});
    const auto& entities = context.sketch().entities;
    ASSERT_EQ(entities.size(), 4U);
    EXPECT_EQ(std::get<SketchLine>(entities.back().geometry), (SketchLine{{0, 0}, {10, 0}}));
    EXPECT_TRUE(entities.back().isConstruction);
    EXPECT_TRUE(context.sketch().constraints.empty());
    EXPECT_EQ(context.steps, std::vector<std::string>{"Trim"});
    // A circle, and a line crossed by nothing, go whole; a click far from any curve does nothing.
    clickAt(tool, context, {43, 0, 0});
    clickAt(tool, context, {24, 4, 0});
    clickAt(tool, context, {60, 60, 0});
    EXPECT_EQ(context.sketch().entities.size(), 2U);
    EXPECT_EQ(context.steps.size(), 3U);
}

TEST(OffsetTool, WritesIntoTheRegionsOwnSketchAndRefusesOffsetsThatLeaveNothing) {
    SketchContext context(square(0, 0, 10));
    context.addSketch({}, {}, SketchPlane::xz);
    OffsetTool tool;
    clickAt(tool, context, {5, 5, 0});
    ASSERT_TRUE(tool.isBusy());
    EXPECT_EQ(context.currentHud->label, "Offset");
    tool.hudCommit(2, context);
    const auto& grown = context.sketch().entities;
    ASSERT_EQ(grown.size(), 8U);
    EXPECT_TRUE(context.doc.sketches.back().entities.empty());
    for (std::size_t i = 4; i < 8; ++i) {
        const auto& l = std::get<SketchLine>(grown[i].geometry);
        for (const Vec2& p : {l.start, l.end}) {
            EXPECT_NEAR(std::max(std::abs(p.x - 5), std::abs(p.y - 5)), 7, 1e-9);
        }
    }
    EXPECT_FALSE(tool.isBusy());
    // Escape drops a picked region and adds nothing.
    clickAt(tool, context, {5, 5, 0});
    EXPECT_TRUE(tool.key(ToolKey::escape, context));
    EXPECT_TRUE(context.currentOverlay.lines.empty());
    EXPECT_EQ(context.sketch().entities.size(), 8U);
    // An offset that leaves nothing is refused and the region stays picked; so is a region whose
    // sketch went meanwhile, and then the region goes.
    clickAt(tool, context, {5, 5, 0});
    tool.hudCommit(-6, context);
    EXPECT_EQ(context.errors.size(), 1U);
    EXPECT_TRUE(tool.isBusy());
    context.doc.sketches.clear();
    EXPECT_TRUE(tool.key(ToolKey::confirm, context));
    EXPECT_EQ(context.errors.back(), "The region's sketch is gone; nothing was offset.");
    EXPECT_FALSE(tool.isBusy());
    EXPECT_EQ(context.steps.size(), 1U);
}

// A hole's outline moves the other way: the ring grows into its hole as it grows outward, and a
// hole that would close up refuses the offset.
TEST(OffsetTool, MovesAHoleAwayFromTheRegionToo) {
    std::vector<SketchEntity> entities = square(0, 0, 20);
    std::ranges::copy(square(8, 8, 4), std::back_inserter(entities));
    SketchContext context(entities);
    OffsetTool tool;
    clickAt(tool, context, {2, 2, 0});
    tool.hudCommit(1, context);
    const auto& grown = context.sketch().entities;
    ASSERT_EQ(grown.size(), 16U);
    std::vector<double> reach;
    for (std::size_t i = 8; i < 16; ++i) {
        const Vec2 p = std::get<SketchLine>(grown[i].geometry).start;
        reach.push_back(std::max(std::abs(p.x - 10), std::abs(p.y - 10)));
    }
    std::ranges::sort(reach);
    EXPECT_NEAR(reach.front(), 1, 1e-9);
    EXPECT_NEAR(reach.back(), 11, 1e-9);
    EXPECT_NEAR(reach[3], 1, 1e-9);
    clickAt(tool, context, {0.5, 0.5, 0});
    tool.hudCommit(2.5, context);
    EXPECT_EQ(context.errors.size(), 1U);
    EXPECT_EQ(context.sketch().entities.size(), 16U);
}

TEST(ExtrudeTool, AsksForADistanceAfterAClickAndTakesATypedOne) {
    SketchContext context(square(0, 0, 10));
    ExtrudeTool tool;
    clickAt(tool, context, {5, 5, 0});
    EXPECT_TRUE(context.doc.bodies.empty());
    EXPECT_EQ(context.hint,
              "Type a distance and press Return, click the orange reverse arrow "
              "to flip, or drag again.");
    // Return with no distance is not taken; zero and non-numbers are refused in words.
    EXPECT_FALSE(tool.key(ToolKey::confirm, context));
    tool.hudCommit(0, context);
    tool.hudCommit(std::nan(""), context);
    EXPECT_EQ(context.errors.size(), 2U);
    EXPECT_TRUE(context.doc.bodies.empty());
    tool.hudCommit(10, context);
    ASSERT_EQ(context.doc.bodies.size(), 1U);
    EXPECT_NEAR(context.doc.bodies[0].mesh.volume(), 1000, 1e-9);
    EXPECT_EQ(context.doc.bodies[0].name, "Body 1");
    EXPECT_EQ(context.steps, std::vector<std::string>{"Extrude"});
    EXPECT_TRUE(context.currentSelection.contains(context.doc.bodies[0].id));
    EXPECT_FALSE(tool.isBusy());
    EXPECT_EQ(context.hint, tool.hint());
}

TEST(ExtrudeTool, DragsRoundToStepsFlipPastThePlaneAndPickTheInnerRegion) {
    std::vector<SketchEntity> entities = square(0, 0, 10);
    for (SketchEntity& e : square(3, 3, 4)) entities.push_back(e);
    SketchContext context(entities);
    ExtrudeTool tool;
    for (const auto& [to, modifiers] :
         {std::pair{12.7, ModifierSet{}}, std::pair{12.7, ModifierSet::option},
          std::pair{-3.5, ModifierSet{}}}) {
        test::pressDragRelease(tool, context, {5, 5, 0}, {5, 5, to}, modifiers);
        // Hidden, a body leaves the next region in no body's face: each is a new body.
        context.doc.bodies.back().isVisible = false;
    }
    ASSERT_EQ(context.doc.bodies.size(), 3U);
    const auto height = [&](std::size_t i) {
        const auto box = context.doc.bodies[i].mesh.bounds();
        return std::pair{box->min.z, box->max.z};
    };
    EXPECT_EQ(height(0), (std::pair{0.0, 12.0}));
    EXPECT_NEAR(height(1).second, 12.7, 1e-9);
    EXPECT_EQ(height(2), (std::pair{-3.0, 0.0}));
    // The inner square (16 mm²) was picked, not the outer one.
    EXPECT_NEAR(context.doc.bodies[0].mesh.volume(), 16 * 12, 1e-9);
}

// A region on a body's face cuts when extruded into the body and joins when extruded away; the
// mode key chooses otherwise, and the HUD says which while dragging. The body keeps who it is.
TEST(ExtrudeTool, IntoABodyItCutsAwayItJoinsAndTheModeKeyChooses) {
    const SketchPlane top({0, 0, 10}, Vec3::unitX, Vec3::unitY);
    SketchContext context({});
    const BodyID block = context.addBox({0, 0, 0}, {20, 20, 10}, "Block");
    context.doc.sketches.clear();
    context.addSketch({test::circle({6, 6}, 3), test::circle({14, 14}, 3)}, {}, top);
    const double disc = 32 * 9 * std::sin(std::numbers::pi / 32);
    ExtrudeTool tool;
    // Drags from inside one disc (clear of the arrow) to `height` above the face; the HUD's word
    // halfway.
    const auto drag = [&](double height, int modeKeys = 0, Vec2 at = {8, 6}) {
        const Vec3 from{at.x, at.y, 10};
        tool.pointer(test::pointerAt(PointerPhase::down, from, {}, 1, test::kSlanted), context);
        for (int k = 0; k < modeKeys; ++k) EXPECT_TRUE(tool.key(ToolKey::nextMode, context));
        // Halfway, then the whole way: the preview keeps up with the distance.
        for (const double part : {0.5, 1.0}) {
            tool.pointer(test::pointerAt(PointerPhase::drag, from + Vec3{0, 0, height * part}, {},
                                         1, test::kSlanted),
                         context);
        }
        EXPECT_NEAR(context.currentOverlay.meshes.at(0).mesh.volume(), disc * std::abs(height),
                    1e-9);
        const std::string detail =
            context.currentHud ? context.currentHud->detail.value_or("") : "no HUD";
        tool.pointer(
            test::pointerAt(PointerPhase::up, from + Vec3{0, 0, height}, {}, 1, test::kSlanted),
            context);
        return detail;
    };
    EXPECT_EQ(drag(-4), "Cut Block");
    ASSERT_EQ(context.doc.bodies.size(), 1U);
    EXPECT_EQ(context.doc.bodies[0].id, block);
    EXPECT_EQ(context.doc.bodies[0].name, "Block");
    EXPECT_NEAR(context.doc.bodies[0].mesh.volume(), 4000 - 4 * disc, 1e-6);
    EXPECT_TRUE(isClosed(context.doc.bodies[0].mesh));
    EXPECT_EQ(drag(5, 0, {16, 14}), "Join Block");
    EXPECT_NEAR(context.doc.bodies[0].mesh.volume(), 4000 + disc, 1e-6);
    EXPECT_TRUE(isClosed(context.doc.bodies[0].mesh));
    // Join → cut → new body by key.
    EXPECT_EQ(drag(5, 2, {16, 14}), "New body");
    ASSERT_EQ(context.doc.bodies.size(), 2U);
    EXPECT_EQ(context.steps, (std::vector<std::string>{"Extrude", "Extrude", "Extrude"}));
    // A cut that would leave nothing is refused and records nothing.
    context.doc.bodies.clear();
    context.addBox({0, 0, 0}, {20, 20, 10}, "Block");
    context.doc.sketches.clear();
    context.addSketch(test::rectangleLines({-5, -5}, {25, 25}), {}, top);
    clickAt(tool, context, {15, 12, 10});
    tool.hudCommit(-30, context);
    ASSERT_EQ(context.errors.size(), 1U);
    EXPECT_EQ(context.errors.back(), "Cutting would leave nothing of Block; nothing was changed.");
    EXPECT_EQ(context.steps.size(), 3U);
    EXPECT_TRUE(tool.isBusy());
}

// Shift gathers regions of one sketch: neighbours extrude as one solid without their shared wall.
TEST(ExtrudeTool, ShiftGathersRegionsThatExtrudeAsOne) {
    SketchContext context({});
    context.doc.sketches.clear();
    std::vector<SketchEntity> entities = square(0, 0, 10);
    entities.push_back(line({5, -2}, {5, 12}));
    context.addSketch(entities);
    ExtrudeTool tool;
    clickAt(tool, context, {2, 5, 0});
    clickAt(tool, context, {8, 5, 0}, ModifierSet::shift);
    tool.hudCommit(3, context);
    ASSERT_EQ(context.doc.bodies.size(), 1U);
    EXPECT_NEAR(context.doc.bodies[0].mesh.volume(), 300, 1e-9);
    // A body's own side faces: one per side of the united outline, never the shared wall.
    EXPECT_TRUE(isClosed(context.doc.bodies[0].mesh));
}

TEST(ExtrudeTool, TheReverseConeFlipsATypedDistance) {
    SketchContext context(square(0, 0, 10));
    ExtrudeTool tool;
    clickAt(tool, context, {5, 5, 0});
    // The cone lies behind the arrow's foot: reach it from the side.
    tool.pointer(test::pointerAt(PointerPhase::down, context.reverseCone(), {}, 1, {1, 0, 0}),
                 context);
    EXPECT_EQ(context.currentHud->detail, "Reverse");
    tool.hudCommit(10, context);
    ASSERT_EQ(context.doc.bodies.size(), 1U);
    EXPECT_EQ(context.doc.bodies[0].mesh.bounds()->min.z, -10);

    // The press that picks a region never flips it, even where the ray passes through the
    // reverse cone the region's arrow would have (aslant, past the shaft and into the cone below
    // the plane): a typed distance then goes up.
    bool throughTheCone = false;
    const Vec3 aslant = Vec3{-1, 0, -1}.normalized();
    for (double off = 0.05; off < 1.5; off += 0.1) {
        SketchContext fresh(square(0, 0, 10));
        const Vec3 at{5 + off, 5, 0};
        const Ray down(at - aslant * 100, aslant);
        const OverlayArrow arrow =
            OverlayArrow::extrusion({5, 5, 0}, {0, 0, 1}, 0, false, false, true);
        throughTheCone = throughTheCone || arrow.hit(down, fresh.worldUnitsPerPixel()) ==
                                               std::optional(ArrowGizmo::Part::reverse);
        ExtrudeTool picking;
        clickAt(picking, fresh, at, {}, 1, aslant);
        picking.hudCommit(10, fresh);
        ASSERT_EQ(fresh.doc.bodies.size(), 1U) << off;
        EXPECT_EQ(fresh.doc.bodies[0].mesh.bounds()->min.z, 0) << off;
    }
    EXPECT_TRUE(throughTheCone) << "no press went through where the cone would be";
}

TEST(ProfileCache, ReusesRegionsOnlyForAnEqualSketch) {
    Sketch sketch = test::sketchOf(square(0, 0, 10));
    ProfileCache cache;
    const std::vector<Profile>* first = &cache.profiles(sketch);
    EXPECT_EQ(&cache.profiles(sketch), first);
    EXPECT_EQ(first->front().sketchID, sketch.id);
    sketch.entities.push_back(test::circle({20, 0}, 2));
    EXPECT_EQ(cache.profiles(sketch).size(), 2U);
}

}  // namespace
}  // namespace brontile
