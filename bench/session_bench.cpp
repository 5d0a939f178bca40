// The session's central loop on large documents: recording edits (each a full before/after
// snapshot in the history), what the history costs in memory, and the first pick after a large
// body changed (its pick tree is built then).
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <fstream>
#include <memory>
#include <string>

#include "session/document_session.hpp"
#include "session/scripted_platform.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

// Resident memory of the process in bytes, from /proc.
double residentBytes() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE));
}

std::size_t meshBytes(const SolidMesh& mesh) {
    std::size_t bytes = mesh.vertices().size() * sizeof(Vec3);
    for (const SolidFace& face : mesh.faces()) {
        bytes += sizeof(SolidFace);
        for (const PolygonLoop& loop : face.polygons) bytes += loop.size() * sizeof(VertexIndex);
    }
    return bytes;
}

// 500 consecutive recorded moves of one of 50 bodies of 20 000 triangles each. The moved meshes
// are made before the clock runs: the time is the session's (copying, comparing and recording
// the document), not the kernel's; historyMB is the resident memory the 500 snapshots add.
void BM_RecordedEdits(benchmark::State& state) {
    constexpr int kBodies = 50;
    constexpr int kEdits = 500;
    ScriptedPlatform platform{DateTime{}};
    double historyBytes = 0;
    double documentBytes = 0;
    double editedMeshBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<DocumentSession>(
            platform, KeymapStore(KeymapProfile::builtInFallback()));
        session->interaction().mutate("Add", [&](CADDocument& d) {
            for (int i = 0; i < kBodies; ++i) {
                d.addBody(test::largeMesh(20'000).translated({30.0 * i, 0, 0}));
            }
        });
        std::vector<SolidMesh> moved;
        for (int e = 0; e < kEdits; ++e) {
            moved.push_back(
                session->document().bodies[e % kBodies].mesh.translated({0, 1.0 + e, 0}));
        }
        documentBytes = 0;
        for (const Body& b : session->document().bodies) documentBytes += double(meshBytes(b.mesh));
        editedMeshBytes = 0;
        for (const SolidMesh& m : moved) editedMeshBytes += double(meshBytes(m));
        const double before = residentBytes();
        state.ResumeTiming();
        for (int e = 0; e < kEdits; ++e) {
            session->interaction().mutate("Move", [&](CADDocument& d) {
                d.bodies[static_cast<std::size_t>(e % kBodies)].mesh =
                    moved[static_cast<std::size_t>(e)];
            });
        }
        state.PauseTiming();
        // The moved meshes now live only in the history (and the document).
        moved.clear();
        moved.shrink_to_fit();
        historyBytes = residentBytes() - before;
        session.reset();
        state.ResumeTiming();
    }
    state.counters["edits"] = kEdits;
    state.counters["perEdit_us"] = benchmark::Counter(
        kEdits, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["historyMB"] = historyBytes / 1e6;
    state.counters["documentMB"] = documentBytes / 1e6;
    // The meshes the edits made, which the history keeps for undo; made before the clock ran,
    // so historyMB above is the snapshots' own cost.
    state.counters["editedMeshesMB"] = editedMeshBytes / 1e6;
}

// The first pick after a body of a million triangles was moved: its tree is built for the new
// mesh, then reused by every copy holding it (undo snapshots, the document).
void BM_FirstPickAfterEditingALargeBody(benchmark::State& state) {
    ScriptedPlatform platform{DateTime{}};
    DocumentSession session(platform, KeymapStore(KeymapProfile::builtInFallback()));
    session.interaction().mutate("Add",
                                 [&](CADDocument& d) { d.addBody(test::largeMesh(1'000'000)); });
    const Ray ray({-50, -50, 50}, {1, 1, -1});
    static_cast<void>(session.interaction().hitTest(ray));
    int e = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const SolidMesh moved =
            session.document().bodies[0].mesh.translated({++e % 2 ? 1e-3 : -1e-3, 0, 0});
        session.interaction().mutate("Move", [&](CADDocument& d) { d.bodies[0].mesh = moved; });
        state.ResumeTiming();
        benchmark::DoNotOptimize(session.interaction().hitTest(ray));
    }
}

BENCHMARK(BM_RecordedEdits)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FirstPickAfterEditingALargeBody)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace
}  // namespace brontile
