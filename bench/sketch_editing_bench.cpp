// Editing a sketch as a user does, on staircase chains of lines and tangent arcs. Reading its
// degrees of freedom (and which curves and points are pinned) after every change: staircase chains
// of lines and tangent arcs as a user draws them, with 100, 200 and 300 constraints and one end
// held; with most lengths free, and with every line dimensioned so that the whole chain is pinned.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "sketch/sketch_constraint_factory.hpp"
#include "sketch/sketch_drag.hpp"
#include "sketch/sketch_freedom.hpp"
#include "staircase_sketch.hpp"

namespace brontile {
namespace {

// Every line given its length and every arc made tangent to the line after it too: with the first
// point held, the whole chain is pinned.
void dimensionEveryLine(Sketch& sketch) {
    for (std::size_t i = 1; i + 1 < sketch.entities.size(); i += 2) {
        sketch.constraints.push_back({SketchConstraintID::generate(),
                                      SketchConstraintKind::tangent,
                                      {{sketch.entities[i + 1].id, SketchParamRole::entity},
                                       {sketch.entities[i].id, SketchParamRole::center}},
                                      std::nullopt});
    }
    for (const SketchEntity& e : sketch.entities) {
        if (!e.isLine()) continue;
        const SketchEntity only[] = {e};
        const auto involved = sketch.constraintsInvolving({e.id});
        if (std::ranges::none_of(involved,
                                 [](const SketchConstraint& c) { return c.isDimension(); })) {
            sketch.constraints.push_back(
                *SketchConstraintFactory::make(SketchConstraintKind::distance, only));
        }
    }
}

// The first staircase with at least `constraints` constraints, its first point held.
Sketch heldStaircase(std::size_t constraints, bool dimensioned) {
    Sketch sketch;
    for (int entities = 2; sketch.constraints.size() < constraints; ++entities) {
        sketch = bench::staircase(entities);
        if (dimensioned) dimensionEveryLine(sketch);
        const SketchEntity& first = sketch.entities.front();
        sketch.constraints.push_back(
            *SketchConstraintFactory::makeFix(first, SketchParamRole::start));
    }
    return sketch;
}

void BM_DegreesOfFreedom(benchmark::State& state) {
    const Sketch sketch =
        heldStaircase(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) benchmark::DoNotOptimize(analyzeFreedom(sketch));
    const SketchFreedom freedom = analyzeFreedom(sketch);
    state.counters["entities"] = static_cast<double>(sketch.entities.size());
    state.counters["constraints"] = static_cast<double>(sketch.constraints.size());
    state.counters["degrees"] = static_cast<double>(freedom.degrees);
    state.counters["pinned"] = static_cast<double>(freedom.determinedEntities.size());
}

// Second argument: 0 leaves most lengths free, 1 dimensions every line.
BENCHMARK(BM_DegreesOfFreedom)
    ->ArgsProduct({{100, 200, 300}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// One pointer event of a drag: a line's end in the middle of a chain of 50, 100 and 150 curves,
// pulled a little further each event as a pointer moves, the chain following through its
// coincidences and tangents.
void BM_DragEvent(benchmark::State& state) {
    const Sketch sketch = bench::staircase(static_cast<int>(state.range(0)));
    const std::size_t middle = sketch.entities.size() / 2 & ~std::size_t{1};
    const SketchEntity& line = sketch.entities[middle];
    const Vec2 grab = std::get<SketchLine>(line.geometry).end;
    SketchDrag drag(sketch, {line.id, SketchParamRole::end}, grab);
    int event = 0;
    int held = 0;
    for (auto _ : state) {
        // Out and back, 0.1 mm per event.
        const double t = 0.1 * (event % 100 < 50 ? event % 100 : 100 - event % 100);
        held += drag.moveTo(grab + Vec2{t, 0.5 * t}) ? 1 : 0;
        ++event;
    }
    state.counters["entities"] = static_cast<double>(sketch.entities.size());
    state.counters["constraints"] = static_cast<double>(sketch.constraints.size());
    state.counters["held"] = static_cast<double>(held) / std::max(event, 1);
}

// Taking hold: the pattern of the system each event solves is laid out once per drag.
void BM_DragStart(benchmark::State& state) {
    const Sketch sketch = bench::staircase(static_cast<int>(state.range(0)));
    const SketchEntity& line = sketch.entities[sketch.entities.size() / 2 & ~std::size_t{1}];
    for (auto _ : state) {
        benchmark::DoNotOptimize(SketchDrag(sketch, {line.id, SketchParamRole::end},
                                            std::get<SketchLine>(line.geometry).end));
    }
}

BENCHMARK(BM_DragEvent)->Arg(50)->Arg(100)->Arg(150)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragStart)->Arg(150)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brontile
