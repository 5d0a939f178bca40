// Solid booleans on meshes: both operands through the BSP booleans and back into one mesh.
#pragma once

#include "base/progress.hpp"
#include "geometry/solid_mesh.hpp"
#include "kernel/boolean_op.hpp"

namespace brontile {

// a ∪ b, a − b or a ∩ b. Every face of the result is new (fresh ids); coplanar pieces share one
// face. Each operand must be closed and enclose volume (KernelError::openOperand,
// KernelError::flatOperand); its loops' winding, not its stored normals, says what is outside.
// Throws KernelError::degenerateResult when an operand has no polygons or the result is
// empty or encloses no volume (|volume| ≤ 1e-9 mm³), KernelError::openResult when the seams of
// the result cannot all be closed, and KernelError::outOfRange when a coordinate is not finite or
// too large for the vertex weld; KernelError::workBound when a pass reaches the bound its input
// sets on its work.
[[nodiscard]] SolidMesh meshBoolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op);
// The same, checking `progress` every few milliseconds of work: Cancelled once a stop was asked.
[[nodiscard]] SolidMesh meshBoolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op,
                                    Progress& progress);

}  // namespace brontile
