// Snapping, which runs on every pointer move while drawing: sketches of 20, 200 and 1000 entities
// laid out as a plate of machined features (outline, counterbored hole, slot), with two bodies of
// about 10 000 triangles standing on the sketch plane and a sphere of about 10 000 triangles
// above it. Cursors aim at random points of the drawing, half of them close to a feature. Measured
// free and while drawing a segment (with a start point and a previous direction).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <vector>

#include "interaction/snap_engine.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

constexpr double kCellPitch = 40;
constexpr int kEntitiesPerCell = 10;
constexpr int kCursorCount = 512;
// About 1200 pixels across a 400 mm drawing.
constexpr double kUnitsPerPixel = 0.33;

struct Scene {
    Sketch sketch;
    std::vector<Body> bodies;
    std::vector<Vec2> cursors;
};

// One cell: a 30 × 30 outline, a hole with its counterbore, and a slot of two lines and two arcs.
void addCell(Sketch& sketch, const Vec2& at) {
    const auto add = [&](SketchGeometry g) {
        sketch.entities.push_back({SketchEntityID::generate(), g, false});
    };
    const Vec2 c[4] = {at, at + Vec2{30, 0}, at + Vec2{30, 30}, at + Vec2{0, 30}};
    for (int i = 0; i < 4; ++i) add(SketchLine{c[i], c[(i + 1) % 4]});
    add(SketchCircle{at + Vec2{10, 20}, 4});
    add(SketchCircle{at + Vec2{10, 20}, 6.5});
    const Vec2 s0 = at + Vec2{8, 7};
    const Vec2 s1 = at + Vec2{22, 7};
    const double pi = std::numbers::pi;
    add(SketchLine{s0 + Vec2{0, -3}, s1 + Vec2{0, -3}});
    add(SketchLine{s1 + Vec2{0, 3}, s0 + Vec2{0, 3}});
    add(SketchArc{s1, 3, -pi / 2, pi / 2});
    add(SketchArc{s0, 3, pi / 2, 3 * pi / 2});
}

Scene makeScene(int entities) {
    Scene scene;
    scene.sketch = {Uuid::random(), "Plate", SketchPlane::xy, {}, true, {}};
    const int cells = std::max(1, entities / kEntitiesPerCell);
    const int side = static_cast<int>(std::ceil(std::sqrt(cells)));
    for (int i = 0; i < cells; ++i) {
        addCell(scene.sketch, {kCellPitch * (i % side), kCellPitch * (i / side)});
    }
    const double extent = kCellPitch * side;
    // largeMesh lays 1 mm boxes on a 2 mm grid, 100 to a row, bottoms on z = 0.
    const SolidMesh blocks = test::largeMesh(10'000).scaled({0, 0, 0}, extent / 200);
    scene.bodies.push_back({BodyID::generate(), "Blocks", true, 0, blocks});
    scene.bodies.push_back(
        {BodyID::generate(), "Blocks 2", true, 1, blocks.translated({0, extent / 2, 0})});
    scene.bodies.push_back(
        {BodyID::generate(), "Dome", true, 2,
         test::sphereMesh({extent / 2, extent / 2, extent}, extent / 4, 100, 51)});

    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    const auto& es = scene.sketch.entities;
    for (int i = 0; i < kCursorCount; ++i) {
        Vec2 p{unit(random) * extent, unit(random) * extent};
        if (i % 2 == 0) {
            const auto& e = es[static_cast<std::size_t>(unit(random) * es.size()) % es.size()];
            p = e.closestPoint(p) + Vec2{unit(random) - 0.5, unit(random) - 0.5} * 8;
        }
        scene.cursors.push_back(p);
    }
    return scene;
}

const Scene& cachedScene(int entities) {
    static std::map<int, Scene> scenes;
    auto it = scenes.find(entities);
    if (it == scenes.end()) it = scenes.emplace(entities, makeScene(entities)).first;
    return it->second;
}

void BM_Snap(benchmark::State& state) {
    const Scene& scene = cachedScene(static_cast<int>(state.range(0)));
    const bool drawing = state.range(1) != 0;
    std::size_t i = 0;
    int hits = 0;
    for (auto _ : state) {
        const Vec2& cursor = scene.cursors[i % scene.cursors.size()];
        // While drawing, the segment starts at the previous cursor.
        const std::optional<Vec2> from =
            drawing ? std::optional(scene.cursors[(i + 1) % scene.cursors.size()]) : std::nullopt;
        const std::optional<Vec2> last = drawing ? std::optional(Vec2{1, 0.2}) : std::nullopt;
        const auto hit = SnapEngine::snap({.cursor = cursor,
                                           .sketch = scene.sketch,
                                           .worldUnitsPerPixel = kUnitsPerPixel,
                                           .segmentStart = from,
                                           .previousDirection = last,
                                           .gridStep = 1.0,
                                           .bodies = scene.bodies});
        hits += hit && hit->kind != SnapKind::grid;
        benchmark::DoNotOptimize(hit);
        ++i;
    }
    std::size_t triangles = 0;
    for (const Body& b : scene.bodies) triangles += b.mesh.triangleCount();
    state.counters["entities"] = static_cast<double>(scene.sketch.entities.size());
    state.counters["triangles"] = static_cast<double>(triangles);
    state.counters["featureHitRate"] =
        static_cast<double>(hits) /
        static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
}

BENCHMARK(BM_Snap)
    ->ArgsProduct({{20, 200, 1000}, {0, 1}})
    ->ArgNames({"entities", "drawing"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brontile
