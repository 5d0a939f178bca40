// The built-in polygonal kernel: solids are meshes of planar faces, booleans are BSP booleans,
// and fillet, chamfer and shell are built from those booleans. Always available.
#pragma once

#include <string>

#include "kernel/geometry_kernel.hpp"

namespace brontile {

class PolyKernel final : public GeometryKernel {
public:
    using GeometryKernel::boolean;
    using GeometryKernel::chamfer;
    using GeometryKernel::fillet;
    using GeometryKernel::shell;

    // "BrontPoly".
    [[nodiscard]] const std::string& name() const override { return name_; }
    // Always true.
    [[nodiscard]] bool isAvailable() const override { return true; }

    // Faces: bottom cap, top cap, then one side quad per loop edge (the outer loop's, then each
    // hole's), each with a fresh id. Without holes a cap is one polygon, the outer loop; with
    // them it is the triangles tiling the region, and repeated points are dropped from every
    // loop. Throws invalidProfile for fewer than three points, |distance| ≤ 1e-9 mm, a region or
    // a hole enclosing no area (≤ 1e-9 mm²), a plane without a normal, or anything not finite.
    [[nodiscard]] SolidMesh extrude(const Profile& profile, double distance) const override;
    // Every vertex of the face moves by `distance` along the face's normal; faces, vertex order
    // and ids are kept. Throws faceNotFound, or degenerateResult for a non-finite distance.
    [[nodiscard]] SolidMesh pushPull(const SolidMesh& mesh, const FaceID& face,
                                     double distance) const override;
    // See meshBoolean: fresh face ids; degenerateResult for an empty operand or result, openResult
    // for a result whose surface cannot be closed.
    [[nodiscard]] SolidMesh boolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op,
                                    Progress& progress) const override;
    // max(8, ⌈sweep / (π/16)⌉) segments, each one wall quad per loop edge (the outer loop's,
    // then each hole's); a sweep within 1e-4 of a full turn closes onto its first ring without
    // caps, and larger angles are clamped to one turn. Caps are laid out as extrude's. Throws
    // invalidProfile for fewer than three points, |angle| ≤ 1e-6, a region with holes where it
    // or a hole encloses no area, or anything not finite; degenerateResult for a zero axis or a
    // result enclosing no volume (≤ 1e-9 mm³).
    [[nodiscard]] SolidMesh revolve(const Profile& profile, const Vec3& axisOrigin,
                                    const Vec3& axisDirection, double angle) const override;
    // Uses |distance|. Throws faceNotFound, or degenerateResult for a length ≤ 1e-6 mm, a
    // non-finite one, or an empty result. Edges not shared by exactly two faces, and edges whose
    // cut fails, are left as they are.
    [[nodiscard]] SolidMesh chamfer(const SolidMesh& mesh, const FaceID& face, double distance,
                                    Progress& progress) const override;
    // As chamfer, with a round of |radius| tangent to both faces; only convex edges are rounded.
    [[nodiscard]] SolidMesh fillet(const SolidMesh& mesh, const FaceID& face, double radius,
                                   Progress& progress) const override;
    // Removes the copy of the solid whose every face lies |thickness| further in. Throws
    // degenerateResult for |thickness| ≤ 1e-6 mm, a non-finite thickness, or a thickness that
    // leaves no cavity; otherwise the subtraction's errors.
    [[nodiscard]] SolidMesh shell(const SolidMesh& mesh, double thickness,
                                  Progress& progress) const override;

private:
    std::string name_ = "BrontPoly";
};

}  // namespace brontile
