// What a boolean needs of each operand: a closed surface that encloses volume, and which way it
// faces. The loops' winding says what is outside; stored face normals only say where each face's
// plane lies, so a face whose normal disagrees with its winding is taken the winding's way.
#pragma once

#include "geometry/solid_mesh.hpp"

namespace brontile::csg_detail {

// How an operand's loops are to be read.
enum class Winding {
    // As stored: counter-clockwise seen from outside.
    outward,
    // Every loop runs the other way, so the solid is the region the reversed loops enclose.
    inward,
};

// The winding of a closed operand. Throws KernelError::degenerateResult for a mesh without
// polygons, KernelError::openOperand when some edge is not matched
// by as many uses in the opposite direction (a gap in the surface: the operand has no inside),,
// KernelError::outOfRange when a coordinate is not finite, and KernelError::flatOperand when the
// loops enclose no volume (at most 1e-9 mm³ either way).
[[nodiscard]] Winding requireSolidOperand(const SolidMesh& mesh);

}  // namespace brontile::csg_detail
