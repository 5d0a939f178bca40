// The document value: naming and colouring new bodies and sketches, lookups, framing bounds, and
// cheap copies that share mesh storage.
#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "document/cad_document.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

using test::boxMesh;

SketchEntity unitLine() { return {SketchEntityID::generate(), SketchLine{{0, 0}, {1, 0}}, false}; }

TEST(NewDocuments, StartEmptyInMillimetresWithTheDefaultCamera) {
    const DateTime now = std::chrono::sys_days{std::chrono::year{2025} / 3 / 1};
    const CADDocument doc = CADDocument::empty("Bracket", now);
    EXPECT_EQ(doc.units, LengthUnit::millimeters);
    EXPECT_EQ(doc.metadata, (DocumentMetadata{"Bracket", now, now}));
    EXPECT_TRUE(doc.bodies.empty());
    EXPECT_TRUE(doc.sketches.empty());
    EXPECT_EQ(doc.camera, CameraState::defaultState);
    EXPECT_TRUE(doc.showGrid);
}

TEST(AddingBodies, NamesAndColoursFollowTheCounterEvenAfterRemovalAndItNeverOverflows) {
    CADDocument doc = CADDocument::empty("Parts");
    std::vector<BodyID> ids;
    for (int i = 0; i < 7; ++i) ids.push_back(doc.addBody(boxMesh({0, 0, 0}, {1, 1, 1})));
    EXPECT_EQ(doc.bodies[0].name, "Body 1");
    EXPECT_EQ(doc.bodies[6].name, "Body 7");
    EXPECT_EQ(doc.bodies[5].colorIndex, 5);
    EXPECT_EQ(doc.bodies[6].colorIndex, 0);
    EXPECT_TRUE(doc.bodies[3].isVisible);

    doc.removeBody(ids[1]);
    ASSERT_EQ(doc.bodies.size(), 6u);
    EXPECT_EQ(doc.bodies[1].name, "Body 3") << "the others keep their order";
    doc.addBody(SolidMesh::empty());
    EXPECT_EQ(doc.bodies.back().name, "Body 8");
    EXPECT_EQ(doc.bodies.back().colorIndex, 1);

    doc.addBody(SolidMesh::empty(), "Lid");
    EXPECT_EQ(doc.bodies.back().name, "Lid");
    EXPECT_EQ(doc.bodyCounter, 9);
    // Counters at their limit do not overflow.
    doc.bodyCounter = doc.sketchCounter = std::numeric_limits<std::int64_t>::max();
    doc.addBody(SolidMesh::empty());
    doc.addSketch(SketchPlane::xy);
    EXPECT_EQ(doc.bodyCounter, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(doc.sketchCounter, std::numeric_limits<std::int64_t>::max());
}

TEST(AddingBodies, LookupsFindTheFirstAndRemovalTakesEveryBodyWithTheId) {
    CADDocument doc = CADDocument::empty("Parts");
    const BodyID id = doc.addBody(SolidMesh::empty());
    doc.addBody(SolidMesh::empty(), std::nullopt, id);  // same id twice
    const BodyID third = doc.addBody(boxMesh({0, 0, 0}, {1, 1, 1}));
    EXPECT_EQ(doc.bodyIndex(id), 0u);
    EXPECT_EQ(doc.body(third)->name, "Body 3");
    EXPECT_FALSE(doc.body(BodyID::generate()));
    doc.removeBody(BodyID::generate());
    EXPECT_EQ(doc.bodies.size(), 3u);
    doc.removeBody(id);
    ASSERT_EQ(doc.bodies.size(), 1u);
    EXPECT_EQ(doc.bodyIndex(third), 0u);
}

TEST(AddingSketches, GivenNamesStillAdvanceTheCounter) {
    CADDocument doc = CADDocument::empty("Sketches");
    const Uuid first = doc.addSketch(SketchPlane::xz);
    doc.addSketch(SketchPlane::xy, "Profile");
    doc.addSketch(SketchPlane::yz);
    EXPECT_EQ(doc.sketches[0].name, "Sketch 1");
    EXPECT_EQ(doc.sketches[1].name, "Profile");
    EXPECT_EQ(doc.sketches[2].name, "Sketch 3");

    const auto sketch = doc.sketch(first);
    ASSERT_TRUE(sketch);
    EXPECT_EQ(sketch->plane, SketchPlane::xz);
    EXPECT_TRUE(sketch->isVisible);
    EXPECT_TRUE(sketch->entities.empty());
    EXPECT_TRUE(sketch->constraints.empty());
    EXPECT_EQ(doc.sketchIndex(doc.sketches[2].id), 2u);
    EXPECT_FALSE(doc.sketch(Uuid::random()));
}

TEST(Bounds, OnlyVisibleBodiesWithVerticesAndVisibleSketchesWithPoints) {
    CADDocument doc = CADDocument::empty("Bounds");
    EXPECT_FALSE(doc.bounds());

    doc.addBody(SolidMesh::empty());
    const BodyID hidden = doc.addBody(boxMesh({100, 100, 100}, {200, 200, 200}));
    doc.bodies[1].isVisible = false;
    doc.addSketch(SketchPlane::xy);  // visible but empty
    const Uuid invisible = doc.addSketch(SketchPlane::xy);
    doc.sketches[1].entities.push_back(unitLine());
    doc.sketches[1].isVisible = false;
    EXPECT_FALSE(doc.bounds());

    doc.addBody(boxMesh({0, 0, 0}, {1, 2, 3}));
    const Uuid lifted = doc.addSketch(SketchPlane::fromNormal({0, 0, 10}, Vec3::unitZ));
    doc.sketches[*doc.sketchIndex(lifted)].entities.push_back(unitLine());
    EXPECT_EQ(doc.bounds(), AABB({0, 0, 0}, {1, 2, 10}));

    doc.bodies[*doc.bodyIndex(hidden)].isVisible = true;
    doc.sketches[*doc.sketchIndex(invisible)].isVisible = true;
    EXPECT_EQ(doc.bounds(), AABB({0, 0, 0}, {200, 200, 200}));
}

TEST(CheapCopies, ACopySharesMeshStorageUntilABodyIsReplaced) {
    CADDocument doc = CADDocument::empty("Large");
    doc.addBody(boxMesh({0, 0, 0}, {2, 2, 2}));
    doc.addBody(boxMesh({0, 0, 0}, {1, 1, 1}));
    CADDocument copy = doc;
    EXPECT_EQ(copy, doc);
    copy.bodies[1].mesh = copy.bodies[1].mesh.translated({5, 0, 0});
    EXPECT_TRUE(copy.bodies[0].mesh.sharesStorageWith(doc.bodies[0].mesh))
        << "changing another body leaves the first mesh shared";
    EXPECT_NE(copy, doc);
    EXPECT_EQ(doc.bodies[1].mesh.vertices()[0], Vec3::zero) << "the original is untouched";
}

}  // namespace
}  // namespace brontile
