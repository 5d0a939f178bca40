// Export of one 100 000-triangle body to each format a person can pick: the bytes of the mesh
// formats (the file itself is written by the same atomic write for every format), and whole files
// for STEP and IGES, whose writer only writes files.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

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

void BM_ExportFile100k(benchmark::State& state, InterchangeFormat format) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("brontile-export-bench." + std::string(rawValue(format)));
    for (auto _ : state) MeshExport::writeFile(largeDocument(), format, file);
    std::filesystem::remove(file);
}
BENCHMARK_CAPTURE(BM_ExportFile100k, step, InterchangeFormat::step)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_ExportFile100k, iges, InterchangeFormat::iges)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace brontile
