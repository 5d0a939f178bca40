// The stress harness timed: random chains of features and booleans (fillet, chamfer, shell,
// union, subtract, intersect, pattern, revolve) on random parts at scales from 0.01 mm to
// 10 000 mm. Reports the longest single operation, the longest on a part of at most 20 000
// triangles, and how many steps left an open part (which must be none).
#include <benchmark/benchmark.h>

#include "support/feature_chains.hpp"

namespace brontile {
namespace {

void BM_FeatureChains(benchmark::State& state) {
    const auto chains = static_cast<std::uint32_t>(state.range(0));
    double longest = 0;
    double longestSmall = 0;
    std::size_t steps = 0;
    std::size_t open = 0;
    std::size_t refused = 0;
    std::size_t unclosable = 0;
    for (auto _ : state) {
        for (std::uint32_t seed = 1; seed <= chains; ++seed) {
            for (const test::ChainStep& step : test::FeatureChain(seed).run(8)) {
                ++steps;
                longest = std::max(longest, step.milliseconds);
                if (step.triangles <= 20000)
                    longestSmall = std::max(longestSmall, step.milliseconds);
                if (!step.closed && !step.refusal) ++open;
                if (step.refusal) ++refused;
                if (step.refusal == KernelError::Kind::openResult ||
                    step.refusal == KernelError::Kind::workBound) {
                    ++unclosable;
                }
            }
        }
    }
    state.counters["steps"] = static_cast<double>(steps);
    state.counters["longestMs"] = longest;
    state.counters["longestMsUpTo20k"] = longestSmall;
    state.counters["open"] = static_cast<double>(open);
    state.counters["refused"] = static_cast<double>(refused);
    // Refusals because the kernel could not close its result, rather than for the input.
    state.counters["unclosable"] = static_cast<double>(unclosable);
}

BENCHMARK(BM_FeatureChains)->Arg(200)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace brontile
