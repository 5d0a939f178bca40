// What a person feels while working with a tool: one pointer event through the session, with the
// tool's preview (kernel result and overlay) rebuilt but nothing drawn, and a boolean run
// through its tool.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "session/document_session.hpp"
#include "session/scripted_platform.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

struct Session {
    ScriptedPlatform platform{DateTime{}};
    DocumentSession session{platform, KeymapStore(KeymapProfile::builtInFallback())};

    Session() {
        // Looking down on the ground from the front, so that a ray is never parallel to a
        // vertical axis.
        session.viewport().viewSize = {1200, 800};
        session.viewport().camera.apply(ViewPreset::iso);
    }

    // An event at the view point where the world point appears, as the viewport gives it.
    void pointer(PointerPhase phase, const Vec3& at, ModifierSet modifiers = {}) {
        const ViewportState& view = session.viewport();
        session.input().pointer(phase, view.camera.viewPoint(at, view.viewSize).value(), modifiers,
                                1);
    }
};

// Alternating drag targets, so that every event changes the preview.
Vec3 dragTarget(int i, const Vec3& from) { return from + Vec3{0, 0, i % 2 ? 6.0 : 4.0}; }

// A drag event of push/pull on the top of a sphere of about 20 000 triangles: the kernel's
// moved mesh and the overlay that shows it in place of the body.
void BM_PushPullDragEvent(benchmark::State& state) {
    Session s;
    s.session.interaction().mutate("Add", [](CADDocument& d) {
        d.addBody(test::sphereMesh({0, 0, 0}, 50, 100, 100));
    });
    state.counters["triangles"] =
        static_cast<double>(s.session.document().bodies[0].mesh.triangleCount());
    // The triangle fan around the north pole faces up; press inside one of its triangles.
    const Vec3 onTop{0.3, 0.1, 49.99};
    s.pointer(PointerPhase::move, onTop);
    s.pointer(PointerPhase::down, onTop);
    int i = 0;
    for (auto _ : state) s.pointer(PointerPhase::drag, dragTarget(++i, onTop));
    s.pointer(PointerPhase::up, onTop);
    if (s.session.interaction().overlay().replacements.empty() &&
        s.session.history().undoActionName() != std::optional<std::string>("Push/Pull")) {
        state.SkipWithError("the drag never pushed the face");
    }
}

// A sketch whose one region is a polygon of `sides` lines.
Sketch polygonSketch(int sides) {
    Sketch sketch{Uuid::random(), "Sketch 1", SketchPlane::xy, {}, true, {}};
    for (int k = 0; k < sides; ++k) {
        const auto corner = [&](int j) {
            const double a = 2 * std::numbers::pi * j / sides;
            return Vec2{40 * std::cos(a), 40 * std::sin(a)};
        };
        sketch.entities.push_back(
            {SketchEntityID::generate(), SketchLine{corner(k), corner(k + 1)}, false});
    }
    return sketch;
}

// A drag event of the extrude tool on a sketch of 150 lines: the prism preview and its arrow.
void BM_ExtrudeDragEvent(benchmark::State& state) {
    Session s;
    s.session.interaction().mutate(
        "Add", [](CADDocument& d) { d.sketches.push_back(polygonSketch(150)); });
    s.session.dispatch("tool.extrude");
    const Vec3 inside{1, 1, 0};
    s.pointer(PointerPhase::move, inside);
    s.pointer(PointerPhase::down, inside);
    int i = 0;
    for (auto _ : state) s.pointer(PointerPhase::drag, dragTarget(++i, inside));
    if (s.session.interaction().overlay().meshes.empty())
        state.SkipWithError("no extrusion was previewed");
}

// The same drag with the sketch on the top of a block and 20 holes in its region: the prism with
// its holes' walls, previewed tinted as a join; the block is only joined on release.
void BM_ExtrudeDragEventOnABody(benchmark::State& state) {
    Session s;
    s.session.interaction().mutate("Add", [](CADDocument& d) {
        d.addBody(test::boxMesh({-50, -50, -20}, {50, 50, 0}));
        Sketch sketch = polygonSketch(150);
        for (int k = 0; k < 20; ++k) {
            const Vec2 at{-20 + 10.0 * (k % 5), -15 + 10.0 * (k / 5)};
            sketch.entities.push_back({SketchEntityID::generate(), SketchCircle{at, 3}, false});
        }
        d.sketches.push_back(std::move(sketch));
    });
    s.session.dispatch("tool.extrude");
    const Vec3 inside{-27, 1, 0};
    s.pointer(PointerPhase::move, inside);
    s.pointer(PointerPhase::down, inside);
    int i = 0;
    for (auto _ : state) s.pointer(PointerPhase::drag, dragTarget(++i, inside));
    const auto& hud = s.session.interaction().hud();
    if (!hud || hud->detail != std::optional<std::string>("Join Body 1"))
        state.SkipWithError("the drag did not preview a join");
}

// A pointer move of the line tool with a segment under way, snapping against a sketch of 200
// lines: the snap, the preview line and its decoration, the HUD.
void BM_LineToolMoveEvent(benchmark::State& state) {
    Session s;
    Sketch sketch = polygonSketch(200);
    const Uuid id = sketch.id;
    s.session.interaction().mutate(
        "Add", [&](CADDocument& d) { d.sketches.push_back(std::move(sketch)); });
    s.session.editing().setActiveSketch(id);
    s.session.dispatch("tool.line");
    s.pointer(PointerPhase::move, {0, 0, 0});
    s.pointer(PointerPhase::down, {0, 0, 0});
    s.pointer(PointerPhase::up, {0, 0, 0});
    int i = 0;
    for (auto _ : state) {
        ++i;
        s.pointer(PointerPhase::move, {20 + 0.37 * (i % 40), 13 - 0.21 * (i % 30), 0});
    }
    if (!s.session.hud()) state.SkipWithError("the line tool showed no length");
}

// A drag event of the fillet tool on a face of a sphere of about 5 000 triangles. The blend is
// the kernel's, one boolean per edge of the face; a drag that changes nothing reuses the last
// blend, so the drag alternates Option (fillet, chamfer) to make every event work it out again.
void BM_FilletDragEvent(benchmark::State& state) {
    Session s;
    s.session.interaction().mutate("Add", [](CADDocument& d) {
        d.addBody(test::sphereMesh({0, 0, 0}, 50, 50, 50));
    });
    state.counters["triangles"] =
        static_cast<double>(s.session.document().bodies[0].mesh.triangleCount());
    s.session.dispatch("tool.fillet");
    const Vec3 onTop{0.3, 0.1, 49.99};
    s.pointer(PointerPhase::down, onTop);
    const bool recompute = state.range(0) != 0;
    int i = 0;
    for (auto _ : state) {
        const bool chamfer = recompute && ++i % 2;
        s.pointer(PointerPhase::drag, onTop, chamfer ? ModifierSet::option : ModifierSet{});
    }
    if (s.session.interaction().overlay().replacements.empty())
        state.SkipWithError("no blend was previewed");
}

// A drag event of the move tool on a body of about 100 000 triangles.
void BM_MoveDragEvent(benchmark::State& state) {
    Session s;
    s.session.interaction().mutate("Add", [](CADDocument& d) {
        d.addBody(test::sphereMesh({0, 0, 0}, 50, 224, 224));
    });
    state.counters["triangles"] =
        static_cast<double>(s.session.document().bodies[0].mesh.triangleCount());
    s.session.dispatch("tool.move");
    const Vec3 onTop{0.3, 0.1, 49.99};
    s.pointer(PointerPhase::down, onTop);
    int i = 0;
    for (auto _ : state) s.pointer(PointerPhase::drag, onTop + Vec3{i++ % 2 ? 6.0 : 4.0, 0, 0});
    if (s.session.interaction().overlay().replacements.empty())
        state.SkipWithError("the body never moved");
}

// The union tool on two overlapping spheres of about 20 000 triangles each, from activation
// with both selected to the recorded step.
void BM_UnionThroughTheTool(benchmark::State& state) {
    Session s;
    s.session.interaction().mutate("Add", [](CADDocument& d) {
        d.addBody(test::sphereMesh({0, 0, 0}, 50, 100, 100));
        d.addBody(test::sphereMesh({30, 10, 5}, 50, 100, 100));
    });
    for (auto _ : state) {
        s.session.dispatch("edit.selectAll");
        s.session.dispatch("tool.union");
        state.PauseTiming();
        if (s.session.document().bodies.size() != 1) state.SkipWithError("no union was made");
        s.session.dispatch("edit.undo");
        state.ResumeTiming();
    }
}

BENCHMARK(BM_PushPullDragEvent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilletDragEvent)->Arg(0)->Arg(1)->ArgName("recompute")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveDragEvent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnionThroughTheTool)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExtrudeDragEvent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtrudeDragEventOnABody)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineToolMoveEvent)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brontile
