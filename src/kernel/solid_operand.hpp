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
// by as many uses in the opposite direction (a gap in the surface: the operand has no inside), and
// KernelError::flatOperand when the loops enclose no volume (at most 1e-9 mm³ either way).
[[nodiscard]] Winding requireSolidOperand(const SolidMesh& mesh);

// The sum of the cross products around the face's loops (Newell's method), in the loops' own
// order: twice the face's area along its wound normal. Zero for a face that encloses nothing.
[[nodiscard]] Vec3 woundAreaVector(const SolidMesh& mesh, const SolidFace& face);

}  // namespace brontile::csg_detail
