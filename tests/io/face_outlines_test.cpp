// Mesh faces turned into the regions a boundary representation is built from: outer loops with
// their holes, pieces kept apart, and the fall-back to single polygons when the outline cannot
// be trusted.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "io/face_outlines.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

// A loop started at its smallest index, so loops compare whatever vertex they start at.
PolygonLoop normalized(PolygonLoop loop) {
    std::ranges::rotate(loop, std::ranges::min_element(loop));
    return loop;
}

std::vector<FaceRegion> normalized(std::vector<FaceRegion> regions) {
    for (FaceRegion& region : regions) {
        region.outer = normalized(region.outer);
        for (PolygonLoop& hole : region.holes) hole = normalized(hole);
        std::ranges::sort(region.holes);
    }
    std::ranges::sort(regions, {}, &FaceRegion::outer);
    return regions;
}

// The regions of a one-face mesh in the z = 0 plane, facing +z.
std::vector<FaceRegion> regionsOf(std::vector<Vec2> points, std::vector<PolygonLoop> polygons) {
    std::vector<Vec3> vertices;
    for (const Vec2& p : points) vertices.push_back({p.x, p.y, 0});
    const SolidMesh mesh = test::oneFaceMesh(std::move(vertices), std::move(polygons));
    return normalized(FaceOutlines::regions(mesh, mesh.faces()[0]));
}

// Square corners: 4k .. 4k + 3 run counter-clockwise around (lo, lo)..(hi, hi).
void addSquare(std::vector<Vec2>& points, double lo, double hi) {
    points.insert(points.end(), {{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}});
}

TEST(FaceOutlines, TiledFaceWithAHoleIsOneRegionWithItsHole) {
    const SolidMesh plate = test::plateWithHoleMesh(2);
    const SolidFace& top = plate.faces()[8];
    ASSERT_EQ(top.polygons.size(), 4u);
    EXPECT_EQ(normalized(FaceOutlines::regions(plate, top)),
              (std::vector<FaceRegion>{{{4, 5, 6, 7}, {{12, 15, 14, 13}}}}));
    // A side face is one quad and stays exactly that.
    EXPECT_EQ(FaceOutlines::regions(plate, plate.faces()[0]),
              (std::vector<FaceRegion>{{plate.faces()[0].polygons[0], {}}}));
}

TEST(FaceOutlines, PiecesThatDoNotShareAnAreaStayApart) {
    std::vector<Vec2> points;
    addSquare(points, 0, 1);
    addSquare(points, 5, 6);  // far away
    addSquare(points, 1, 2);  // touching the first at its corner (1, 1)
    EXPECT_EQ(regionsOf(points, {{0, 1, 2, 3}, {4, 5, 6, 7}}),
              (std::vector<FaceRegion>{{{0, 1, 2, 3}, {}}, {{4, 5, 6, 7}, {}}}));
    // Squares meeting at one corner are two regions, not one loop through the shared corner.
    // Corner (1, 1) is vertex 2 in the first square; the second square uses it for its (1, 1).
    EXPECT_EQ(regionsOf(points, {{0, 1, 2, 3}, {2, 9, 10, 11}}),
              (std::vector<FaceRegion>{{{0, 1, 2, 3}, {}}, {{2, 9, 10, 11}, {}}}));
}

TEST(FaceOutlines, EachHoleGoesToTheSmallestOuterLoopAroundIt) {
    // Frames nested twice: 0..10 around 2..8, and inside that hole 3..7 around 4..6. Each frame
    // is tiled by four trapezoids.
    std::vector<Vec2> points;
    for (const double lo : {0.0, 2.0, 3.0, 4.0}) addSquare(points, lo, 10 - lo);
    std::vector<PolygonLoop> polygons;
    for (const VertexIndex outer : {0, 8}) {
        for (VertexIndex i = 0; i < 4; ++i) {
            const VertexIndex j = (i + 1) % 4;
            polygons.push_back({outer + i, outer + j, outer + 4 + j, outer + 4 + i});
        }
    }
    EXPECT_EQ(regionsOf(points, polygons),
              (std::vector<FaceRegion>{{{0, 1, 2, 3}, {{4, 7, 6, 5}}},
                                       {{8, 9, 10, 11}, {{12, 15, 14, 13}}}}));
}

TEST(FaceOutlines, FacesWhoseOutlineCannotBeTrustedFallBackToTheirPolygons) {
    // Three triangles on one edge: the outline runs into a vertex it cannot leave.
    const std::vector<Vec2> fan{{0, 0}, {1, 0}, {0.5, 1}, {0.5, -1}, {0.5, 2}};
    const std::vector<PolygonLoop> triangles{{0, 1, 2}, {1, 0, 3}, {0, 1, 4}};
    const std::vector<FaceRegion> expected{{{0, 1, 2}, {}}, {{0, 1, 4}, {}}, {{0, 3, 1}, {}}};
    EXPECT_EQ(regionsOf(fan, triangles), expected);
    // The same polygon twice has no outline at all, but still covers its area.
    EXPECT_EQ(regionsOf(fan, {{0, 1, 2}, {0, 1, 2}}),
              (std::vector<FaceRegion>{{{0, 1, 2}, {}}, {{0, 1, 2}, {}}}));
    // A face without area gives nothing, however it is split.
    EXPECT_TRUE(regionsOf({{0, 0}, {1, 0}, {2, 0}}, {{0, 1, 2}}).empty());
    EXPECT_TRUE(regionsOf({{0, 0}, {1, 0}, {2, 0}}, {{0, 1, 2}, {2, 1, 0}}).empty());
}

}  // namespace
}  // namespace brontile
