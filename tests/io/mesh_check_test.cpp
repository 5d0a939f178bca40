// Closed or open: every edge used once in each direction, counted per undirected edge.
#include <gtest/gtest.h>

#include "io/mesh_check.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

// The 10 mm box with its faces changed by `edit`.
SolidMesh editedBox(const std::function<void(std::vector<SolidFace>&)>& edit) {
    return test::editedBoxMesh({0, 0, 0}, {10, 10, 10}, edit);
}

TEST(MeshCheck, ClosedSolidsPassAndEachKindOfGapIsCounted) {
    const MeshCheckResult box = MeshCheck::check(test::boxMesh({0, 0, 0}, {10, 10, 10}));
    EXPECT_TRUE(box.closed);
    EXPECT_EQ(box.openEdges, 0u);
    EXPECT_NEAR(box.volume, 1000, 1e-9);
    // Triangulated faces and seams inside a face are used both ways too.
    EXPECT_TRUE(MeshCheck::check(test::triangulatedBoxMesh({0, 0, 0}, {1, 2, 3})).closed);
    EXPECT_TRUE(MeshCheck::check(test::cylinderMesh({0, 0, 0}, 5, 8, 24)).closed);

    // A missing face leaves its four edges used once.
    const MeshCheckResult lid = MeshCheck::check(editedBox([](auto& faces) { faces.pop_back(); }));
    EXPECT_FALSE(lid.closed);
    EXPECT_EQ(lid.openEdges, 4u);
    // A face wound the wrong way uses its edges in the same direction as its neighbours.
    const MeshCheckResult flipped = MeshCheck::check(editedBox([](auto& faces) {
        for (PolygonLoop& loop : faces.front().polygons) std::reverse(loop.begin(), loop.end());
    }));
    EXPECT_FALSE(flipped.closed);
    EXPECT_EQ(flipped.openEdges, 4u);
    // A face given twice uses its edges three times.
    EXPECT_FALSE(
        MeshCheck::check(editedBox([](auto& faces) { faces.push_back(faces.front()); })).closed);
    EXPECT_TRUE(MeshCheck::check(SolidMesh()).closed) << "nothing to be open";
}

TEST(MeshCheck, DocumentsListEveryBodyAndNameOnlyTheVisibleOpenOnes) {
    CADDocument document = CADDocument::empty("parts");
    document.addBody(test::boxMesh({0, 0, 0}, {1, 1, 1}), "Closed");
    document.addBody(editedBox([](auto& faces) { faces.pop_back(); }), "Open");
    document.addBody(editedBox([](auto& faces) { faces.pop_back(); }), "Hidden open");
    document.bodies.back().isVisible = false;
    const std::vector<BodyCheck> checks = MeshCheck::bodies(document);
    ASSERT_EQ(checks.size(), 3u);
    EXPECT_TRUE(checks[0].mesh.closed);
    EXPECT_FALSE(checks[2].isVisible);
    EXPECT_FALSE(checks[2].mesh.closed);
    EXPECT_EQ(MeshCheck::openVisibleBodies(document), std::vector<std::string>{"Open"});
}

}  // namespace
}  // namespace brontile
