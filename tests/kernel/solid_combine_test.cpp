// The parts the booleans are built from: telling inside from outside a closed surface, and
// joining the kept pieces of a cut triangle back into whole outlines.
#include <gtest/gtest.h>

#include <vector>

#include "kernel/piece_merge.hpp"
#include "kernel/polygon_soup.hpp"
#include "kernel/triangle_tree.hpp"
#include "support/geometry_checks.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

using csg_detail::SurfaceTriangle;
using csg_detail::TriangleTree;

TriangleTree surfaceOf(const SolidMesh& mesh) {
    std::vector<SurfaceTriangle> triangles;
    for (const SolidFace& face : mesh.faces()) {
        for (const auto& t : mesh.triangles(face)) {
            const Vec3& a = mesh.vertices()[static_cast<std::size_t>(t[0])];
            const Vec3& b = mesh.vertices()[static_cast<std::size_t>(t[1])];
            const Vec3& c = mesh.vertices()[static_cast<std::size_t>(t[2])];
            triangles.push_back({a, b, c, (b - a).cross(c - a).normalized()});
        }
    }
    return TriangleTree(std::move(triangles));
}

// A convex solid holds exactly the points behind every face plane.
bool behindEveryFace(const SolidMesh& mesh, const Vec3& p) {
    for (const SolidFace& face : mesh.faces()) {
        const Vec3& on = mesh.vertices()[static_cast<std::size_t>(face.polygons[0][0])];
        if (!(face.normal.dot(p - on) < 0)) return false;
    }
    return true;
}

// Points on a lattice that lines up with the box's edges and its faces' diagonals, so that rays
// from many of them meet edges and corners head on.
TEST(TriangleTree, TellsInsideFromOutsideWhereRaysMeetEdgesAndCorners) {
    const SolidMesh box = test::triangulatedBoxMesh({0, 0, 0}, {10, 10, 10});
    const SolidMesh sphere = test::sphereMesh({1, 2, 3}, 6, 24, 12);
    for (const SolidMesh* mesh : {&box, &sphere}) {
        const TriangleTree tree = surfaceOf(*mesh);
        for (double x = -2.5; x <= 12.5; x += 2.5) {
            for (double y = -2.5; y <= 12.5; y += 2.5) {
                for (double z = -2.5; z <= 12.5; z += 2.5) {
                    const Vec3 p{x, y, z};
                    // Points on the box's surface may go either way.
                    if (mesh == &box &&
                        (x == 0 || x == 10 || y == 0 || y == 10 || z == 0 || z == 10)) {
                        continue;
                    }
                    EXPECT_EQ(tree.contains(p), behindEveryFace(*mesh, p))
                        << x << " " << y << " " << z;
                }
            }
        }
    }
}

// The pieces of the square 0..2 × 0..2 in the plane z = 0, facing +z: the left half whole, the
// right half cut once more across, so that the left half's right edge has a point in its middle
// that it does not know of, and the two right pieces disagree about that point in the last bits,
// as cuts worked out along different edges do.
std::vector<csg_detail::SoupPolygon> squarePieces(csg_detail::PolygonSoup& soup) {
    const CSGPlane plane{{0, 0, 1}, 0};
    const std::vector<std::vector<Vec3>> pieces{
        {{0, 0, 0}, {1, 0, 0}, {1, 2, 0}, {0, 2, 0}},
        {{1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}},
        {{1, 1 + 1e-13, 0}, {2, 1, 0}, {2, 2, 0}, {1, 2, 0}},
    };
    std::vector<csg_detail::SoupPolygon> result;
    for (const auto& points : pieces) result.push_back(soup.add(points, plane));
    return result;
}

TEST(PieceMerge, JoinsKeptPiecesIntoOutlinesWithoutStraightPoints) {
    csg_detail::PolygonSoup soup;
    const auto pieces = squarePieces(soup);
    const auto whole = csg_detail::mergedOutlines(soup, pieces, {true, true, true}, {0, 0, 1});
    ASSERT_TRUE(whole);
    ASSERT_EQ(whole->size(), 1U);
    EXPECT_EQ(whole->front().size(), 4U);
    // Without the lower right piece: an L whose corner at (1, 1) is a real turn.
    const auto ell = csg_detail::mergedOutlines(soup, pieces, {true, false, true}, {0, 0, 1});
    ASSERT_TRUE(ell);
    ASSERT_EQ(ell->size(), 1U);
    EXPECT_EQ(ell->front().size(), 6U);
    // The lower right piece alone is an outline of its own.
    const auto apart = csg_detail::mergedOutlines(soup, pieces, {false, true, false}, {0, 0, 1});
    ASSERT_TRUE(apart);
    EXPECT_EQ(apart->size(), 1U);
}

TEST(PieceMerge, LeavesPiecesThatWouldNeedAHoleAsTheyAre) {
    csg_detail::PolygonSoup soup;
    const CSGPlane plane{{0, 0, 1}, 0};
    // A 3 × 3 grid of unit squares with the middle one dropped.
    std::vector<csg_detail::SoupPolygon> pieces;
    std::vector<bool> kept;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const double x = i, y = j;
            const std::vector<Vec3> square{
                {x, y, 0}, {x + 1, y, 0}, {x + 1, y + 1, 0}, {x, y + 1, 0}};
            pieces.push_back(soup.add(square, plane));
            kept.push_back(!(i == 1 && j == 1));
        }
    }
    EXPECT_FALSE(csg_detail::mergedOutlines(soup, pieces, kept, {0, 0, 1}));
}

}  // namespace
}  // namespace brontile
