// Editing from the selection and the inspector: delete, duplicate, constraints and dimensions,
// and the inspector's body and sketch operations.
#include <gtest/gtest.h>

#include <cmath>

#include "session/session_fixture.hpp"

namespace brontile {
namespace {

using test::SessionFixture;

struct EditingFixture : SessionFixture {
    // Starts a sketch on the ground and draws the geometry into it in one step; the entities'
    // ids in order.
    std::vector<SketchEntityID> draw(const std::vector<SketchGeometry>& geometry) {
        if (!session->activeSketchID()) session->dispatch("sketch.new");
        const Uuid sketch = *session->activeSketchID();
        std::vector<SketchEntityID> ids;
        session->interaction().mutate("Draw", [&](CADDocument& document) {
            Sketch& s = document.sketches[*document.sketchIndex(sketch)];
            for (const SketchGeometry& g : geometry) {
                ids.push_back(SketchEntityID::generate());
                s.entities.push_back({ids.back(), g, false});
            }
        });
        return ids;
    }

    void select(const std::vector<SketchEntityID>& ids) {
        Selection selection;
        for (const auto& id : ids)
            selection.sketchEntities.insert({*session->activeSketchID(), id});
        session->interaction().setSelection(std::move(selection));
    }

    [[nodiscard]] const Sketch& sketch() const { return session->document().sketches.front(); }
};

TEST(Editing, DeleteTakesWholeBodiesOrSketchGeometryWithItsConstraints) {
    EditingFixture f;
    DocumentSession& s = *f.session;
    const BodyID box = f.addBox();
    s.interaction().setSelection(
        Selection{{}, {{box, s.document().bodies.front().mesh.faces().front().id}}, {}, {}, {}});
    s.dispatch("edit.delete");
    EXPECT_TRUE(s.document().bodies.empty());
    EXPECT_EQ(s.history().undoActionName(), "Delete");

    const auto lines = f.draw({SketchLine{{0, 0}, {10, 1}}, SketchLine{{0, 5}, {10, 7}}});
    f.select(lines);
    s.dispatch("constraint.parallel");
    EXPECT_EQ(f.sketch().constraints.size(), 1U);
    EXPECT_EQ(s.statusMessage(), "Parallel constraint added");
    f.select({lines[0]});
    s.dispatch("edit.delete");
    EXPECT_EQ(s.history().undoActionName(), "Delete Sketch Geometry");
    EXPECT_EQ(f.sketch().entities.size(), 1U);
    EXPECT_TRUE(f.sketch().constraints.empty());
    EXPECT_TRUE(s.selection().isEmpty());
}

TEST(Editing, DuplicatesGoBesideTheirSourceAndBecomeTheSelection) {
    EditingFixture f;
    DocumentSession& s = *f.session;
    BodyID wide;
    s.interaction().mutate("Add", [&](CADDocument& d) {
        wide = d.addBody(test::boxMesh({0, 0, 0}, {40, 10, 10}), "Plate");
    });
    s.editing().selectBody(wide, false);
    s.dispatch("edit.duplicate");
    s.dispatch("edit.duplicate");
    ASSERT_EQ(s.document().bodies.size(), 3U);
    EXPECT_EQ(s.document().bodies[1].name, "Plate copy");
    EXPECT_EQ(s.document().bodies[2].name, "Plate copy copy");
    EXPECT_DOUBLE_EQ(s.document().bodies[2].mesh.bounds()->min.x, 92);
    EXPECT_TRUE(s.selection().contains(s.document().bodies[2].id));
    // A copy the document could not store is refused, and the source stays selected.
    BodyID vast;
    s.interaction().mutate("Add", [&](CADDocument& d) {
        vast = d.addBody(test::boxMesh({0, 0, 0}, {9e89, 1, 1}), "Vast");
    });
    s.editing().selectBody(vast, false);
    s.dispatch("edit.duplicate");
    EXPECT_TRUE(s.errorMessage());
    EXPECT_EQ(s.document().bodies.size(), 4U);
    EXPECT_TRUE(s.selection().contains(vast));
}

TEST(Editing, ConstraintCommandsSayWhatTheyNeed) {
    EditingFixture f;
    DocumentSession& s = *f.session;
    const auto ids =
        f.draw({SketchLine{{0, 0}, {10, 1}}, SketchCircle{{20, 0}, 3}, SketchCircle{{30, 0}, 5}});
    f.select({ids[0]});
    const auto version = s.historyVersion();
    s.dispatch("constraint.parallel");
    EXPECT_EQ(s.statusMessage(), "Select sketch geometry that matches parallel");
    EXPECT_EQ(s.historyVersion(), version);
    f.select({ids[0], ids[1]});
    s.dispatch("constraint.equal");
    EXPECT_EQ(s.statusMessage(), "Select two lines or two circles for Equal");
    f.select({ids[1], ids[2]});
    s.dispatch("constraint.equal");
    ASSERT_EQ(f.sketch().constraints.size(), 1U);
    EXPECT_EQ(f.sketch().constraints[0].kind, SketchConstraintKind::equalRadius);
}

// A point picked on a curve takes constraints as the curve does, a curve and its own point
// counting once; Delete leaves a curve that only its point picked.
TEST(Editing, APointStandsForItsCurveInConstraintsButDeletesNothing) {
    EditingFixture f;
    DocumentSession& s = *f.session;
    const auto ids = f.draw({SketchLine{{0, 0}, {10, 1}}, SketchLine{{0, 5}, {10, 7}}});
    const Uuid sketch = *s.activeSketchID();
    const SketchPointRef end{sketch, ids[0], SketchParamRole::end};
    const SketchPointRef start{sketch, ids[1], SketchParamRole::start};
    s.interaction().setSelection(Selection{{}, {}, {}, {end}, {}});
    s.dispatch("constraint.horizontal");
    ASSERT_EQ(f.sketch().constraints.size(), 1U);
    EXPECT_TRUE(f.sketch().constraints[0].involves(ids[0]));
    s.interaction().setSelection(Selection{{}, {}, {{sketch, ids[0]}}, {end, start}, {}});
    s.dispatch("constraint.parallel");
    EXPECT_EQ(s.statusMessage(), "Parallel constraint added");
    const auto version = s.historyVersion();
    s.interaction().setSelection(Selection{{}, {}, {}, {start}, {}});
    s.dispatch("edit.delete");
    EXPECT_EQ(s.historyVersion(), version);
}

TEST(Editing, MeasureOnACircleDrivesItsRadiusAndTypedValuesMustBeLengths) {
    EditingFixture f;
    DocumentSession& s = *f.session;
    const auto ids = f.draw({SketchCircle{{0, 0}, 4}});
    f.select(ids);
    s.dispatch("tool.measure");
    EXPECT_EQ(s.activeToolID(), ToolID::line);
    ASSERT_TRUE(s.hud());
    EXPECT_EQ(s.hud()->label, "Radius");
    EXPECT_EQ(s.hud()->valueMM, 4.0);
    EXPECT_EQ(s.hud()->quantity, HUDQuantity::length);
    EXPECT_EQ(s.statusMessage(), "Driving radius \u2014 Tab to edit");
    // Measuring again drives the radius already there rather than one never stored.
    f.select(ids);
    s.dispatch("tool.measure");
    ASSERT_EQ(f.sketch().constraints.size(), 1U);
    EXPECT_TRUE(s.selection().constraints.contains({f.sketch().id, f.sketch().constraints[0].id}));
    s.dispatch("hud.edit");
    s.editing().commitHUD(6);
    EXPECT_NEAR(std::get<SketchCircle>(f.sketch().entities[0].geometry).radius, 6, 1e-6);
    EXPECT_EQ(s.history().undoActionName(), "Edit Dimension");
    // Zero, negative and non-finite lengths are refused with a reason and record nothing.
    const auto version = s.historyVersion();
    for (const double bad : {0.0, -2.0, std::nan("")}) {
        s.status().dismissError();
        s.editing().commitHUD(bad);
        ASSERT_TRUE(s.errorMessage()) << bad;
        EXPECT_EQ(s.errorMessage()->find("nan"), std::string::npos) << *s.errorMessage();
    }
    EXPECT_EQ(s.historyVersion(), version);
    EXPECT_NEAR(std::get<SketchCircle>(f.sketch().entities[0].geometry).radius, 6, 1e-6);
    // Typed text is read in the document's unit; text that is no length says so and the field
    // stays open for another try.
    s.editing().setUnits(LengthUnit::inches);
    s.dispatch("hud.edit");
    EXPECT_FALSE(s.editing().submitHUDText("two"));
    EXPECT_TRUE(s.hudEditing());
    EXPECT_EQ(s.errorMessage(), "\u201Ctwo\u201D is not a length.");
    EXPECT_TRUE(s.editing().submitHUDText("1"));
    EXPECT_FALSE(s.hudEditing());
    EXPECT_NEAR(std::get<SketchCircle>(f.sketch().entities[0].geometry).radius, 25.4, 1e-6);

    // The value shows in the view in the document's unit; a double click on it, with nothing
    // selected and any tool, opens it for typing.
    s.dispatch("edit.deselect");
    ViewportState& view = s.viewport();
    static_cast<void>(view.rebuildIfNeeded());
    ASSERT_EQ(view.scene.rest.labels.size(), 1U);
    const SceneLabel& label = view.scene.rest.labels[0];
    EXPECT_EQ(label.text, "R 1 in");
    const auto box = labelBox(label, view.camera, view.viewSize);
    ASSERT_TRUE(box);
    const Vec2 middle = box->topLeft + box->size * 0.5;
    s.input().pointer(PointerPhase::down, middle, {}, 2);
    EXPECT_TRUE(s.hudEditing());
    EXPECT_EQ(s.selection().constraints.size(), 1U);
    EXPECT_TRUE(s.editing().submitHUDText("0.5"));
    EXPECT_NEAR(std::get<SketchCircle>(f.sketch().entities[0].geometry).radius, 12.7, 1e-6);
}

TEST(Editing, ADimensionTheGeometryCannotTakeIsNotKept) {
    EditingFixture f;
    DocumentSession& s = *f.session;
    // A line fixed horizontal and vertical has no length to give: a distance on it fails.
    const auto ids = f.draw({SketchLine{{0, 0}, {10, 0}}});
    f.select(ids);
    s.dispatch("constraint.horizontal");
    s.dispatch("constraint.dimension");
    ASSERT_EQ(f.sketch().constraints.size(), 2U);
    s.dispatch("constraint.vertical");
    EXPECT_EQ(f.sketch().constraints.size(), 2U);
    // Two constraints, one without a value, or one that is gone: a typed value goes nowhere,
    // without a word.
    const auto version = s.historyVersion();
    const Uuid sketchID = f.sketch().id;
    Selection both = s.selection();
    for (const auto& c : f.sketch().constraints) both.constraints.insert({sketchID, c.id});
    const SketchConstraintID horizontal = f.sketch().constraints[0].id;
    for (const auto& constraints : std::vector<std::unordered_set<SketchConstraintSel>>{
             both.constraints, {{sketchID, horizontal}}, {{sketchID, SketchConstraintID{}}}}) {
        Selection chosen;
        chosen.constraints = constraints;
        s.interaction().setSelection(chosen);
        s.status().dismissError();
        s.editing().commitHUD(-3);
        EXPECT_FALSE(s.errorMessage());
    }
    EXPECT_EQ(s.historyVersion(), version);
}

TEST(Editing, InspectorOperations) {
    EditingFixture f;
    DocumentSession& s = *f.session;
    const BodyID a = f.addBox();
    const BodyID b = f.addBox();
    const auto version = s.historyVersion();
    s.editing().renameBody(a, s.document().body(a)->name);
    EXPECT_EQ(s.historyVersion(), version);
    s.editing().renameBody(a, " Bracket ");
    EXPECT_EQ(s.document().body(a)->name, " Bracket ");
    // With extend the constraints stay and the body toggles; without, only the body is left.
    const SketchConstraintSel constraint{Uuid::random(), SketchConstraintID::generate()};
    s.interaction().setSelection(Selection{{a}, {}, {}, {}, {constraint}});
    s.editing().selectBody(b, true);
    EXPECT_EQ(s.selection().bodies.size(), 2U);
    EXPECT_EQ(s.selection().constraints.size(), 1U);
    s.editing().selectBody(a, true);
    EXPECT_FALSE(s.selection().contains(a));
    s.editing().selectBody(a, false);
    EXPECT_EQ(s.selection(), (Selection{{a}, {}, {}, {}, {}}));
    // Activating a sketch moves to drawing; clearing it leaves drawing.
    f.draw({SketchLine{{0, 0}, {1, 1}}});
    const Uuid sketch = *s.activeSketchID();
    s.dispatch("tool.extrude");
    s.editing().setActiveSketch(sketch);
    EXPECT_EQ(s.activeToolID(), ToolID::line);
    s.dispatch("tool.circle");
    s.editing().setActiveSketch(std::nullopt);
    EXPECT_EQ(s.activeToolID(), ToolID::select);
    s.editing().setUnits(LengthUnit::inches);
    EXPECT_EQ(s.history().undoActionName(), "Change Units");
    const auto unitsVersion = s.historyVersion();
    s.editing().setUnits(LengthUnit::inches);
    EXPECT_EQ(s.historyVersion(), unitsVersion);
    s.editing().setActiveSketch(sketch);
    s.editing().deleteSketch(sketch);
    EXPECT_FALSE(s.activeSketchID());
}

}  // namespace
}  // namespace brontile
