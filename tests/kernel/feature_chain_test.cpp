// The stress harness in the suite: random chains of features and booleans on random parts at
// every scale end with a closed part or a clear refusal, never an open one. The benchmark runs
// many more and times them.
#include <gtest/gtest.h>

#include "support/feature_chains.hpp"

namespace brontile {
namespace {

// The checking build runs some thirty times slower: fewer chains there.
#ifdef NDEBUG
constexpr std::uint32_t kChains = 24;
#else
constexpr std::uint32_t kChains = 3;
#endif

TEST(FeatureChains, EveryStepEndsClosedOrRefused) {
    std::size_t made = 0;
    for (std::uint32_t seed = 1; seed <= kChains; ++seed) {
        for (const test::ChainStep& step : test::FeatureChain(seed).run(6)) {
            EXPECT_TRUE(step.closed || step.refusal.has_value())
                << "chain " << seed << ": " << step.operation << " left an open part";
            if (step.closed) ++made;
        }
    }
    // Refusals are for what cannot be done, not the usual outcome.
    EXPECT_GT(made, kChains * 3);
}

}  // namespace
}  // namespace brontile
