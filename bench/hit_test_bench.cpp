// Picking under the pointer, which runs on every pointer move: documents of 10 000 to 1 000 000
// triangles, as many ~1000-triangle bodies or as one large body, with three sketches of a few
// dozen entities and constraints. Rays come from a camera-like eye outside the model and aim at
// random points of its bounding box. Measured: the common case (document unchanged, index warm),
// the first pick after one body changed, the first pick with an empty index, and the plain scan.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "interaction/scene_hit_tester.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

enum Layout : int { kManyBodies = 0, kOneBody = 1 };

constexpr double kSketchTolerance = 0.05;
constexpr int kRayCount = 256;

// Lines in a grid, circles and arcs, held by horizontal, vertical, coincident and equal-radius
// constraints.
Sketch pickingSketch(const SketchPlane& plane, double size) {
    Sketch sketch{Uuid::random(), "Sketch", plane, {}, true, {}};
    const auto add = [&](SketchGeometry g) {
        sketch.entities.push_back({SketchEntityID::generate(), g, false});
        return sketch.entities.back().id;
    };
    const auto constrain = [&](SketchConstraintKind kind, std::vector<SketchGeomRef> refs) {
        sketch.constraints.push_back({SketchConstraintID::generate(), kind, std::move(refs), {}});
    };
    const double step = size / 6;
    for (int i = 0; i < 6; ++i) {
        const double at = -size / 2 + step * i;
        const auto h = add(SketchLine{{-size / 2, at}, {size / 2, at}});
        const auto v = add(SketchLine{{at, -size / 2}, {at, size / 2}});
        constrain(SketchConstraintKind::horizontal, {{h, SketchParamRole::entity}});
        constrain(SketchConstraintKind::vertical, {{v, SketchParamRole::entity}});
        constrain(SketchConstraintKind::coincident,
                  {{h, SketchParamRole::start}, {v, SketchParamRole::start}});
    }
    for (int i = 0; i < 6; ++i) {
        const Vec2 c{-size / 3 + step * i, size / 4};
        const auto circle = add(SketchCircle{c, step / 3});
        const auto arc = add(SketchArc{c, step / 2, 0, std::numbers::pi});
        constrain(SketchConstraintKind::equalRadius,
                  {{circle, SketchParamRole::entity}, {arc, SketchParamRole::entity}});
    }
    return sketch;
}

// Spheres of 960 triangles on a cubic grid, or one sphere of about `triangles` triangles.
CADDocument pickingDocument(int triangles, Layout layout) {
    CADDocument doc = CADDocument::empty("Picking benchmark");
    if (layout == kManyBodies) {
        const int bodies = std::max(1, triangles / 960);
        const int side = static_cast<int>(std::ceil(std::cbrt(bodies)));
        for (int b = 0; b < bodies; ++b) {
            const Vec3 at{2.5 * (b % side), 2.5 * (b / side % side), 2.5 * (b / (side * side))};
            doc.addBody(test::sphereMesh(at, 1, 32, 16));
        }
    } else {
        const int slices = 2 * static_cast<int>(std::sqrt(triangles) / 2);
        doc.addBody(test::sphereMesh({0, 0, 0}, 10, slices, slices / 2));
    }
    const AABB box = *doc.bounds();
    const Vec3 c = box.center();
    const double size = box.radius();
    doc.sketches.push_back(pickingSketch({c, Vec3::unitX, Vec3::unitY}, size));
    doc.sketches.push_back(pickingSketch({c, Vec3::unitX, Vec3::unitZ}, size));
    doc.sketches.push_back(pickingSketch({box.max, Vec3::unitY, Vec3::unitZ}, size));
    return doc;
}

const CADDocument& cachedDocument(int triangles, Layout layout) {
    static std::map<std::pair<int, int>, CADDocument> documents;
    const auto key = std::make_pair(triangles, static_cast<int>(layout));
    auto it = documents.find(key);
    if (it == documents.end())
        it = documents.emplace(key, pickingDocument(triangles, layout)).first;
    return it->second;
}

// From an eye two and a half model radii away, towards random points of the model's box.
std::vector<Ray> cameraRays(const CADDocument& doc) {
    const AABB box = *doc.bounds();
    const Vec3 eye = box.center() + Vec3{1, -1.5, 0.8}.normalized() * (2.5 * box.radius());
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<Ray> rays;
    for (int i = 0; i < kRayCount; ++i) {
        const Vec3 s = box.size();
        const Vec3 target =
            box.min + Vec3{s.x * unit(random), s.y * unit(random), s.z * unit(random)};
        rays.emplace_back(eye, target - eye);
    }
    return rays;
}

void describe(benchmark::State& state, const CADDocument& doc, int hits) {
    std::size_t triangles = 0;
    for (const Body& b : doc.bodies) triangles += b.mesh.triangleCount();
    state.counters["triangles"] = static_cast<double>(triangles);
    state.counters["bodies"] = static_cast<double>(doc.bodies.size());
    state.counters["hitRate"] = static_cast<double>(hits) /
                                static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
}

const CADDocument& documentFor(const benchmark::State& state) {
    return cachedDocument(static_cast<int>(state.range(0)), static_cast<Layout>(state.range(1)));
}

// The document did not change since the last pick.
void BM_HitWarmIndex(benchmark::State& state) {
    const CADDocument& doc = documentFor(state);
    const auto rays = cameraRays(doc);
    SceneHitIndex index;
    benchmark::DoNotOptimize(SceneHitTester::hit(rays[0], doc, kSketchTolerance, {}, index));
    std::size_t i = 0;
    int hits = 0;
    for (auto _ : state) {
        const auto hit =
            SceneHitTester::hit(rays[i++ % rays.size()], doc, kSketchTolerance, {}, index);
        hits += hit.has_value();
        benchmark::DoNotOptimize(hit);
    }
    describe(state, doc, hits);
}

// One body was edited (moved): its tree is rebuilt, the others are reused.
void BM_HitAfterEditingOneBody(benchmark::State& state) {
    CADDocument doc = documentFor(state);
    const auto rays = cameraRays(doc);
    SceneHitIndex index;
    benchmark::DoNotOptimize(SceneHitTester::hit(rays[0], doc, kSketchTolerance, {}, index));
    std::size_t i = 0;
    int hits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        doc.bodies[0].mesh = doc.bodies[0].mesh.translated({i % 2 == 0 ? 1e-3 : -1e-3, 0, 0});
        state.ResumeTiming();
        const auto hit =
            SceneHitTester::hit(rays[i++ % rays.size()], doc, kSketchTolerance, {}, index);
        hits += hit.has_value();
        benchmark::DoNotOptimize(hit);
    }
    describe(state, doc, hits);
}

// A document just opened: every tree is built.
void BM_HitColdIndex(benchmark::State& state) {
    const CADDocument& doc = documentFor(state);
    const auto rays = cameraRays(doc);
    std::size_t i = 0;
    int hits = 0;
    for (auto _ : state) {
        SceneHitIndex index;
        const auto hit =
            SceneHitTester::hit(rays[i++ % rays.size()], doc, kSketchTolerance, {}, index);
        hits += hit.has_value();
        benchmark::DoNotOptimize(hit);
    }
    describe(state, doc, hits);
}

// The plain scan, for reference.
void BM_HitLinearScan(benchmark::State& state) {
    const CADDocument& doc = documentFor(state);
    const auto rays = cameraRays(doc);
    std::size_t i = 0;
    int hits = 0;
    for (auto _ : state) {
        const auto hit = SceneHitTester::hit(rays[i++ % rays.size()], doc, kSketchTolerance, {});
        hits += hit.has_value();
        benchmark::DoNotOptimize(hit);
    }
    describe(state, doc, hits);
}

void sizes(benchmark::internal::Benchmark* b) {
    for (int layout : {kManyBodies, kOneBody}) {
        for (int triangles : {10'000, 100'000, 1'000'000}) b->Args({triangles, layout});
    }
    b->ArgNames({"triangles", "oneBody"});
}

BENCHMARK(BM_HitWarmIndex)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitAfterEditingOneBody)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitColdIndex)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HitLinearScan)->Apply(sizes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brontile
