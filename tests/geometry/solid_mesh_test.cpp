// Solid meshes: construction checks, lookups, triangles and volume, edges, and transforms that
// keep face identities.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/solid_mesh.hpp"
#include "support/geometry_checks.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

using test::boxMesh;
using test::expectNear;
using test::hasVolume;
using test::lShapeMesh;
using test::triangulatedBoxMesh;

constexpr double kPi = std::numbers::pi;

TEST(MeshConstruction, RefusesPolygonsNamingMissingVerticesMayBeEmptyAndFindsFacesById) {
    std::vector<Vec3> vertices{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    for (const PolygonLoop& loop : {PolygonLoop{0, 1, 3}, PolygonLoop{0, -1, 2}}) {
        EXPECT_THROW(test::oneFaceMesh(vertices, {loop}), InvalidMeshError);
    }

    EXPECT_TRUE(SolidMesh({{1, 2, 3}}, {}).isEmpty()) << "vertices without faces";
    EXPECT_FALSE(SolidMesh::empty().bounds());
    EXPECT_EQ(SolidMesh::empty().centroid(), Vec3::zero);
    EXPECT_EQ(SolidMesh::empty().volume(), 0);

    const SolidMesh box = boxMesh({0, 0, 0}, {1, 1, 1});
    const FaceID third = box.faces()[2].id;
    EXPECT_EQ(box.faceIndex(third), 2u);
    EXPECT_EQ(box.face(third), box.faces()[2]);
    EXPECT_FALSE(box.faceIndex(FaceID::generate()));
    EXPECT_FALSE(box.face(FaceID::generate()));
}

TEST(MeshMeasures, CentroidsAreOfTheShapeNotTheVertexMean) {
    const SolidMesh l = lShapeMesh(4);
    EXPECT_EQ(l.centroid(), (Vec3{15, 10, 2}));
    Vec3 mean;
    for (const Vec3& v : l.vertices()) mean += v;
    mean = mean / static_cast<double>(l.vertices().size());
    EXPECT_NE(mean, l.centroid());
    // A face's centroid counts shared vertices once.
    const SolidMesh box = triangulatedBoxMesh({0, 0, 0}, {2, 2, 2});
    const SolidFace& bottom = box.faces()[0];
    EXPECT_EQ(box.vertexIndices(bottom), (std::vector<VertexIndex>{0, 1, 2, 3}));
    EXPECT_EQ(box.centroid(bottom), (Vec3{1, 1, 0}));
    EXPECT_EQ(box.centroid(SolidFace{}), Vec3::zero);
}

// The fixtures every other test builds on, and the closedness check itself.
TEST(MeshMeasures, FixturesAreClosedWithPositiveVolumes) {
    for (const auto& [mesh, volume] : {std::pair{boxMesh({0, 0, 0}, {2, 3, 4}), 24.0},
                                       {triangulatedBoxMesh({-1, -1, -1}, {1, 1, 1}), 8.0},
                                       {lShapeMesh(5), 400.0 * 5},
                                       {test::largeMesh(100), 9.0}}) {
        EXPECT_TRUE(hasVolume(mesh, volume));
        EXPECT_TRUE(test::isClosed(mesh)) << mesh.faces().size();
    }
    EXPECT_TRUE(test::isClosed(test::sphereMesh({0, 0, 0}, 2, 8, 5)));
    EXPECT_TRUE(test::isClosed(test::cylinderMesh({0, 0, 0}, 1, 2, 7)));
    EXPECT_FALSE(test::isClosed(
        test::editedBoxMesh({0, 0, 0}, {1, 1, 1}, [](auto& faces) { faces.resize(2); })));
}

// A face's triangles follow its loops, clipped loops in place: exported files and picking's tie
// order depend on it.
TEST(MeshTriangles, TrianglesStayAsStoredLongerLoopsFollowTheNormalAndKeepTheirOrder) {
    const std::vector<Vec3> vertices{{0, 0, 0}, {1, 0, 0}, {1, 1, 0},
                                     {0, 1, 0}, {2, 0, 0}, {2, 1, 0}};
    // Stored clockwise about +z on purpose: a triangle is returned as it is.
    const SolidFace triangle{FaceID::generate(), {{0, 3, 2}}, Vec3::unitZ};
    // A quad, given clockwise about its normal, is re-oriented counter-clockwise about it.
    const SolidFace quad{FaceID::generate(), {{0, 1, 2, 3}}, -Vec3::unitZ};
    const SolidFace loops{FaceID::generate(), {{0, 1, 2}, {1, 4, 5, 2}, {0, 2, 3}}, Vec3::unitZ};
    const SolidMesh mesh(vertices, {triangle, quad, loops});

    EXPECT_EQ(mesh.triangles(triangle), (std::vector<SolidMesh::Triangle>{{0, 3, 2}}));
    const auto quadTriangles = mesh.triangles(quad);
    ASSERT_EQ(quadTriangles.size(), 2u);
    for (const auto& t : quadTriangles) {
        const Vec3 n = (vertices[t[1]] - vertices[t[0]]).cross(vertices[t[2]] - vertices[t[0]]);
        EXPECT_LT(n.z, 0) << "triangles wind about the face's own normal";
    }
    const auto triangles = mesh.triangles(loops);
    ASSERT_EQ(triangles.size(), 4u);
    EXPECT_EQ(triangles.front(), (SolidMesh::Triangle{0, 1, 2}));
    EXPECT_EQ(triangles.back(), (SolidMesh::Triangle{0, 2, 3}));
    for (std::size_t quadPart = 1; quadPart <= 2; ++quadPart) {
        for (const VertexIndex i : triangles[quadPart]) {
            EXPECT_TRUE(i == 1 || i == 2 || i == 4 || i == 5) << "quad triangles come second";
        }
    }
    EXPECT_EQ(mesh.triangleCount(), 7u);
    const auto all = mesh.allTriangles();
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all[0], (SolidMesh::FaceTriangle{0, 0, 3, 2}));
    EXPECT_EQ(all[1].face, 1u);
    EXPECT_EQ(all[3].face, 2u);
}

TEST(MeshNormals, ForeignFacesGiveNothingAndDegenerateOnesNoNewellNormal) {
    const SolidMesh box = boxMesh({0, 0, 0}, {1, 1, 1});
    const SolidFace foreign{FaceID::generate(), {{0, 1, 99}, {0, 1, 2, 50}}, Vec3::unitZ};
    EXPECT_TRUE(box.triangles(foreign).empty());
    EXPECT_FALSE(box.newellNormal(foreign));
    EXPECT_EQ(box.centroid(foreign),
              (box.vertices()[0] + box.vertices()[1] + box.vertices()[2]) / 3);
    // The Newell normal of a degenerate face is absent.
    const SolidMesh mesh({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 1}, {0, 1, 1}},
                         {{FaceID::generate(), {{0, 1, 2}}, Vec3::unitZ},
                          {FaceID::generate(), {{0, 1, 3, 4}}, Vec3::unitX}});
    EXPECT_FALSE(mesh.newellNormal(mesh.faces()[0]));
    const auto n = mesh.newellNormal(mesh.faces()[1]);
    ASSERT_TRUE(n);
    EXPECT_NEAR(n->length(), 1, 1e-12);
    EXPECT_NEAR(n->dot(Vec3{0, -1, 1}.normalized()), 1, 1e-12);

    // Transforms recompute normals but keep the old one where none can be computed.
    const SolidMesh turned = mesh.rotated(Vec3::unitZ, Vec3::zero, kPi / 2);
    EXPECT_EQ(turned.faces()[0].normal, Vec3::unitZ);
}

TEST(MeshEdges, BoundaryDropsSeamsRepeatedIndicesAndShortPolygonsAndSharingFacesAreFound) {
    const SolidMesh box = triangulatedBoxMesh({0, 0, 0}, {1, 1, 1});
    const auto edges = box.boundaryEdges(box.faces()[0]);  // triangles {0,3,2} and {0,2,1}
    ASSERT_EQ(edges.size(), 4u);
    for (const auto& e : edges) {
        EXPECT_NE(SolidMesh::EdgeKey(e.a, e.b), SolidMesh::EdgeKey(0, 2))
            << "the diagonal is interior";
    }
    EXPECT_EQ(edges.front(), (SolidMesh::Edge{0, 3}));  // first appearance, first direction
    EXPECT_EQ(box.uniqueEdges().size(), 12u);
    EXPECT_EQ(boxMesh({0, 0, 0}, {1, 1, 1}).uniqueEdges().size(), 12u);
    // Repeated indices and short polygons are skipped.
    const SolidMesh mesh =
        test::oneFaceMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1, 2}, {1}});
    EXPECT_EQ(mesh.boundaryEdges(mesh.faces()[0]),
              (std::vector<SolidMesh::Edge>{{0, 1}, {1, 2}, {2, 0}}));
    // Edge 0–1 bounds the bottom (face 0) and the front (face 2), in either direction.
    EXPECT_EQ(box.faceIndicesSharing({1, 0}), (std::vector<std::size_t>{0, 2}));
    EXPECT_TRUE(box.faceIndicesSharing({0, 6}).empty());
}

TEST(MeshTransforms, KeepFaceIdentitiesOrderAndVolumeAndTurnNormals) {
    const SolidMesh box = boxMesh({0, 0, 0}, {2, 3, 4});
    const SolidMesh moved = box.translated({10, 0, 0});
    const SolidMesh turned = box.rotated({1, 1, 0}, {5, 5, 5}, 0.7);
    const SolidMesh grown = box.scaled(Vec3::zero, 2);
    const SolidMesh flipped = box.mirrored({1, 0, 0}, {3, 0, 0});
    // Stretched to three times its height above z = 1: from z = −2 to 10.
    const SolidMesh taller = box.stretched({0, 0, 1}, {0, 0, 2}, 3);

    // Mirroring keeps the volume's sign.
    for (const auto& [m, volume] : {std::pair{&moved, 24.0},
                                    {&turned, 24.0},
                                    {&grown, 192.0},
                                    {&flipped, 24.0},
                                    {&taller, 72.0}}) {
        EXPECT_TRUE(test::keepsFaceIds(*m, box));
        ASSERT_EQ(m->vertices().size(), box.vertices().size());
        EXPECT_TRUE(hasVolume(*m, volume));
    }
    EXPECT_EQ(moved.vertices()[6], (Vec3{12, 3, 4}));
    EXPECT_EQ(flipped.vertices()[1], (Vec3{0, 0, 0}));
    EXPECT_EQ(taller.bounds()->min.z, -2);
    EXPECT_EQ(taller.bounds()->max.z, 10);
    // Normals follow the new orientation: the +x face turns to +y, and swaps with −x in a mirror.
    expectNear(box.rotated(Vec3::unitZ, Vec3::zero, kPi / 2).faces()[4].normal, Vec3::unitY);
    const SolidMesh mirrored = box.mirrored(Vec3::zero, Vec3::unitX);
    expectNear(mirrored.faces()[4].normal, -Vec3::unitX);
    expectNear(mirrored.faces()[5].normal, Vec3::unitX);
}

TEST(MeshStorage, CopiesShareAndChangesDoNotLeak) {
    const SolidMesh box = boxMesh({0, 0, 0}, {1, 1, 1});
    SolidMesh copy = box;
    EXPECT_TRUE(copy.sharesStorageWith(box));
    copy.recomputeNormals();
    EXPECT_FALSE(copy.sharesStorageWith(box));
    EXPECT_EQ(copy, box);  // the normals were already right: equal content, other storage
    EXPECT_NE(box, box.translated({0, 0, 1e-9}));
    EXPECT_EQ(box.translated({1, 0, 0}).faces().data(), box.faces().data())
        << "a translation reuses the faces as they are";
}

}  // namespace
}  // namespace brontile
