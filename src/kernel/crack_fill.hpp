// The last repairs of a boolean's surface, after its seams are closed: loops that visit a vertex
// twice, and cracks too wide for the seam tolerance yet far too thin to be meant (where cuts met
// at a grazing angle and their ends drifted apart along the seam).
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/solid_mesh.hpp"

namespace brontile::csg_detail {

// Removes from every loop the tips of spikes along the cracks (`open`, the faces' unpartnered
// edges as unpartneredEdges gives them): a vertex at the end of an unpartnered edge whose two
// neighbours lie the same way from it, the nearer within kSpikeWidth of the line to the farther
// (the loop ran out and came back along its own way). Returns whether it removed any.
bool cutSpikeTips(const std::vector<Vec3>& vertices, const std::vector<std::uint64_t>& open,
                  std::vector<SolidFace>& faces);

// Cuts off every spike (a loop running x → y → x, which encloses nothing), then splits a loop
// that still visits some vertex twice into loops that each visit it once. Loops left with fewer
// than three distinct vertices and faces left without loops are dropped. No edge's surplus of
// uses one way over the other changes.
void untangleLoops(std::vector<SolidFace>& faces);

// Fills every hole of the surface (`open` are the faces' unpartnered edges, as unpartneredEdges
// gives them) whose width (four times its area over its perimeter) is at most kCrackWidth with a
// strip of triangles, each joined to the face that owns the hole's longest edge. Wider holes are
// left open.
void fillThinCracks(const std::vector<Vec3>& vertices, const std::vector<std::uint64_t>& open,
                    std::vector<SolidFace>& faces);

// Far below any feature a part is drawn with, and ten times the on-plane tolerance that the
// drift along a seam comes from.
inline constexpr double kCrackWidth = 1e-4;

}  // namespace brontile::csg_detail
