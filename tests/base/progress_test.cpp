#include "base/progress.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace brontile {
namespace {

TEST(Progress, ReportsAndStopsWhenAskedFromAnotherThread) {
    Progress progress;
    progress.setPhase("Rounding edges");
    progress.setFraction(1.5);
    EXPECT_EQ(progress.fraction(), 1.0);
    progress.setFraction(std::nan(""));
    EXPECT_EQ(progress.fraction(), 0.0);
    ProgressSpan(progress, 0.5, 1).part(1, 4).setFraction(0.5);
    EXPECT_DOUBLE_EQ(progress.fraction(), 0.6875);
    EXPECT_EQ(progress.phase(), "Rounding edges");
    EXPECT_EQ(progress.checks(), 3U);
    std::thread([&] { progress.cancel(); }).join();
    EXPECT_TRUE(progress.isCancelled());
    EXPECT_THROW(progress.check(), Cancelled);
}

TEST(Progress, AnArmedStopFallsOnItsCheck) {
    Progress progress;
    progress.check();
    progress.cancelAtCheck(2);
    progress.check();
    progress.check();
    EXPECT_FALSE(progress.isCancelled());
    EXPECT_THROW(progress.check(), Cancelled);
    EXPECT_STREQ(Cancelled().what(), "Cancelled");
}

// A stop and a commit race; whichever comes first wins, and the loser hears of it.
TEST(Progress, ACommittedOperationCannotBeStoppedAndAStoppedOneCannotCommit) {
    Progress committed;
    committed.commit();
    EXPECT_FALSE(committed.cancel());
    EXPECT_NO_THROW(committed.check());
    Progress stopped;
    EXPECT_TRUE(stopped.cancel());
    EXPECT_TRUE(stopped.cancel());
    EXPECT_THROW(stopped.commit(), Cancelled);
}

}  // namespace
}  // namespace brontile
