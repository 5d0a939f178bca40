// Whether a sketch's geometry, as stored, satisfies its constraints.
#pragma once

#include <gtest/gtest.h>

#include "sketch/sketch.hpp"

namespace brontile::test {

// Every row of every constraint's residual, measured on the sketch's stored entities, is at most
// `tolerance`. The failure names each violated constraint by position and kind with its
// residual. Constraints that cannot apply (missing entities, no value) add no rows.
testing::AssertionResult isSolved(const Sketch& sketch, double tolerance = 1e-6);

}  // namespace brontile::test
