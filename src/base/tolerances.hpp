// The absolute tolerances the model shares: lengths in millimetres, angles in radians. Every check
// of one rule names the same constant, so two places can never disagree on what counts as zero.
#pragma once

namespace brontile {

// Two points closer than this are one point; a length, distance or offset up to this is none.
// Far below anything a user draws, far above the rounding of coordinates of everyday size.
inline constexpr double kLengthTolerance = 1e-9;
// Unitless measures may overshoot their range by the same amount: segment and barycentric
// parameters, and the cosine (or squared sine) below which a direction runs parallel to a plane
// (or a line). Along a unit segment or a unit direction they are lengths.
inline constexpr double kParameterTolerance = kLengthTolerance;
// A segment whose squared length is below the square of the length tolerance is a point.
inline constexpr double kDegenerateSegmentLengthSquared = kLengthTolerance * kLengthTolerance;
static_assert(kDegenerateSegmentLengthSquared == 1e-18);

// A profile, loop or face enclosing no more than this has no area (mm²).
inline constexpr double kAreaTolerance = 1e-9;
// A solid enclosing no more than this has no volume (mm³).
inline constexpr double kVolumeTolerance = 1e-9;

// Below this length a direction cannot be normalised and is kept as it is. Much smaller than the
// length tolerance, so that the difference of two distinct points always has a direction.
inline constexpr double kNormalizeEpsilon = 1e-12;
// Below this a cross product or determinant is zero: the edges are parallel, the triangle or the
// system degenerate. It guards the same kind of division as normalising, so it is the same bound.
inline constexpr double kCrossProductTolerance = kNormalizeEpsilon;

// An angle may pass its bound (an arc's end) by this much.
inline constexpr double kAngleTolerance = 1e-8;

// No coordinate of a document lies farther out than this (mm): beyond it the triple products of
// a volume could overflow, and no part is modelled there.
inline constexpr double kMaxCoordinate = 1e90;

}  // namespace brontile
