// Building the viewport scene, which happens on the UI thread whenever the scene changes: scenes
// of 10 000 to 1 000 000 triangles, spread over many bodies or in one, with sketches, a selection,
// a hovered face and tool previews. The flat lists are rebuilt whole; the per-body scene keeps
// what did not change, so its frames are measured per kind of change.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <optional>
#include <utility>

#include "support/mesh_fixtures.hpp"
#include "viewport/scene_builder.hpp"
#include "viewport/scene_cache.hpp"

namespace brontile {
namespace {

enum class Layout { manyBodies, oneSphere, oneBoxGrid };

constexpr int kTrianglesPerBody = 1000;

// Three sketches of lines, circles and arcs with a few constraints; the first one active.
void addSketches(SceneInput& input) {
    for (int s = 0; s < 3; ++s) {
        const Uuid id =
            input.document.addSketch(SketchPlane({0, 0, 5.0 * s}, Vec3::unitX, Vec3::unitY));
        Sketch& sketch = input.document.sketches.back();
        for (int i = 0; i < 20; ++i) {
            const double y = 4.0 * i;
            sketch.entities.push_back(
                {SketchEntityID::generate(), SketchLine{{0, y}, {50, y}}, i % 5 == 0});
            sketch.constraints.push_back({SketchConstraintID::generate(),
                                          SketchConstraintKind::horizontal,
                                          {{sketch.entities.back().id, SketchParamRole::entity}},
                                          std::nullopt});
        }
        for (int i = 0; i < 4; ++i) {
            sketch.entities.push_back(
                {SketchEntityID::generate(), SketchCircle{{60, 10.0 * i}, 4}});
            sketch.entities.push_back(
                {SketchEntityID::generate(), SketchArc{{80, 10.0 * i}, 3, 0, 2}});
        }
        input.selection.sketchEntities.insert({id, sketch.entities[3].id});
        input.selection.constraints.insert({id, sketch.constraints[2].id});
    }
    input.activeSketchID = input.document.sketches.front().id;
}

SolidMesh bodyMesh(Layout layout, int triangles, int index) {
    switch (layout) {
        case Layout::manyBodies: {
            const Vec3 at{25.0 * (index % 40), 25.0 * (index / 40), 0};
            return test::sphereMesh(at, 10, 25, 21);
        }
        case Layout::oneSphere: {
            const int slices = static_cast<int>(std::lround(std::sqrt(triangles / 2.0)));
            return test::sphereMesh({0, 0, 0}, 100, slices, slices + 1);
        }
        case Layout::oneBoxGrid: return test::largeMesh(triangles);
    }
    return {};
}

SceneInput makeScene(Layout layout, int triangles) {
    SceneInput input;
    const int bodies = layout == Layout::manyBodies ? triangles / kTrianglesPerBody : 1;
    for (int i = 0; i < bodies; ++i) input.document.addBody(bodyMesh(layout, triangles, i));
    const Body& first = input.document.bodies.front();
    const Body& last = input.document.bodies.back();
    input.selection.bodies.insert(first.id);
    for (std::size_t f = 0; f < 3; ++f)
        input.selection.faces.insert({last.id, last.mesh.faces()[f].id});
    input.hover = FaceRef{last.id, last.mesh.faces()[7].id};
    addSketches(input);
    input.overlay.lines.push_back(
        {{0, 0, 0}, {100, 0, 0}, RGBA::preview, OverlayLineStyle::dashed});
    input.overlay.points.push_back({{1, 2, 3}, RGBA::snap, OverlayMarkerKind::circle, Vec3::unitZ});
    input.overlay.arrows.push_back(OverlayArrow::extrusion({}, Vec3::unitZ, 10, false, true, true));
    input.markerSize = 2.5;
    input.worldUnitsPerPixel = 0.5;
    return input;
}

const SceneInput& scene(Layout layout, int triangles) {
    static std::map<std::pair<Layout, int>, SceneInput> cache;
    const auto key = std::make_pair(layout, triangles);
    auto found = cache.find(key);
    if (found == cache.end()) found = cache.emplace(key, makeScene(layout, triangles)).first;
    return found->second;
}

void report(benchmark::State& state, const SceneBuffers& buffers) {
    state.counters["shaded"] = static_cast<double>(buffers.shaded.size());
    state.counters["lines"] = static_cast<double>(buffers.lines.size());
}

// A fresh build, as the viewport does it: the four lists are allocated anew every time.
void BM_BuildScene(benchmark::State& state, Layout layout) {
    const SceneInput& input = scene(layout, static_cast<int>(state.range(0)));
    SceneBuffers last;
    for (auto _ : state) {
        SceneBuffers buffers = SceneBuilder::build(input);
        benchmark::DoNotOptimize(buffers.shaded.data());
        state.PauseTiming();
        last = std::move(buffers);
        state.ResumeTiming();
    }
    report(state, last);
}

// Rebuilding into the previous frame's lists, whose memory is already mapped.
void BM_RebuildScene(benchmark::State& state, Layout layout) {
    const SceneInput& input = scene(layout, static_cast<int>(state.range(0)));
    SceneBuffers buffers = SceneBuilder::build(input);
    for (auto _ : state) {
        SceneBuilder::rebuild(input, buffers);
        benchmark::DoNotOptimize(buffers.shaded.data());
    }
    report(state, buffers);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}

constexpr int kLargeScene = 1'000'000;

// What changes between two frames of the per-body scene.
enum class Change { hover, selectFace, selectBody, zoom, mesh };

// The scene after the change, made on the last body (the one already hovered and with selected
// faces): the pointer moves to another face, one more face or the whole body is selected, the
// view zooms by 10 %, or a tool moves the body.
SceneInput changed(const SceneInput& input, Change change) {
    SceneInput next = input;
    Body& last = next.document.bodies.back();
    switch (change) {
        case Change::hover: next.hover = FaceRef{last.id, last.mesh.faces()[11].id}; break;
        case Change::selectFace:
            next.selection.faces.insert({last.id, last.mesh.faces()[20].id});
            break;
        case Change::selectBody: next.selection.bodies.insert(last.id); break;
        case Change::zoom:
            next.worldUnitsPerPixel *= 1.1;
            next.markerSize *= 1.1;
            break;
        case Change::mesh: last.mesh = last.mesh.translated({1, 0, 0}); break;
    }
    return next;
}

void reportScene(benchmark::State& state, const RenderScene& scene) {
    state.counters["bodies"] = static_cast<double>(scene.bodies.size());
    state.counters["highlights"] = static_cast<double>(scene.highlights.size());
}

// The whole per-body scene made from nothing, as when a document opens: every chunk is new memory.
void BM_SceneCacheCold(benchmark::State& state, Layout layout) {
    const SceneInput& input = scene(layout, kLargeScene);
    std::optional<std::pair<SceneCache, RenderScene>> last;
    for (auto _ : state) {
        std::pair<SceneCache, RenderScene> made;
        made.first.rebuild(input, made.second);
        benchmark::DoNotOptimize(made.second.bodies.data());
        state.PauseTiming();
        last = std::move(made);
        state.ResumeTiming();
    }
    reportScene(state, last->second);
}

// One frame after the change, every chunk already built: frames alternate between the scene
// before and after it.
void BM_SceneCacheFrame(benchmark::State& state, Layout layout, Change change) {
    const SceneInput& before = scene(layout, kLargeScene);
    const SceneInput after = changed(before, change);
    SceneCache cache;
    RenderScene out;
    cache.rebuild(before, out);
    cache.rebuild(after, out);
    bool toBefore = true;
    for (auto _ : state) {
        cache.rebuild(toBefore ? before : after, out);
        benchmark::DoNotOptimize(out.bodies.data());
        toBefore = !toBefore;
    }
    reportScene(state, out);
}

// The first frame that hovers a face of a body none of whose faces had a colour of its own yet:
// the frame that makes the body's face lookup.
void BM_SceneCacheFirstHover(benchmark::State& state, Layout layout) {
    SceneInput plain = scene(layout, kLargeScene);
    plain.selection.faces.clear();
    plain.hover.reset();
    const SceneInput hovered = changed(plain, Change::hover);
    SceneCache warm;
    RenderScene out;
    warm.rebuild(plain, out);
    std::optional<SceneCache> cache;
    for (auto _ : state) {
        state.PauseTiming();
        cache = warm;
        state.ResumeTiming();
        cache->rebuild(hovered, out);
        benchmark::DoNotOptimize(out.highlights.data());
    }
    reportScene(state, out);
}

// What the session's scene provider copies each frame before the rebuild.
void BM_CopySceneInput(benchmark::State& state, Layout layout) {
    const SceneInput& input = scene(layout, kLargeScene);
    for (auto _ : state) {
        SceneInput copy = input;
        benchmark::DoNotOptimize(&copy);
    }
}

BENCHMARK_CAPTURE(BM_BuildScene, manyBodies, Layout::manyBodies)->Apply(sizes);
BENCHMARK_CAPTURE(BM_BuildScene, oneSphere, Layout::oneSphere)->Apply(sizes);
BENCHMARK_CAPTURE(BM_BuildScene, oneBoxGrid, Layout::oneBoxGrid)->Apply(sizes);
BENCHMARK_CAPTURE(BM_RebuildScene, manyBodies, Layout::manyBodies)->Apply(sizes);
BENCHMARK_CAPTURE(BM_RebuildScene, oneSphere, Layout::oneSphere)->Apply(sizes);
BENCHMARK_CAPTURE(BM_RebuildScene, oneBoxGrid, Layout::oneBoxGrid)->Apply(sizes);

BENCHMARK_CAPTURE(BM_SceneCacheCold, manyBodies, Layout::manyBodies)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SceneCacheCold, oneSphere, Layout::oneSphere)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SceneCacheFirstHover, manyBodies, Layout::manyBodies)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SceneCacheFirstHover, oneSphere, Layout::oneSphere)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CopySceneInput, manyBodies, Layout::manyBodies)->Unit(benchmark::kMicrosecond);

BENCHMARK_CAPTURE(BM_SceneCacheFrame, manyBodies_hover, Layout::manyBodies, Change::hover)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SceneCacheFrame, oneSphere_hover, Layout::oneSphere, Change::hover)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SceneCacheFrame, manyBodies_selectFace, Layout::manyBodies, Change::selectFace)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SceneCacheFrame, oneSphere_selectFace, Layout::oneSphere, Change::selectFace)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SceneCacheFrame, manyBodies_selectBody, Layout::manyBodies, Change::selectBody)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SceneCacheFrame, oneSphere_selectBody, Layout::oneSphere, Change::selectBody)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SceneCacheFrame, manyBodies_zoom, Layout::manyBodies, Change::zoom)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SceneCacheFrame, oneSphere_zoom, Layout::oneSphere, Change::zoom)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SceneCacheFrame, manyBodies_mesh, Layout::manyBodies, Change::mesh)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SceneCacheFrame, oneSphere_mesh, Layout::oneSphere, Change::mesh)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brontile
