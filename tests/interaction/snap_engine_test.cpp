// Snapping: which candidate wins, alignment from the segment's start, the grid, body edges in the
// sketch plane, the overlay cue, and a randomized check that skipping far geometry never changes
// the hit.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <ostream>
#include <random>
#include <vector>

#include "interaction/snap_engine.hpp"
#include "sketch/curve_intersection.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {

void PrintTo(const SnapHit& hit, std::ostream* out) {
    *out << rawValue(hit.kind) << " " << hit.displayLabel() << " at (" << hit.point.x << ", "
         << hit.point.y << ")" << (hit.entityID ? " on an entity" : "");
}

namespace {

using Hit = std::optional<SnapHit>;
const RGBA kPale{0.8f, 0.85f, 0.9f, 1};

SketchEntity entity(SketchGeometry g) { return {SketchEntityID::generate(), g, false}; }

Sketch sketchOf(std::vector<SketchEntity> entities, SketchPlane plane = SketchPlane::xy) {
    return {Uuid::random(), "Sketch", plane, std::move(entities), true, {}};
}

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
    const auto first = entity(SketchLine{{0, 0}, {100, 0}});
    const Sketch sketch =
        sketchOf({first, entity(SketchLine{{0, 0}, {0, 100}}),
                  entity(SketchLine{{-10, 203}, {10, 203}}), entity(SketchCircle{{0, 200}, 5})});
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
    const auto slope = entity(SketchLine{{0, 50}, Vec2{0, 50} + u * 100});
    const Sketch sketch = sketchOf({entity(SketchLine{{-32, 20}, {96, 20}}), slope});
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
        const Sketch sketch = sketchOf({}, {{0, 0, z}, Vec3::unitX, Vec3::unitY});
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
    const auto line = entity(SketchLine{{0, 0}, {10, 0}});
    const auto circle = entity(SketchCircle{{10, 0}, 3});
    const Sketch sketch = sketchOf({line, circle}, SketchPlane::xz);
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
                         SnapHit{{7, 0}, SnapKind::intersection, line.id, circle.id});
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
        {}, {origin, Vec3::unitX.rotated(axis, {}, 0.7), Vec3::unitY.rotated(axis, {}, 0.7)});
    const auto add = [&](SketchGeometry g) { scene.sketch.entities.push_back(entity(g)); };
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

}  // namespace
}  // namespace brontile
