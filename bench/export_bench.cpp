// Export of one 100 000-triangle body to each format a person can pick, writing the bytes (the
// file itself is written by the same atomic write for every format).
#include <benchmark/benchmark.h>

#include "io/mesh_export.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

const CADDocument& largeDocument() {
    static const CADDocument document = [] {
        CADDocument d = CADDocument::empty("large");
        d.addBody(test::largeMesh(100'000));
        return d;
    }();
    return document;
}

void BM_ExportStl100k(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(MeshExport::stlData(largeDocument()));
}
BENCHMARK(BM_ExportStl100k)->Unit(benchmark::kMillisecond);

void BM_ExportObj100k(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(MeshExport::objString(largeDocument()));
}
BENCHMARK(BM_ExportObj100k)->Unit(benchmark::kMillisecond);

void BM_Export3mf100k(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(MeshExport::threeMFData(largeDocument()));
}
BENCHMARK(BM_Export3mf100k)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brontile
