// The sketch a drawing tool draws into, the pointer's point on it, snapping, and writing
// geometry and constraints as one solved step.
#include <gtest/gtest.h>

#include <cmath>

#include "support/geometry_checks.hpp"
#include "tools/fake_context.hpp"
#include "tools/sketch_support.hpp"

namespace brontile {
namespace {

using test::FakeContext;

// A context whose document holds a 10 mm box and a selection of its top face.
FaceRef selectTopFace(FakeContext& context) {
    context.addBox({0, 0, 0}, {10, 10, 10});
    context.currentSelection.faces.insert(context.topFace());
    return context.topFace();
}

TEST(SketchSupport, MakesTheSketchOnDemandOnTheSelectedFaceOrTheGround) {
    FakeContext context;
    selectTopFace(context);
    const auto sketch = SketchSupport::ensureActiveSketch(context);
    ASSERT_TRUE(sketch);
    test::expectNear(sketch->plane.origin, {5, 5, 10});
    test::expectNear(sketch->plane.normal(), {0, 0, 1});
    EXPECT_EQ(context.sketchID, sketch->id);
    EXPECT_TRUE(context.currentSelection.isEmpty());
    EXPECT_EQ(context.steps, std::vector<std::string>{"New Sketch"});
    // The active one is used as long as it exists; a vanished one is replaced.
    EXPECT_EQ(SketchSupport::ensureActiveSketch(context)->id, sketch->id);
    context.doc.sketches.clear();
    const auto replacement = SketchSupport::ensureActiveSketch(context);
    ASSERT_TRUE(replacement);
    EXPECT_NE(replacement->id, sketch->id);
    EXPECT_EQ(replacement->plane, SketchPlane::xy);
}

TEST(SketchSupport, AFaceWithoutANormalGivesNoPlane) {
    FakeContext context;
    const FaceRef ref = selectTopFace(context);
    std::vector<SolidFace> faces = context.doc.bodies.back().mesh.faces();
    // None at all, or too short to give a direction (as a damaged file may hold).
    for (const Vec3& normal : {Vec3{}, Vec3{1e-13, 0, 0}}) {
        for (SolidFace& face : faces) {
            if (face.id == ref.face) face.normal = normal;
        }
        context.doc.bodies.back().mesh =
            SolidMesh(context.doc.bodies.back().mesh.vertices(), faces);
        EXPECT_FALSE(SketchSupport::planeFromSelection(context));
    }
    EXPECT_EQ(SketchSupport::ensureActiveSketch(context)->plane, SketchPlane::xy);
}

TEST(SketchSupport, PointerRaysMeetTheSketchPlaneOrAreIgnored) {
    FakeContext context;
    PointerEvent event;
    event.ray = Ray({3, 4, 50}, {0, 0, -1});
    // Hovering, dragging or releasing without a sketch makes none; only a press does.
    for (const PointerPhase phase : {PointerPhase::move, PointerPhase::drag, PointerPhase::up}) {
        event.phase = phase;
        EXPECT_FALSE(SketchSupport::sketchPoint(event, context));
    }
    EXPECT_TRUE(context.steps.empty());
    event.phase = PointerPhase::down;
    const auto hit = SketchSupport::sketchPoint(event, context);
    ASSERT_TRUE(hit);
    test::expectNear(hit->point, {3, 4});
    event.ray = Ray({3, 4, 50}, {1, 0, 0});
    EXPECT_FALSE(SketchSupport::sketchPoint(event, context));
    // A plane behind the ray's start is not met either.
    event.ray = Ray({3, 4, 50}, {0, 0, 1});
    EXPECT_FALSE(SketchSupport::sketchPoint(event, context));
}

TEST(SketchSupport, SnapsToTheDocumentsGridUnlessOptionIsHeld) {
    FakeContext context;
    const Sketch sketch = *SketchSupport::ensureActiveSketch(context);
    test::expectNear(SketchSupport::snap({1.6, 0.1}, sketch, context, {}).point, {2, 0});
    context.doc.units = LengthUnit::inches;
    test::expectNear(SketchSupport::snap({1.6, 0.1}, sketch, context, {}).point, {1.5875, 0});
    const auto free = SketchSupport::snap({1.6, 0.1}, sketch, context, ModifierSet::option);
    test::expectNear(free.point, {1.6, 0.1});
    EXPECT_FALSE(free.hit);
}

// Horizontal, vertical and a length of 10 between the line's ends cannot all hold.
SketchConstraint onLine(const SketchEntity& line, SketchConstraintKind kind) {
    if (kind == SketchConstraintKind::distance) {
        return {SketchConstraintID::generate(),
                kind,
                {{line.id, SketchParamRole::start}, {line.id, SketchParamRole::end}},
                10.0};
    }
    return {
        SketchConstraintID::generate(), kind, {{line.id, SketchParamRole::entity}}, std::nullopt};
}

TEST(SketchSupport, RefusedConstraintsChangeNothingAndSayWhyGeometryStays) {
    using enum SketchConstraintKind;
    FakeContext context;
    const Uuid sketchID = SketchSupport::ensureActiveSketch(context)->id;
    const auto constraints = [&] { return context.doc.sketches.front().constraints.size(); };
    const SketchEntity line{SketchEntityID::generate(), SketchLine{{0, 0}, {10, 1}}, false};
    ASSERT_TRUE(SketchSupport::commit({line}, {onLine(line, horizontal), onLine(line, distance)},
                                      sketchID, "Sketch Line", context));
    EXPECT_EQ(constraints(), 2U);
    const std::size_t steps = context.steps.size();
    // The same constraint again repeats the one there; the same dimension is the one to drive.
    EXPECT_FALSE(
        SketchSupport::applyConstraint(onLine(line, horizontal), sketchID, "Horizontal", context));
    EXPECT_EQ(context.errors.back(), "Already fixed by Horizontal (Line 1).");
    EXPECT_EQ(
        SketchSupport::applyConstraint(onLine(line, distance), sketchID, "Dimension", context),
        context.doc.sketches.front().constraints[1].id);
    EXPECT_FALSE(
        SketchSupport::applyConstraint(onLine(line, vertical), sketchID, "Vertical", context));
    // With the length kept the line cannot be both; without it, it could only be a point.
    EXPECT_EQ(context.errors.back(), "Conflicts with Horizontal (Line 1).");
    EXPECT_EQ(constraints(), 2U);
    EXPECT_EQ(context.steps.size(), steps);
    // New geometry stays as drawn when its constraints fail; they all go.
    const SketchEntity other{SketchEntityID::generate(), SketchLine{{0, 5}, {10, 6}}, false};
    EXPECT_FALSE(SketchSupport::commit(
        {other}, {onLine(other, horizontal), onLine(other, vertical), onLine(other, distance)},
        sketchID, "Sketch Line", context));
    EXPECT_EQ(context.doc.sketches.front().entities.size(), 2U);
    EXPECT_EQ(constraints(), 2U);
    EXPECT_EQ(context.doc.sketches.front().entities.back().geometry,
              SketchGeometry{SketchLine({0, 5}, {10, 6})});
}

}  // namespace
}  // namespace brontile
