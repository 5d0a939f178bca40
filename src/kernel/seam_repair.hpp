// Closes the cracks a BSP boolean leaves in its result. Where a cut split one polygon along an
// edge but not its neighbour across it, a vertex sits in the middle of the neighbour's edge (a
// T-junction); where cuts met within the on-plane tolerance, two ends of what should be one
// vertex lie a few micrometres apart and a sliver between them is missing. Both leave edges
// without a partner running the other way. Repairing only those edges leaves the closed parts of
// the surface exactly as they were.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/solid_mesh.hpp"
#include "kernel/boolean_tolerances.hpp"
#include "kernel/work_pacer.hpp"

namespace brontile::csg_detail {

// First merges the ends of unpartnered edges that lie within kSeamTolerance of each other (into
// the lowest-numbered one), dropping loops that collapse below three distinct vertices and faces
// left without loops, and drops the loops along unpartnered edges that enclose nothing (every
// vertex within kSeamTolerance of one line); then threads into every unpartnered edge the ends of
// other unpartnered edges lying strictly inside it, in order along the edge; then untangles the
// loops and fills the thin cracks that are left (see crack_fill.hpp); last joins the ends of
// edges still not used once each way that lie within kCrackWidth of each other. Vertex positions
// are not changed. Returns whether every edge is then used exactly once each way.
// Checks the pacer between the passes.
[[nodiscard]] bool closeSeams(const std::vector<Vec3>& vertices, std::vector<SolidFace>& faces,
                              WorkPacer& pacer);

// A directed edge as one number that sorts edges by their source vertex.
[[nodiscard]] constexpr std::uint64_t edgeCode(VertexIndex source, VertexIndex target) {
    return (static_cast<std::uint64_t>(source) << 32) | static_cast<std::uint64_t>(target);
}
[[nodiscard]] constexpr VertexIndex edgeSource(std::uint64_t code) {
    return static_cast<VertexIndex>(code >> 32);
}
[[nodiscard]] constexpr VertexIndex edgeTarget(std::uint64_t code) {
    return static_cast<VertexIndex>(code & 0xFFFFFFFFU);
}

// Every directed edge used more often than its reverse (as an edgeCode), once per
// surplus use, sorted. Every loop vertex must be below `vertexCount`.
[[nodiscard]] std::vector<std::uint64_t> unpartneredEdges(const std::vector<SolidFace>& faces,
                                                          std::size_t vertexCount);

// Whether a → b or b → a is among `open`, as unpartneredEdges gives them.
[[nodiscard]] bool isOpenEdge(const std::vector<std::uint64_t>& open, VertexIndex a, VertexIndex b);

// Whether every directed edge of the loops is matched by as many uses the other way: the surface
// has no crack for closeSeams to close. Every loop vertex must be below `vertexCount`.
[[nodiscard]] bool everyEdgePartnered(const std::vector<SolidFace>& faces, std::size_t vertexCount);

}  // namespace brontile::csg_detail
