// The booleans' own tolerances, far coarser than the model's, and how they follow from one
// another: BSP cuts leave vertices micrometres off their planes, so the result is welded and its
// seams are closed to match.
#pragma once

namespace brontile::csg_detail {

// Points closer to a splitting plane than this (mm along its normal) lie on it.
inline constexpr double kOnPlaneTolerance = 1e-5;
// Vertices this close (mm) count as one where the surface is cracked, and a vertex this close to
// an edge's line lies on it: cracks come from cuts that met within the on-plane tolerance, so
// they are never wider.
inline constexpr double kSeamTolerance = kOnPlaneTolerance;
// Where a loop runs out to a vertex and comes back within this distance (mm) of the way it
// went, the excursion is a spike: a cut point may lie the on-plane tolerance off each of the two
// planes that made it, so spikes come a little wider than the seam tolerance.
inline constexpr double kSpikeWidth = 4 * kOnPlaneTolerance;

// Result vertices are welded on a grid of this many cells per mm, finer than the on-plane
// tolerance: ends the cuts left within that tolerance but in different cells are the cracks the
// seam repair closes.
inline constexpr double kVertexGrid = 1e6;
// Result polygons join one face when their planes agree on a grid of this many cells per unit of
// each normal component and per mm of offset.
inline constexpr double kPlaneGrid = 1e4;
// Unit normals whose dot product exceeds this are the same plane: normals that round to one cell
// of the plane grid differ by up to about √2 / kPlaneGrid rad, and 1 − cos θ ≈ θ² / 2.
inline constexpr double kSamePlaneDot = 1 - 1 / (kPlaneGrid * kPlaneGrid);
static_assert(kSamePlaneDot == 1 - 1e-8);

}  // namespace brontile::csg_detail
