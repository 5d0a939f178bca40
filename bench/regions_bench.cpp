// Finding the regions of a sketch from the arrangement of its curves: a 500-curve plate drawing
// (a frame, rows of holes, slots, ribs across and overlapping bosses), and the same with the
// curves' count scaled, as extrude and offset do on the first hover after a change.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "sketch/profile_finder.hpp"

namespace brontile {
namespace {

SketchEntity line(Vec2 a, Vec2 b) { return {SketchEntityID::generate(), SketchLine{a, b}, false}; }

// About `curves` curves: in a grid of cells, each cell a circle, a smaller circle overlapping
// it, an arc closed by a line, and a rib line running across the whole row.
Sketch plateDrawing(int curves) {
    Sketch sketch{Uuid::random(), "Plate", SketchPlane::xy, {}, true, {}};
    const int cells = std::max(1, curves / 4);
    const int side = static_cast<int>(std::ceil(std::sqrt(cells)));
    const double pitch = 20;
    for (int k = 0; k < cells; ++k) {
        const Vec2 c{pitch * (k % side), pitch * (k / side)};
        sketch.entities.push_back({SketchEntityID::generate(), SketchCircle{c, 6}, false});
        sketch.entities.push_back(
            {SketchEntityID::generate(), SketchCircle{c + Vec2{6, 0}, 4}, false});
        const SketchArc arc{c + Vec2{0, 10}, 4, 0, std::numbers::pi};
        sketch.entities.push_back({SketchEntityID::generate(), arc, false});
        if (k % side == 0) {
            sketch.entities.push_back(line(c + Vec2{-10, 3}, c + Vec2{pitch * side, 3}));
        } else {
            sketch.entities.push_back(line(arc.endPoint(), arc.startPoint()));
        }
    }
    return sketch;
}

void BM_Regions(benchmark::State& state) {
    const Sketch sketch = plateDrawing(static_cast<int>(state.range(0)));
    std::size_t regions = 0;
    for (auto _ : state) {
        const auto found = ProfileFinder::profiles(sketch);
        regions = found.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["curves"] = static_cast<double>(sketch.entities.size());
    state.counters["regions"] = static_cast<double>(regions);
}

BENCHMARK(BM_Regions)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brontile
