// Invariant checks stop the program in every build, optimised ones included, and say where.
#include <gtest/gtest.h>

#include "base/invariant.hpp"

namespace brontile {
namespace {

int checkedHalf(int even) {
    BRONTILE_INVARIANT(even % 2 == 0, "an odd number where an even one is required");
    return even / 2;
}

TEST(InvariantCheckDeathTest, ABrokenInvariantStopsTheProgramNamingTheRule) {
    EXPECT_EQ(checkedHalf(4), 2);
    EXPECT_DEATH((void)checkedHalf(3),
                 "internal error at .*invariant_test\\.cpp:[0-9]+: an odd number where an even "
                 "one is required \\(even % 2 == 0\\)");
    EXPECT_DEATH(BRONTILE_UNREACHABLE("a case outside the enumeration"),
                 "a case outside the enumeration \\(unreachable\\)");
}

}  // namespace
}  // namespace brontile
