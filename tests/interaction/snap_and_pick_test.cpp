// What lies under the pointer: snapping (which candidate wins, alignment, grid, body edges, the
// overlay cue, skipping far geometry never changing the hit) and picking (faces, sketch entities,
// glyphs, the picking index against the plain scan, and the selection picks feed).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <ostream>
#include <random>
#include <vector>

#include "interaction/scene_hit_tester.hpp"
#include "interaction/selection_json.hpp"
#include "interaction/snap_engine.hpp"
#include "sketch/curve_intersection.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {

void PrintTo(const SnapHit& hit, std::ostream* out) {
    *out << rawValue(hit.kind) << " " << hit.displayLabel() << " at (" << hit.point.x << ", "
         << hit.point.y << ")" << (hit.entityID ? " on an entity" : "");
}

namespace {

using Hit = std::optional<SnapHit>;
using test::arc;
using test::circle;
using test::line;
using test::sketchOf;
const RGBA kPale{0.8f, 0.85f, 0.9f, 1};

Body body(SolidMesh mesh, bool visible = true) {
    return {BodyID::generate(), "Body", visible, 0, std::move(mesh)};
}

Hit snapAt(const Vec2& cursor, const Sketch& sketch, double w = 1,
           std::optional<Vec2> segmentStart = std::nullopt, double grid = 0,
           std::span<const Body> bodies = {}) {
    return SnapEngine::snap({.cursor = cursor,
                             .sketch = sketch,
                             .worldUnitsPerPixel = w,
                             .segmentStart = segmentStart,
                             .gridStep = grid,
                             .bodies = bodies});
}

// The point-feature rules written plainly: every candidate visited in order, nothing skipped.
Hit plainSnap(const Vec2& cursor, const Sketch& sketch, double w, std::span<const Body> bodies,
              double grid) {
    Hit best;
    double bestRank = 100, bestScore = std::numeric_limits<double>::max();
    const auto offer = [&](SnapHit hit, int rank) {
        const double score = cursor.distance(hit.point);
        if (score <= 10 * w && (rank < bestRank || (rank == bestRank && score < bestScore)))
            best = hit, bestRank = rank, bestScore = score;
    };
    const auto bodyPoint = [&](Vec2 p, SnapKind kind, const char* label, int rank) {
        offer({.point = p, .kind = kind, .label = label}, rank);
    };
    const SketchPlane& plane = sketch.plane;
    const auto inPlane = [&](const Vec3& p) {
        return std::abs((p - plane.origin).dot(plane.normal())) <= std::max(3 * w, 1e-4);
    };
    std::vector<std::pair<Vec2, Vec2>> edges;
    for (const Body& b : bodies) {
        if (!b.isVisible) continue;
        const auto& vs = b.mesh.vertices();
        for (const Vec3& v : vs)
            if (inPlane(v)) bodyPoint(plane.toLocal(v), SnapKind::endpoint, "Vertex", 0);
        for (const auto& e : b.mesh.uniqueEdges()) {
            const Vec3 p = vs[static_cast<std::size_t>(e.a)], q = vs[static_cast<std::size_t>(e.b)];
            if (!inPlane(p) || !inPlane(q)) continue;
            const auto [a, c] = edges.emplace_back(plane.toLocal(p), plane.toLocal(q));
            bodyPoint((a + c) / 2, SnapKind::midpoint, "Edge midpoint", 2);
            bodyPoint(Vec2::closestPointOnSegment(cursor, a, c), SnapKind::onCurve, "Edge", 5);
        }
    }
    for (std::size_t i = 0; i < edges.size(); ++i) {
        for (std::size_t j = i + 1; j < edges.size(); ++j) {
            const auto [a, b] = edges[i];
            const auto x = SnapEngine::segmentIntersection(a, b, edges[j].first, edges[j].second);
            if (x) bodyPoint(*x, SnapKind::intersection, "Edge", 1);
        }
    }
    const auto& es = sketch.entities;
    for (const SketchEntity& e : es) {
        const auto at = [&](Vec2 p, SnapKind kind, int rank,
                            std::optional<SketchParamRole> role = std::nullopt) {
            offer({.point = p, .kind = kind, .entityID = e.id, .paramRole = role}, rank);
        };
        for (const Vec2& q : e.isClosed() ? e.endpoints() : std::vector<Vec2>{})
            at(q, SnapKind::endpoint, 0);
        for (const auto role : {SketchParamRole::start, SketchParamRole::end})
            if (!e.isClosed()) at(*e.point(role), SnapKind::endpoint, 0, role);
        if (const auto m = e.midpoint()) at(*m, SnapKind::midpoint, 2);
        if (const auto c = e.center()) at(*c, SnapKind::center, 3);
        at(e.closestPoint(cursor), SnapKind::onCurve, 5);
    }
    for (std::size_t i = 0; i < es.size(); ++i) {
        for (std::size_t j = i + 1; j < es.size(); ++j) {
            for (const Vec2& p : CurveIntersection::intersections(es[i], es[j]))
                offer({p, SnapKind::intersection, es[i].id, es[j].id}, 1);
        }
    }
    if (best || grid <= 1e-12) return best;
    return SnapHit{{std::round(cursor.x / grid) * grid, std::round(cursor.y / grid) * grid}};
}

struct Row {
    Vec2 cursor;
    double w, grid;
    std::optional<SnapKind> kind;
    Vec2 point;
};

void expectHit(const Hit& hit, const Row& row) {
    SCOPED_TRACE(testing::Message() << row.cursor.x << ", " << row.cursor.y);
    ASSERT_EQ(hit.has_value(), row.kind.has_value());
    if (!hit) return;
    EXPECT_EQ(hit->kind, *row.kind);
    EXPECT_NEAR(hit->point.distance(row.point), 0, 1e-9);
}

TEST(SnapEngineRanking, RankThenDistanceThenFirstFound) {
    const auto first = line({0, 0}, {100, 0});
    const Sketch sketch =
        sketchOf({first, line({0, 0}, {0, 100}), line({-10, 203}, {10, 203}), circle({0, 200}, 5)});
    using K = SnapKind;
    for (const Row& row : {
             Row{{91, 2}, 1, 0, K::endpoint, {100, 0}},  // 9.2 px, while the line is 2 px away
             Row{{1, 1}, 1, 0, K::endpoint, {0, 0}},
             Row{{4.3, 203.4}, 0.1, 0, K::intersection, {4, 203}},
             Row{{0.5, 200.5}, 0.1, 0, K::center, {0, 200}},
             Row{{50, 50}, 1, 0, std::nullopt, {}},
             Row{{7.4, -2.5}, 0.1, 5, K::grid, {5, -5}},
         }) {
        expectHit(snapAt(row.cursor, sketch, row.w, std::nullopt, row.grid), row);
    }
    EXPECT_EQ(snapAt({1, 1}, sketch)->entityID, first.id);  // the exact tie keeps the first line
    EXPECT_EQ(snapAt({1, 1}, sketch)->paramRole, SketchParamRole::start);
    EXPECT_FALSE(SnapEngine::snap({.cursor = {0, 0},
                                   .sketch = sketch,
                                   .worldUnitsPerPixel = 1,
                                   .gridStep = 5,
                                   .disabled = true}));
    EXPECT_FALSE(snapAt({std::nan(""), 0}, sketch, 1, std::nullopt, 5));
    const std::vector<Vec2> extra{{50, 55}, {50, 53}};
    const Hit nearer = SnapEngine::snap(
        {.cursor = {50, 50}, .sketch = sketch, .worldUnitsPerPixel = 1, .extraPoints = extra});
    EXPECT_EQ(nearer, (SnapHit{.point = {50, 53}, .kind = SnapKind::endpoint}));
}

TEST(SnapEngineAlignment, FromTheSegmentStart) {
    const double a = std::numbers::pi / 6;
    const Vec2 u{std::cos(a), std::sin(a)};
    const auto slope = line({0, 50}, Vec2{0, 50} + u * 100);
    const Sketch sketch = sketchOf({line({-32, 20}, {96, 20}), slope});
    const double diagonal = std::sqrt(0.5) * std::hypot(100, 100);
    using K = SnapKind;
    for (const Row& row : {
             Row{{100, 5}, 1, 0, K::horizontal, {100, 0}},
             Row{{104, 5}, 1, 10, K::horizontal, {100, 0}},
             Row{{-3, -90}, 1, 0, K::vertical, {0, -90}},
             Row{{3, 19}, 0.5, 0, K::perpendicular, {0, 20}},
             Row{{100, 100}, 1, 0, K::polar, {diagonal, diagonal}},
             Row{Vec2{std::cos(a + 0.03), std::sin(a + 0.03)} * 100, 1, 0, K::parallel, u * 100},
         }) {
        expectHit(snapAt(row.cursor, sketch, row.w, Vec2{0, 0}, row.grid), row);
    }
    EXPECT_EQ(snapAt({3, 19}, sketch, 0.5, Vec2{0, 0})->guideEnd, (Vec2{0, 20}));
    EXPECT_EQ(snapAt(u * 101, sketch, 1, Vec2{0, 0})->entityID, slope.id);
}

TEST(SnapEngineBodies, InPlaneVerticesEdgesAndCrossings) {
    const std::vector<Body> bodies{
        body(test::boxMesh({0, 0, 0}, {10, 10, 4})),
        body(test::triangulatedBoxMesh({5, -5, 0}, {15, 5, 4})),
        body(test::boxMesh({20, 0, 0}, {30, 10, 4}), false),
    };
    const auto snapOn = [&](Vec2 cursor, double w, double z = 0) {
        const Sketch sketch = sketchOf({}, {}, {{0, 0, z}, Vec3::unitX, Vec3::unitY});
        return snapAt(cursor, sketch, w, std::nullopt, 0, bodies);
    };
    EXPECT_EQ(snapOn({0.3, 0.2}, 0.1),
              (SnapHit{.point = {0, 0}, .kind = SnapKind::endpoint, .label = "Vertex"}));
    EXPECT_EQ(snapOn({5, 0.5}, 0.1),
              (SnapHit{.point = {5, 0}, .kind = SnapKind::intersection, .label = "Edge"}));
    EXPECT_EQ(snapOn({5, 10.5}, 0.1)->label, "Edge midpoint");
    EXPECT_EQ(snapOn({2, 10.5}, 0.1)->label, "Edge");
    EXPECT_FALSE(snapOn({20, 0}, 0.1));        // hidden
    EXPECT_FALSE(snapOn({0.3, 0.2}, 0.1, 2));  // 2 mm off the plane: beyond 3 px of 0.1 mm
    EXPECT_TRUE(snapOn({0.3, 0.2}, 1, 2));     // within 3 px of 1 mm
}

TEST(SnapEngineDecorate, MarkersColoursOutlinesAndGuides) {
    const SketchEntity edge = line({0, 0}, {10, 0}), round = circle({10, 0}, 3);
    const Sketch sketch = sketchOf({edge, round}, {}, SketchPlane::xz);
    using M = OverlayMarkerKind;  // in SnapKind order
    const M markers[] = {M::square, M::triangle, M::circle, M::tick,  M::diamond, M::tick,
                         M::cross,  M::cross,    M::cross,  M::cross, M::cross};
    for (const SnapKind kind : allCases<SnapKind>()) {
        SceneOverlay overlay;
        SnapEngine::decorate({1, 2}, sketch, overlay, SnapHit{.point = {4, 5}, .kind = kind});
        const RGBA colour = kind == SnapKind::grid ? kPale : RGBA::snap;
        const OverlayPoint expected{{4, 0, 5}, colour, markers[static_cast<int>(kind)], {0, -1, 0}};
        EXPECT_EQ(overlay.points, std::vector{expected}) << rawValue(kind);
    }
    SceneOverlay none;
    SnapEngine::decorate({1, 2}, sketch, none, std::nullopt);
    EXPECT_EQ(none.points[0], (OverlayPoint{{1, 0, 2}, kPale, M::cross, {0, -1, 0}}));
    EXPECT_TRUE(none.lines.empty());

    SceneOverlay crossing;
    SnapEngine::decorate({}, sketch, crossing,
                         SnapHit{{7, 0}, SnapKind::intersection, edge.id, round.id});
    ASSERT_EQ(crossing.lines.size(), 1u + 64u);
    EXPECT_EQ(crossing.lines[0], (OverlayLine{{0, 0, 0}, {10, 0, 0}, {1, 0.85f, 0.2f, 0.95f}}));

    SceneOverlay guide;  // the horizontal guide through (0, 0) when aiming at (100, 5)
    SnapEngine::decorate({}, sketch, guide, snapAt({100, 5}, sketchOf({}), 1, Vec2{0, 0}));
    EXPECT_EQ(guide.lines,
              (std::vector<OverlayLine>{
                  {{-280, 0, 0}, {280, 0, 0}, {1, 0.85f, 0.2f, 0.7f}, OverlayLineStyle::dashed}}));
}

// Random drawings on a tilted plane with bodies lying on it: a polyline, arcs and circles on its
// corners, loose circles, a star of lines crossing at one point, and two circles so nearly
// concentric that their "touching" point lies 10.5 mm outside both.
struct RandomScene {
    Sketch sketch;
    std::vector<Body> bodies;
    std::vector<Vec2> anchors{{50, 50}, {20, 10}, {40, 10}, {60, 30}};  // points to aim at
};

RandomScene randomScene(std::mt19937_64& random) {
    std::uniform_real_distribution<double> coord(0, 100), angle(-4, 8);
    const Vec3 axis = Vec3{0.3, -0.5, 0.8}.normalized();
    const Vec3 origin{3, -2, 7};
    RandomScene scene;
    scene.sketch = sketchOf(
        {}, {}, {origin, Vec3::unitX.rotated(axis, {}, 0.7), Vec3::unitY.rotated(axis, {}, 0.7)});
    const auto add = [&](SketchGeometry g) {
        scene.sketch.entities.push_back({SketchEntityID::generate(), g, false});
    };
    Vec2 corner{coord(random), coord(random)};
    for (int i = 0; i < 12; ++i) {
        const Vec2 next{coord(random), coord(random)}, loose{coord(random), coord(random)};
        add(SketchLine{corner, next});
        if (i % 3 == 0) add(SketchArc{corner, 5 + coord(random) / 5, angle(random), angle(random)});
        if (i % 4 == 1) add(SketchCircle{next, 3 + coord(random) / 7});
        if (i % 4 == 2) add(SketchCircle{loose, 3 + coord(random) / 7});
        scene.anchors.insert(scene.anchors.end(), {corner = next, loose});
    }
    add(SketchCircle{corner, 7});
    add(SketchCircle{corner + Vec2{1e-8, 0}, 7 + 1.5e-8});
    scene.anchors.push_back(corner - Vec2{10.5, 0});
    for (const Vec2& d : {Vec2{10, 0}, Vec2{0, 10}, Vec2{10, 10}})
        add(SketchLine{Vec2{50, 50} - d, Vec2{50, 50} + d});
    for (SolidMesh mesh : {test::boxMesh({20, 10, 0}, {60, 50, 20}),
                           test::triangulatedBoxMesh({40, 30, 0}, {80, 70, 10}),
                           test::boxMesh({0, 0, 5}, {10, 10, 15})}) {  // the last off the plane
        scene.bodies.push_back(body(mesh.rotated(axis, {}, 0.7).translated(origin)));
    }
    return scene;
}

TEST(SnapEngineEquivalence, SkippingFarGeometryNeverChangesTheHit) {
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> unit(0, 1);
    std::map<std::string, int> seen;
    for (int s = 0; s < 20; ++s) {
        const RandomScene scene = randomScene(random);
        for (int c = 0; c < 150; ++c) {
            const double w = std::vector{0.02, 0.1, 0.5, 2.0}[c % 4];
            const double grid = c % 3 == 0 ? 5 : 0;
            Vec2 cursor{unit(random) * 110 - 5, unit(random) * 110 - 5};
            const auto pick = static_cast<std::size_t>(unit(random) * 1000);
            if (c % 4 == 0) cursor = scene.anchors[pick % scene.anchors.size()];
            const auto& entities = scene.sketch.entities;
            if (c % 4 == 1) cursor = entities[pick % entities.size()].closestPoint(cursor);
            cursor += Vec2{unit(random) - 0.5, unit(random) - 0.5} * (c % 4 < 2 ? 30 * w : 0);
            const Hit fast = snapAt(cursor, scene.sketch, w, std::nullopt, grid, scene.bodies);
            ASSERT_EQ(fast, plainSnap(cursor, scene.sketch, w, scene.bodies, grid))
                << "scene " << s << " cursor " << cursor.x << ", " << cursor.y << " w " << w;
            if (fast) ++seen[std::string(rawValue(fast->kind)) + fast->label.value_or("")];
        }
    }
    for (const char* kind : {"endpoint", "endpointVertex", "intersection", "intersectionEdge",
                             "midpoint", "center", "onCurve", "onCurveEdge", "grid"}) {
        EXPECT_GT(seen[kind], 0) << kind;
    }
}

constexpr double kTol = 0.1;
const Vec3 kDown{0, 0, -1};
using Role = SketchParamRole;

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

// Sketch geometry is picked by distance in its plane, with biases: an active sketch's geometry
// wins over faces and inactive sketches; glyphs tie with active geometry and beat inactive.
TEST(SceneHitTester, SketchEntitiesAndGlyphsRankAgainstFacesAndEachOther) {
    CADDocument doc = emptyDocument();
    const SolidMesh box = test::boxMesh({-5, -5, -5}, {0, 5, 5});
    const BodyID body = doc.addBody(box);
    const SketchEntity point = line({2, 3}, {2, 3}), onFace = line({-5, 0}, {0, 0}),
                       twin = line({-5, 0}, {0, 0}), under = line({-5, 1}, {0, 1}),
                       a = line({10, 20}, {14, 20}), b = line({14, 20}, {14, 24});
    const Uuid flat = addLineSketch(doc, 0, point), top = addLineSketch(doc, 5, onFace),
               below = addLineSketch(doc, 5 - 2.5 * kTol, under),
               same = addLineSketch(doc, 5, twin), glyphs = addLineSketch(doc, 0, a);
    doc.sketches.back().entities.push_back(b);
    const SketchConstraint joined = test::constraint(SketchConstraintKind::coincident,
                                                     {{a.id, Role::end}, {b.id, Role::start}});
    doc.sketches.back().constraints.push_back(joined);
    const auto down = [](double x, double y) { return Ray({x, y, 10}, kDown); };
    const struct {
        const char* name;
        Ray ray;
        std::optional<Uuid> active;
        std::optional<HitTarget> expected;
    } cases[] = {
        {"within the tolerance of a point",
         down(2.05, 3),
         {},
         SketchPointRef{flat, point.id, Role::start}},
        {"beyond it", down(2.2, 3), {}, {}},
        {"parallel to the plane", Ray({0, 3, 0}, {1, 0, 0}), {}, {}},
        {"within 1e-9 of parallel", Ray({0, 3, 0}, {1, 0, 1e-10}), {}, {}},
        {"behind the ray", Ray({2, 3, -1}, kDown), {}, {}},
        {"a line on a face", down(-1, 0), {}, SketchEntityRef{top, onFace.id}},
        {"its twin, active", down(-1, 0), same, SketchEntityRef{same, twin.id}},
        {"2.5 tolerances under the face", down(-1, 1), {}, FaceRef{body, box.faces()[1].id}},
        {"the same, active", down(-1, 1), below, SketchEntityRef{below, under.id}},
        {"a glyph, inactive", down(14, 20), {}, SketchConstraintSel{glyphs, joined.id}},
        {"an active point under a glyph", down(14, 20), glyphs,
         SketchPointRef{glyphs, a.id, Role::end}},
    };
    for (const auto& c : cases) {
        const auto hit = pick(doc, c.ray, c.active);
        EXPECT_EQ(hit ? std::optional(hit->target) : std::nullopt, c.expected) << c.name;
    }
    EXPECT_EQ(pick(doc, down(2.05, 3))->distance, 10 - 2 * kTol);
    doc.sketches[0].isVisible = false;
    EXPECT_FALSE(pick(doc, down(2, 3)));
}

// Within one sketch a point within 8 px beats every curve, however much nearer the curve; among
// points, and among curves, the nearest wins whatever the sketch order.
TEST(SceneHitTester, SketchPointsComeBeforeCurvesAndTheNearestFirst) {
    constexpr double px = 0.01;
    const SketchEntity a = line({0, 0}, {1, 0}), beyond = line({1 + 6 * px, 0}, {2, 0}),
                       near = line({0, 3 * px}, {1, 3 * px}),
                       far = line({0, -5 * px}, {1, -5 * px}), ring = circle({5, 5}, 1),
                       bow = arc({-5, 0}, 1, 0, std::numbers::pi / 2);
    // The entity expected, as a point when a role is given.
    struct Picked {
        SketchEntityID entity;
        std::optional<Role> role = std::nullopt;
    };
    const struct {
        std::vector<SketchEntity> entities;
        Vec2 at;
        std::optional<Picked> expected;
    } cases[] = {
        {{a}, {0.5, 6 * px}, {{a.id}}},
        {{far, near}, {0.5, 0}, {{near.id}}},
        {{near, far}, {0.5, 0}, {{near.id}}},
        {{a}, {1 + 3 * px, 4 * px}, {{a.id, Role::end}}},
        {{a}, {1 - 4 * px, 3 * px}, {{a.id, Role::end}}},  // over the line, 3 px away
        {{a}, {1 - 9 * px, 2 * px}, {{a.id}}},
        {{a}, {1 + 9 * px, 0}, {}},
        {{a, beyond}, {1 + 4 * px, 0}, {{beyond.id, Role::start}}},
        {{ring}, {5 + 2 * px, 5}, {{ring.id, Role::center}}},
        {{bow}, {-5 + 3 * px, 1}, {{bow.id, Role::end}}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        CADDocument doc = emptyDocument();
        const Uuid id = doc.addSketch(SketchPlane::xy);
        doc.sketches.back().entities = cases[i].entities;
        std::optional<HitTarget> expected;
        if (const auto& e = cases[i].expected) {
            expected = e->role ? HitTarget(SketchPointRef{id, e->entity, *e->role})
                               : HitTarget(SketchEntityRef{id, e->entity});
        }
        const Vec2 at = cases[i].at;
        const auto hit = SceneHitTester::hit(Ray({at.x, at.y, 10}, kDown), doc,
                                             SceneHitTester::kSketchPickPixels * px, id);
        EXPECT_EQ(hit ? std::optional(hit->target) : std::nullopt, expected) << i;
    }
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
    doc.sketches[0].constraints.push_back(
        test::constraint(SketchConstraintKind::horizontal, {{kept.id, Role::entity}}));
    const SketchConstraintID constraint = doc.sketches[0].constraints[0].id;
    const FaceID face = box.faces()[0].id;
    const SketchPointRef end{sketch, kept.id, Role::end};
    Selection selection{
        {a, b},
        {{a, face}, {b, face}, {b, FaceID::generate()}},
        {{sketch, kept.id}, {sketch, SketchEntityID::generate()}},
        {end, {sketch, kept.id, Role::center}, {sketch, SketchEntityID::generate(), Role::start}},
        {{sketch, constraint}, {Uuid::random(), constraint}}};
    doc.removeBody(a);
    selection.prune(doc);
    EXPECT_EQ(selection,
              (Selection{{b}, {{b, face}}, {{sketch, kept.id}}, {end}, {{sketch, constraint}}}));
    // Involved bodies, and references in JSON.
    const FaceRef faceRef{a, face};
    const Selection faceOnly{{b}, {faceRef}, {}, {}, {}};
    EXPECT_EQ(faceOnly.involvedBodies(), (std::unordered_set<BodyID>{a, b}));
    EXPECT_FALSE(faceOnly.contains(a));
    EXPECT_EQ(fromJsonText<FaceRef>(toJsonText(faceRef)), faceRef);
    const SketchEntityRef entity{Uuid::random(), SketchEntityID::generate()};
    EXPECT_EQ(fromJsonText<SketchEntityRef>(toJsonText(entity)), entity);
    EXPECT_EQ(fromJsonText<SketchPointRef>(toJsonText(end)), end);
}

}  // namespace
}  // namespace brontile
