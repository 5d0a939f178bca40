// Whole-document copies and comparisons: every edit copies the document and every undo step keeps
// one, so both must cost in proportion to what changed, not to the size of the meshes.
#include <benchmark/benchmark.h>

#include "document/cad_document.hpp"
#include "document/document_json.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

CADDocument documentOf(int bodies, int trianglesPerBody) {
    CADDocument doc = CADDocument::empty("Benchmark");
    for (int i = 0; i < bodies; ++i) {
        doc.addBody(test::largeMesh(trianglesPerBody).translated({0, 0, 10.0 * i}));
    }
    return doc;
}

const CADDocument& fiftyBodies() {
    static const CADDocument doc = documentOf(50, 10'000);
    return doc;
}

void BM_CopyDocument(benchmark::State& state) {
    const CADDocument& doc = fiftyBodies();
    for (auto _ : state) {
        CADDocument copy = doc;
        benchmark::DoNotOptimize(copy);
    }
    state.counters["triangles"] = static_cast<double>(50 * doc.bodies[0].mesh.triangleCount());
}
BENCHMARK(BM_CopyDocument);

void BM_CompareSharedCopy(benchmark::State& state) {
    const CADDocument& doc = fiftyBodies();
    const CADDocument copy = doc;
    for (auto _ : state) benchmark::DoNotOptimize(copy == doc);
}
BENCHMARK(BM_CompareSharedCopy);

// A snapshot after one body moved: 49 meshes still shared, one compared in full.
void BM_CopyMoveOneBodyAndCompare(benchmark::State& state) {
    const CADDocument& doc = fiftyBodies();
    for (auto _ : state) {
        CADDocument copy = doc;
        copy.bodies[7].mesh = copy.bodies[7].mesh.translated({1, 0, 0});
        benchmark::DoNotOptimize(copy == doc);
    }
}
BENCHMARK(BM_CopyMoveOneBodyAndCompare)->Unit(benchmark::kMicrosecond);

// The worst case: equal documents that share nothing, compared vertex by vertex.
void BM_CompareUnsharedEqualDocuments(benchmark::State& state) {
    const CADDocument& doc = fiftyBodies();
    CADDocument deep = doc;
    for (Body& b : deep.bodies) b.mesh = SolidMesh(b.mesh.vertices(), b.mesh.faces());
    for (auto _ : state) benchmark::DoNotOptimize(deep == doc);
}
BENCHMARK(BM_CompareUnsharedEqualDocuments)->Unit(benchmark::kMillisecond);

// Writing and reading document.json for the same document (the save and open paths).
void BM_WriteDocumentJson(benchmark::State& state) {
    const CADDocument& doc = fiftyBodies();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = toJsonText(doc);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_WriteDocumentJson)->Unit(benchmark::kMillisecond);

void BM_ReadDocumentJson(benchmark::State& state) {
    const std::string text = toJsonText(fiftyBodies());
    for (auto _ : state) {
        const auto doc = fromJsonText<CADDocument>(text);
        benchmark::DoNotOptimize(doc.bodies.data());
    }
}
BENCHMARK(BM_ReadDocumentJson)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brontile
