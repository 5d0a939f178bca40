// Meshes to BSP polygons and back: planes carried per face, the weld, grouping by plane, the seam
// repair and the refusal of coordinates the integer keys cannot hold.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "kernel/kernel_error.hpp"
#include "kernel/mesh_boolean.hpp"
#include "kernel/mesh_csg_bridge.hpp"
#include "support/error_checks.hpp"
#include "support/geometry_checks.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

CSGPolygon polygon(std::vector<Vec3> points, const CSGPlane& plane) {
    CSGPolygon p{{}, plane};
    for (const Vec3& v : points) p.vertices.push_back({v});
    return p;
}

TEST(MeshCSGBridge, EveryTriangleCarriesItsFacePlane) {
    const SolidMesh box = test::boxMesh({0, 0, 0}, {2, 3, 4});
    const auto polygons = MeshCSGBridge::polygons(box);
    ASSERT_EQ(polygons.size(), 12u);
    EXPECT_EQ(polygons[2].plane, (CSGPlane{{0, 0, 1}, 4}));
    EXPECT_EQ(polygons[3].plane, polygons[2].plane);
    // A degenerate triangle is dropped.
    const SolidMesh sliver = test::oneFaceMesh({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {{0, 1, 2}});
    EXPECT_TRUE(MeshCSGBridge::polygons(sliver).empty());
}

TEST(MeshCSGBridge, RoundTripGivesOneFreshFacePerPlaneWithTrianglesAsLoops) {
    const SolidMesh box = test::triangulatedBoxMesh({0, 0, 0}, {1, 1, 1});
    const SolidMesh back = MeshCSGBridge::mesh(MeshCSGBridge::polygons(box));
    ASSERT_EQ(back.faces().size(), 6u);
    EXPECT_EQ(back.vertices().size(), 8u);
    for (const SolidFace& face : back.faces()) EXPECT_EQ(face.polygons.size(), 2u);
    EXPECT_TRUE(test::hasFreshFaceIds(back, {box}));
    EXPECT_TRUE(test::isClosed(back));
    EXPECT_TRUE(test::hasVolume(back, 1, 1e-15));
}

TEST(MeshCSGBridge, WeldsOnTheMicrometreGridKeepingTheFirstPosition) {
    const CSGPlane up{{0, 0, 1}, 0};
    const std::vector<CSGPolygon> polygons{
        polygon({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, up),
        polygon({{1 + 3e-7, 0, 0}, {1, 1, 0}, {0, 1 - 2e-7, 0}}, up),
        // Welds down to two distinct vertices: dropped.
        polygon({{0, 0, 0}, {2e-7, 0, 0}, {1, 0, 0}}, up),
    };
    const SolidMesh mesh = MeshCSGBridge::mesh(polygons);
    EXPECT_EQ(mesh.vertices(), (std::vector<Vec3>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}));
    ASSERT_EQ(mesh.faces().size(), 1u);
    EXPECT_EQ(mesh.faces()[0].polygons, (std::vector<PolygonLoop>{{0, 1, 2}, {1, 3, 2}}));
    EXPECT_EQ(mesh.faces()[0].normal, up.normal);
}

TEST(MeshCSGBridge, ThreadsVerticesLyingOnANeighboursEdge) {
    // A unit square next to one cut in half along y = 0.5: the uncut square's edge on x = 1
    // gets the cut's end point, so the pieces on both sides share their edges.
    const CSGPlane up{{0, 0, 1}, 0};
    const std::vector<CSGPolygon> polygons{
        polygon({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, up),
        polygon({{0, 0, 0}, {1, 1, 0}, {0, 1, 0}}, up),
        polygon({{1, 0, 0}, {2, 0, 0}, {2, 0.5, 0}, {1, 0.5, 0}}, up),
        polygon({{1, 0.5, 0}, {2, 0.5, 0}, {2, 1, 0}, {1, 1, 0}}, up),
    };
    const SolidMesh mesh = MeshCSGBridge::mesh(polygons);
    EXPECT_EQ(mesh.faces()[0].polygons[0], (PolygonLoop{0, 1, 6, 2}));
    EXPECT_EQ(mesh.vertices()[6], (Vec3{1, 0.5, 0}));
}

TEST(MeshCSGBridge, RefusesCoordinatesTheKeysCannotHold) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double far : {1e13, -1e13, nan, std::numeric_limits<double>::infinity()}) {
        const SolidMesh box = test::boxMesh({0, 0, 0}, {far, 1, 1});
        EXPECT_TRUE(test::throwsKind<KernelError>([&] { return MeshCSGBridge::polygons(box); },
                                                  KernelError::Kind::outOfRange))
            << far;
        // Checked before the operand's volume, which such coordinates make meaningless.
        EXPECT_TRUE(test::throwsKind<KernelError>(
            [&] {
                return meshBoolean(box, test::boxMesh({0, 0, 0}, {1, 1, 1}), BooleanOp::unite);
            },
            KernelError::Kind::outOfRange))
            << far;
    }
    EXPECT_THROW(static_cast<void>(MeshCSGBridge::mesh(
                     {polygon({{0, 0, 0}, {1e13, 0, 0}, {0, 1, 0}}, {{0, 0, 1}, 0})})),
                 KernelError);
}

}  // namespace
}  // namespace brontile
