#include "kernel/solid_operand.hpp"

#include <cmath>

#include "base/tolerances.hpp"
#include "kernel/kernel_error.hpp"
#include "kernel/seam_repair.hpp"

namespace brontile::csg_detail {
namespace {

// The volume the loops enclose by their own winding: fans from each loop's first vertex add up
// to the loop's exact signed area whatever its shape, so no triangulation is needed. Taken about
// a vertex of the mesh rather than the origin, so that a part far from the origin is not lost in
// the rounding of products of large coordinates.
double woundVolume(const SolidMesh& mesh) {
    const auto& vertices = mesh.vertices();
    if (vertices.empty()) return 0;
    const Vec3 origin = vertices.front();
    const auto at = [&](VertexIndex i) { return vertices[static_cast<std::size_t>(i)] - origin; };
    double sixfold = 0;
    for (const SolidFace& face : mesh.faces()) {
        for (const PolygonLoop& loop : face.polygons) {
            for (std::size_t i = 1; i + 1 < loop.size(); ++i) {
                sixfold += at(loop[0]).dot(at(loop[i]).cross(at(loop[i + 1])));
            }
        }
    }
    return sixfold / 6;
}

}  // namespace

Winding requireSolidOperand(const SolidMesh& mesh) {
    // No surface at all leaves nothing to combine, as an empty result does.
    if (mesh.isEmpty()) throw KernelError::degenerateResult();
    if (!everyEdgePartnered(mesh.faces(), mesh.vertices().size())) throw KernelError::openOperand();
    const double volume = woundVolume(mesh);
    // Only coordinates that are not finite, or far too large, make the volume so.
    if (!std::isfinite(volume)) throw KernelError::outOfRange();
    if (!(std::abs(volume) > kVolumeTolerance)) throw KernelError::flatOperand();
    return volume > 0 ? Winding::outward : Winding::inward;
}

}  // namespace brontile::csg_detail
