// The constraint solver on the sketches a user draws: staircase chains of lines joined by
// tangent arcs, tied by coincidences, horizontals and verticals, equal radii and a few
// dimensions. Two situations: everything already holds except one newly added dimension (the
// solve after each drawn segment or typed value), and every point freshly perturbed.
#include <benchmark/benchmark.h>

#include "sketch/sketch_constraint_solver.hpp"
#include "staircase_sketch.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;
using bench::kStep;
using bench::perturbed;
using bench::staircase;

void report(benchmark::State& state, const Sketch& input) {
    Sketch solved = input;
    const auto result = SketchConstraintSolver::solve(solved);
    state.counters["entities"] = static_cast<double>(input.entities.size());
    state.counters["constraints"] = static_cast<double>(input.constraints.size());
    state.counters["iterations"] = result.iterations;
    state.counters["success"] = result.success ? 1 : 0;
}

void runSolve(benchmark::State& state, const Sketch& input) {
    for (auto _ : state) {
        Sketch sketch = input;
        benchmark::DoNotOptimize(SketchConstraintSolver::solve(sketch));
    }
    report(state, input);
}

void BM_SolveAfterNewDimension(benchmark::State& state) {
    Sketch sketch = staircase(static_cast<int>(state.range(0)));
    // The third entity is a line without a dimension yet.
    const auto& first = sketch.entities[2];
    sketch.constraints.push_back({SketchConstraintID::generate(),
                                  Kind::distance,
                                  {{first.id, Role::start}, {first.id, Role::end}},
                                  kStep + 1.5});
    runSolve(state, sketch);
}

void BM_SolvePerturbed(benchmark::State& state) {
    runSolve(state, perturbed(staircase(static_cast<int>(state.range(0)))));
}

BENCHMARK(BM_SolveAfterNewDimension)->Arg(10)->Arg(50)->Arg(150)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SolvePerturbed)->Arg(10)->Arg(50)->Arg(150)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brontile
