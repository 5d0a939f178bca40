// Picking faces, sketch entities and constraint glyphs, the picking index against the plain scan,
// and the selection that picks feed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "interaction/scene_hit_tester.hpp"
#include "interaction/selection_json.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

constexpr double kTol = 0.1;
const Vec3 kDown{0, 0, -1};
using test::line;

CADDocument emptyDocument() { return CADDocument::empty("Picking", DateTime{}); }

// The mesh followed by a copy of each of its faces under a new id: exactly coincident faces.
SolidMesh withDuplicatedFaces(const SolidMesh& mesh) {
    std::vector<SolidFace> faces = mesh.faces();
    for (const SolidFace& f : mesh.faces())
        faces.push_back({FaceID::generate(), f.polygons, f.normal});
    return SolidMesh(mesh.vertices(), faces);
}

// A visible sketch at height z holding one line, returned with its id.
Uuid addLineSketch(CADDocument& doc, double z, const SketchEntity& entity) {
    const Uuid id = doc.addSketch(SketchPlane({0, 0, z}, Vec3::unitX, Vec3::unitY));
    doc.sketches.back().entities.push_back(entity);
    return id;
}

std::optional<HitResult> pick(const CADDocument& doc, const Ray& ray,
                              std::optional<Uuid> active = std::nullopt) {
    return SceneHitTester::hit(ray, doc, kTol, active);
}

HitTarget targetOf(const std::optional<HitResult>& hit) {
    return hit ? hit->target : HitTarget{FaceRef{}};
}

TEST(SceneHitTester, EmptyDocumentAndBadInputHitNothing) {
    CADDocument doc = emptyDocument();
    EXPECT_FALSE(pick(doc, Ray({0, 0, 5}, kDown)));
    doc.addBody(test::boxMesh({-1, -1, -1}, {1, 1, 1}));
    addLineSketch(doc, 2, line({-1, 0}, {1, 0}));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(pick(doc, Ray({nan, 0, 5}, kDown)));
    EXPECT_FALSE(pick(doc, Ray({0, 0, 5}, {0, nan, -1})));
    SceneHitIndex index;
    EXPECT_FALSE(SceneHitTester::hit(Ray({nan, 0, 5}, kDown), doc, kTol, std::nullopt, index));
    EXPECT_FALSE(SceneHitTester::hit(Ray({0, 0.5, 5}, {1, 0, 0}), doc, nan, std::nullopt));
}

TEST(SceneHitTester, TriangleEdgesAndCornersCountWithinTheSlack) {
    CADDocument doc = emptyDocument();
    doc.addBody(test::oneFaceMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}));
    const struct {
        Vec2 at;
        bool hits;
    } cases[]{
        {{0.25, 0.25}, true},       {{0, 0.5}, true},       // inside; on the edge u = 0
        {{0.5, 0.5}, true},         {{1, 0}, true},         // on u + v = 1; a corner
        {{0.5, -1e-10}, true},      {{0.5, -1e-6}, false},  // within the slack; outside it
        {{0.5 + 1e-6, 0.5}, false},
    };
    for (const auto& c : cases) {
        const auto hit = pick(doc, Ray({c.at.x, c.at.y, 2}, kDown));
        EXPECT_EQ(hit.has_value(), c.hits) << c.at.x << ", " << c.at.y;
        if (hit) {
            EXPECT_EQ(hit->distance, 2);
        }
    }
}

// A ray starting on a face skips it; exactly coincident faces go to the earlier body and face.
TEST(SceneHitTester, FacesSkipTheRayStartAndTieToTheEarlierOne) {
    const SolidMesh box = test::boxMesh({0, 0, 0}, {1, 1, 1});
    const auto faceFacing = [&](const Vec3& normal) {
        return std::ranges::find(box.faces(), normal, &SolidFace::normal)->id;
    };
    CADDocument doc = emptyDocument();
    const BodyID first = doc.addBody(withDuplicatedFaces(box));
    const BodyID second = doc.addBody(box.translated(Vec3::zero));
    EXPECT_EQ(pick(doc, Ray({0.5, 0.5, 1}, kDown)),
              (HitResult{FaceRef{first, faceFacing(-Vec3::unitZ)}, {0.5, 0.5, 0}, 1}));
    const Ray ray({0.5, 0.5, 3}, kDown);
    EXPECT_EQ(targetOf(pick(doc, ray)), HitTarget(FaceRef{first, faceFacing(Vec3::unitZ)}));
    doc.bodies[0].isVisible = false;
    EXPECT_EQ(targetOf(pick(doc, ray)), HitTarget(FaceRef{second, faceFacing(Vec3::unitZ)}));
}

TEST(SceneHitTester, SketchEntitiesByDistanceInTheirPlane) {
    CADDocument doc = emptyDocument();
    const SketchEntity point = line({2, 3}, {2, 3});
    const Uuid sketch = addLineSketch(doc, 0, point);
    const HitTarget picked = SketchEntityRef{sketch, point.id};
    EXPECT_EQ(targetOf(pick(doc, Ray({2.05, 3, 5}, kDown))), picked);
    EXPECT_EQ(pick(doc, Ray({2.05, 3, 5}, kDown))->distance, 5 - 2 * kTol);
    EXPECT_FALSE(pick(doc, Ray({2.2, 3, 5}, kDown)));
    // Parallel (also within 1e-9 of it) and behind: never, even through the point itself.
    EXPECT_FALSE(pick(doc, Ray({0, 3, 0}, {1, 0, 0})));
    EXPECT_FALSE(pick(doc, Ray({0, 3, 0}, {1, 0, 1e-10})));
    EXPECT_FALSE(pick(doc, Ray({2, 3, -1}, kDown)));
    doc.sketches[0].isVisible = false;
    EXPECT_FALSE(pick(doc, Ray({2, 3, 5}, kDown)));
}

TEST(SceneHitTester, BiasesRankSketchesAgainstFacesAndEachOther) {
    CADDocument doc = emptyDocument();
    const BodyID body = doc.addBody(test::boxMesh({-5, -5, -5}, {0, 5, 5}));
    const SketchEntity onFace = line({-5, 0}, {0, 0}), twin = line({-5, 0}, {0, 0});
    const SketchEntity under = line({-5, 1}, {0, 1});
    const Uuid top = addLineSketch(doc, 5, onFace);
    const Uuid below = addLineSketch(doc, 5 - 2.5 * kTol, under);
    const Uuid same = addLineSketch(doc, 5, twin);
    const Ray onLine({-1, 0, 10}, kDown), onUnder({-1, 1, 10}, kDown);
    EXPECT_EQ(targetOf(pick(doc, onLine)), HitTarget(SketchEntityRef{top, onFace.id}));
    EXPECT_EQ(targetOf(pick(doc, onLine, same)), HitTarget(SketchEntityRef{same, twin.id}));
    // 2.5 tolerances under the face: hidden unless its sketch is active.
    EXPECT_EQ(std::get<FaceRef>(targetOf(pick(doc, onUnder))).body, body);
    EXPECT_EQ(targetOf(pick(doc, onUnder, below)), HitTarget(SketchEntityRef{below, under.id}));
}

TEST(SceneHitTester, GlyphsTieWithActiveEntitiesAndBeatInactiveOnes) {
    CADDocument doc = emptyDocument();
    const SketchEntity a = line({0, 0}, {4, 0}), b = line({4, 0}, {4, 4});
    const Uuid sketch = addLineSketch(doc, 0, a);
    doc.sketches[0].entities.push_back(b);
    const SketchConstraintID coincident = SketchConstraintID::generate();
    doc.sketches[0].constraints.push_back(
        {coincident,
         SketchConstraintKind::coincident,
         {{a.id, SketchParamRole::end}, {b.id, SketchParamRole::start}},
         {}});
    const Ray atCorner({4, 0, 5}, kDown);
    EXPECT_EQ(targetOf(pick(doc, atCorner)), HitTarget(SketchConstraintSel{sketch, coincident}));
    EXPECT_EQ(targetOf(pick(doc, atCorner, sketch)), HitTarget(SketchEntityRef{sketch, a.id}));
}

// A few thousand rays over meshes with shared edges and vertices, exactly coincident faces,
// polygons that need ear clipping and a hidden body: the index must give the scan's answer
// bit for bit, ties included.
TEST(SceneHitIndex, GivesExactlyTheAnswersOfThePlainScan) {
    CADDocument doc = emptyDocument();
    const SolidMesh sphere = test::sphereMesh({0, 0, 0}, 3, 24, 12);
    doc.addBody(sphere);
    doc.addBody(sphere);  // the very same mesh again: every hit ties
    doc.addBody(test::cylinderMesh({4, 0, -2}, 1.5, 4, 20));
    doc.addBody(test::lShapeMesh(2).translated({-20, -10, -1}));
    doc.addBody(test::largeMesh(1200).translated({-10, 5, -0.5}));
    doc.addBody(withDuplicatedFaces(test::triangulatedBoxMesh({-2, -2, -2}, {2, 2, 2})));
    doc.addBody(withDuplicatedFaces(test::sphereMesh({0, 6, 0}, 2, 16, 8)));
    // Boxes are padded for the whole mesh and rounded to floats: small triangles far out, and
    // coordinates beyond the float range.
    doc.addBody(test::sphereMesh({2e5, 3e5, -1e5}, 0.01, 12, 6));
    doc.addBody(test::boxMesh({-1e39, -1e39, 1e38}, {1e39, 1e39, 1e39}));
    doc.bodies[2].isVisible = false;
    addLineSketch(doc, 0.5, line({-5, -5}, {5, 5}));

    std::vector<Vec3> targets;
    for (const Body& body : doc.bodies) {
        const auto& v = body.mesh.vertices();
        for (const auto& t : body.mesh.allTriangles()) {
            const auto p = [&](VertexIndex i) { return v[static_cast<std::size_t>(i)]; };
            targets.push_back(p(t.a));                           // shared corners
            targets.push_back(Vec3::lerp(p(t.a), p(t.b), 0.5));  // shared edges
            targets.push_back((p(t.a) + p(t.b) + p(t.c)) / 3);
        }
    }
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> unit(-1, 1);
    SceneHitIndex index;
    int hits = 0;
    for (int i = 0; i < 4000; ++i) {
        const Vec3 target = targets[random() % targets.size()];
        const double reach = i % 5 == 0 ? 1e4 : 40;  // a far camera, then a near one
        const Vec3 origin = Vec3{unit(random), unit(random), unit(random)}.normalized() * reach;
        // Grazing rays too: nearly in the plane of the axis-aligned faces.
        const Vec3 aim = i % 7 == 0 ? Vec3{target.x, target.y, origin.z * 1e-7} : target;
        const Ray ray(origin, aim - origin);
        const auto expected = SceneHitTester::hit(ray, doc, kTol, std::nullopt);
        ASSERT_EQ(SceneHitTester::hit(ray, doc, kTol, std::nullopt, index), expected) << i;
        hits += expected.has_value();
    }
    EXPECT_GT(hits, 2500);
}

TEST(SceneHitIndex, FollowsEditsAndForgetsMeshesNoLongerUsed) {
    CADDocument doc = emptyDocument();
    doc.addBody(test::boxMesh({0, 0, 0}, {1, 1, 1}));
    SceneHitIndex index;
    const Ray ray({0.5, 0.5, 100}, kDown);
    for (int step = 1; step <= 40; ++step) {
        doc.bodies[0].mesh = doc.bodies[0].mesh.translated({0, 0, 1});
        const auto hit = SceneHitTester::hit(ray, doc, kTol, std::nullopt, index);
        ASSERT_TRUE(hit);
        EXPECT_EQ(hit->distance, 99 - step);
        EXPECT_EQ(index.meshCount(), 1U);
    }
    index.retainOnly(doc);
    EXPECT_EQ(index.meshCount(), 1U);
    index.retainOnly(emptyDocument());
    EXPECT_EQ(index.meshCount(), 0U);
    doc.bodies[0].isVisible = false;
    EXPECT_FALSE(SceneHitTester::hit(ray, doc, kTol, std::nullopt, index));
    EXPECT_EQ(index.meshCount(), 0U);
}

TEST(Selection, PruneKeepsWhatTheDocumentResolvesInvolvedBodiesAndJson) {
    CADDocument doc = emptyDocument();
    const SolidMesh box = test::boxMesh({0, 0, 0}, {1, 1, 1});
    const BodyID a = doc.addBody(box), b = doc.addBody(box);
    doc.bodies[1].isVisible = false;
    const SketchEntity kept = line({0, 0}, {1, 0});
    const Uuid sketch = addLineSketch(doc, 0, kept);
    const SketchConstraintID constraint = SketchConstraintID::generate();
    doc.sketches[0].constraints.push_back(
        {constraint, SketchConstraintKind::horizontal, {{kept.id, SketchParamRole::entity}}, {}});
    const FaceID face = box.faces()[0].id;
    Selection selection{{a, b},
                        {{a, face}, {b, face}, {b, FaceID::generate()}},
                        {{sketch, kept.id}, {sketch, SketchEntityID::generate()}},
                        {{sketch, constraint}, {Uuid::random(), constraint}}};
    doc.removeBody(a);
    selection.prune(doc);
    EXPECT_EQ(selection,
              (Selection{{b}, {{b, face}}, {{sketch, kept.id}}, {{sketch, constraint}}}));
    // Involved bodies, and references in JSON.
    const FaceRef faceRef{a, face};
    const Selection faceOnly{{b}, {faceRef}, {}, {}};
    EXPECT_EQ(faceOnly.involvedBodies(), (std::unordered_set<BodyID>{a, b}));
    EXPECT_FALSE(faceOnly.contains(a));
    EXPECT_EQ(fromJsonText<FaceRef>(toJsonText(faceRef)), faceRef);
    const SketchEntityRef entity{Uuid::random(), SketchEntityID::generate()};
    EXPECT_EQ(fromJsonText<SketchEntityRef>(toJsonText(entity)), entity);
}

}  // namespace
}  // namespace brontile
