// The absolute tolerances the model shares. Lengths are millimetres.
#pragma once

namespace brontile {

// Below this length a direction cannot be normalised and is kept as it is.
inline constexpr double kNormalizeEpsilon = 1e-12;
// Squared length below which a segment counts as a point (a length of 1e-9 mm).
inline constexpr double kDegenerateSegmentLengthSquared = 1e-18;

}  // namespace brontile
