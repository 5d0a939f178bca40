// The BSP pieces on their own: the plane test and split, the tree steps, and the booleans on
// polygon lists.
#include <gtest/gtest.h>

#include <vector>

#include "kernel/csg.hpp"
#include "kernel/csg_node.hpp"
#include "kernel/mesh_csg_bridge.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

const CSGPlane kGround{{0, 0, 1}, 0};

CSGPolygon triangle(Vec3 a, Vec3 b, Vec3 c, CSGPlane plane = {{0, 0, 1}, 0}) {
    return {{{a}, {b}, {c}}, plane};
}

struct Sorted {
    std::vector<CSGPolygon> coplanarFront, coplanarBack, front, back;
};

Sorted split(const CSGPlane& plane, const CSGPolygon& polygon) {
    Sorted s;
    plane.splitPolygon(polygon, s.coplanarFront, s.coplanarBack, s.front, s.back);
    return s;
}

TEST(CSGPlaneSplit, SortsWholePolygonsBySideAndFacing) {
    const auto flat = triangle({0, 0, 4e-6}, {1, 0, -4e-6}, {0, 1, 0});
    EXPECT_EQ(split(kGround, flat).coplanarFront.size(), 1u);
    EXPECT_EQ(split(kGround, flat.flipped()).coplanarBack.size(), 1u);
    // A plane at right angles to the polygon's own counts as not facing the same way.
    EXPECT_EQ(split(kGround, triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {{1, 0, 0}, 0}))
                  .coplanarBack.size(),
              1u);
    EXPECT_EQ(split(kGround, triangle({0, 0, 1}, {1, 0, 2e-5}, {0, 1, 0})).front.size(), 1u);
    EXPECT_EQ(split(kGround, triangle({0, 0, -1}, {1, 0, 0}, {0, 1, 0})).back.size(), 1u);
    // A polygon without vertices lies in every plane.
    EXPECT_EQ(split(kGround, CSGPolygon{{}, kGround}).coplanarFront.size(), 1u);
}

TEST(CSGPlaneSplit, CutsSpanningPolygonsIntoPiecesThatKeepTheParentPlane) {
    const CSGPlane own{{0, -1, 0}, 0};
    const Sorted s = split(kGround, triangle({0, 0, -1}, {2, 0, 1}, {0, 0, 1}, own));
    ASSERT_EQ(s.front.size(), 1u);
    ASSERT_EQ(s.back.size(), 1u);
    EXPECT_EQ(s.front[0].plane, own);
    EXPECT_EQ(s.back[0].plane, own);
    // The back piece is the triangle below z = 0; the front piece the quad above it.
    EXPECT_EQ(s.back[0].vertices.size(), 3u);
    EXPECT_EQ(s.front[0].vertices.size(), 4u);
    EXPECT_EQ(s.back[0].vertices[1].pos, (Vec3{1, 0, 0}));
    // A vertex on the plane goes to both pieces; a sliver under three vertices is dropped.
    const Sorted touching = split(kGround, triangle({0, 0, 0}, {1, 0, -1}, {1, 0, 1}, own));
    EXPECT_EQ(touching.front[0].vertices.size(), 3u);
    EXPECT_EQ(touching.back[0].vertices.size(), 3u);
}

TEST(CSGNodeSteps, BuildKeepsCoplanarPolygonsAndClipsWhatLiesInside) {
    const auto cube = MeshCSGBridge::polygons(test::boxMesh({0, 0, 0}, {1, 1, 1}));
    CSGNode tree;
    tree.build(cube);
    EXPECT_EQ(tree.allPolygons().size(), cube.size());
    // Pre-order from the first polygon's plane.
    EXPECT_EQ(tree.allPolygons().front(), cube.front());

    const auto inside = triangle({0.2, 0.2, 0.5}, {0.8, 0.2, 0.5}, {0.2, 0.8, 0.5});
    const auto outside = triangle({2, 2, 0.5}, {3, 2, 0.5}, {2, 3, 0.5});
    EXPECT_TRUE(tree.clipPolygons({inside}).empty());
    EXPECT_EQ(tree.clipPolygons({outside}), std::vector{outside});

    tree.invert();
    EXPECT_EQ(tree.clipPolygons({inside}), std::vector{inside});
    EXPECT_TRUE(tree.clipPolygons({outside}).empty());
    EXPECT_EQ(tree.allPolygons().front(), cube.front().flipped());
}

// A polygon without vertices lies in every plane: facing the root's way it counts as outside;
// facing against it, as inside.
TEST(CSGNodeSteps, EmptyPolygonsAndClipToTheOtherSolid) {
    CSGNode tree;
    tree.build({triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), CSGPolygon{{}, kGround}});
    EXPECT_EQ(tree.allPolygons().size(), 2u);
    EXPECT_EQ(tree.clipPolygons({CSGPolygon{{}, kGround}}).size(), 1u);
    EXPECT_TRUE(tree.clipPolygons({CSGPolygon{{}, kGround.flipped()}}).empty());

    CSGNode a, b;
    a.build(MeshCSGBridge::polygons(test::boxMesh({0, 0, 0}, {2, 2, 2})));
    b.build(MeshCSGBridge::polygons(test::boxMesh({1, -1, -1}, {3, 3, 3})));
    a.clipTo(b);
    for (const CSGPolygon& p : a.allPolygons()) {
        for (const CSGVertex& v : p.vertices) EXPECT_LE(v.pos.x, 1 + 1e-12);
    }
}

TEST(CSGBooleans, DisjointUnionKeepsEveryPolygonAndAnEmptyOperandChangesNothing) {
    const auto a = MeshCSGBridge::polygons(test::triangulatedBoxMesh({0, 0, 0}, {1, 1, 1}));
    const auto b = MeshCSGBridge::polygons(test::triangulatedBoxMesh({5, 0, 0}, {6, 1, 1}));
    EXPECT_EQ(CSG::unite(a, b).size(), a.size() + b.size());
    EXPECT_EQ(CSG::subtract(a, b).size(), a.size());
    EXPECT_TRUE(CSG::intersect(a, b).empty());
    EXPECT_EQ(CSG::unite(a, {}).size(), a.size());
}

}  // namespace
}  // namespace brontile
