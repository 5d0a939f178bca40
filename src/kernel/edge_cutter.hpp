// Fillet and chamfer: each edge of a face is cut away by subtracting a prism that runs along the
// edge, its section the corner between the two faces that meet there.
#pragma once

#include <optional>

#include "base/progress.hpp"
#include "geometry/solid_mesh.hpp"
#include "geometry/vec3.hpp"

namespace brontile::kernel_detail {

enum class EdgeBlend {
    // Flat: the wedge between the edge and the two lines `distance` back along the faces.
    chamfer,
    // Round: the region between the edge and the arc of radius `distance` tangent to both faces.
    fillet,
};

// Straight pieces in a fillet's arc.
inline constexpr int kFilletSegments = 6;

// The closed, outward-wound prism over the edge a→b of `mesh` (exactly from a to b) whose
// section is the blend's corner region. n0 is the outward normal of the face whose outline runs
// a→b, n1 that of its neighbour running b→a; `distance` is the blend's length in mm (positive).
// Nothing when the edge is shorter than 1e-9 mm, when the faces meet within 1e-3 rad of flat or
// of folded onto each other, or when the edge is concave.
[[nodiscard]] std::optional<SolidMesh> edgeCutter(const SolidMesh& mesh,
                                                  const SolidMesh::Edge& edge, const Vec3& n0,
                                                  const Vec3& n1, double distance, EdgeBlend blend);

// The mesh with every outline edge of the face cut away that it shares with exactly one other
// face (wound the other way along it): one subtraction per edge in outline order, each cutter
// built from the input mesh. An edge whose subtraction fails stays as it was; when no edge is
// cut the input comes back unchanged, otherwise every face is new. Throws
// KernelError::faceNotFound for an unknown face, and KernelError::degenerateResult for a
// distance not above 1e-6 mm, a non-finite one, or an empty result. Reports the share of edges
// done to `progress` and checks it within every subtraction.
[[nodiscard]] SolidMesh bevel(const SolidMesh& mesh, const FaceID& face, double distance,
                              EdgeBlend blend, Progress& progress);

}  // namespace brontile::kernel_detail
