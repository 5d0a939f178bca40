// Sweeping a drilled plate into a solid: the extrude tool rebuilds the solid on every drag event,
// and a region's holes make its caps the triangulation of the whole region with holes.
#include <benchmark/benchmark.h>

#include "geometry/triangulator.hpp"
#include "kernel/poly_kernel.hpp"
#include "support/region_fixtures.hpp"

namespace brontile {
namespace {

// A 250 × 125 plate with a columns × columns / 2 grid of Ø8 holes drawn as 64-gons.
Profile drilledPlate(int columns) {
    const Vec2 min{0, 0}, max{250, 125};
    return {SketchPlane::xy,
            test::rectangleLoop(min, max),
            {},
            {},
            test::holeGrid(min, max, columns, columns / 2, 4)};
}

void BM_TriangulateDrilledPlate(benchmark::State& state) {
    const Profile plate = drilledPlate(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Triangulator::triangulateWithHoles(plate.loop, plate.holes));
    }
    state.counters["holes"] = static_cast<double>(plate.holes.size());
}

void BM_ExtrudeDrilledPlate(benchmark::State& state) {
    const Profile plate = drilledPlate(static_cast<int>(state.range(0)));
    const PolyKernel kernel;
    for (auto _ : state) benchmark::DoNotOptimize(kernel.extrude(plate, 10));
    state.counters["holes"] = static_cast<double>(plate.holes.size());
    state.counters["triangles"] = static_cast<double>(kernel.extrude(plate, 10).triangleCount());
}

BENCHMARK(BM_TriangulateDrilledPlate)->Arg(2)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtrudeDrilledPlate)->Arg(2)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brontile
