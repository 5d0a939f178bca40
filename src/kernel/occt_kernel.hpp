// The slot for an exact-geometry kernel. None is built into the program (Open CASCADE is linked
// for the file formats only), so it reports itself unavailable and refuses every operation.
#pragma once

#include <string>

#include "kernel/geometry_kernel.hpp"

namespace brontile {

class OCCTKernel final : public GeometryKernel {
public:
    using GeometryKernel::boolean;
    using GeometryKernel::chamfer;
    using GeometryKernel::fillet;
    using GeometryKernel::shell;

    // "OpenCascade".
    [[nodiscard]] const std::string& name() const override { return name_; }
    // Always false.
    [[nodiscard]] bool isAvailable() const override { return false; }

    // Each of these throws KernelError::unavailable("no exact-geometry kernel is built into this
    // program").
    [[nodiscard]] SolidMesh extrude(const Profile& profile, double distance) const override;
    [[nodiscard]] SolidMesh pushPull(const SolidMesh& mesh, const FaceID& face,
                                     double distance) const override;
    [[nodiscard]] SolidMesh boolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op,
                                    Progress& progress) const override;
    [[nodiscard]] SolidMesh revolve(const Profile& profile, const Vec3& axisOrigin,
                                    const Vec3& axisDirection, double angle) const override;
    [[nodiscard]] SolidMesh chamfer(const SolidMesh& mesh, const FaceID& face, double distance,
                                    Progress& progress) const override;
    [[nodiscard]] SolidMesh fillet(const SolidMesh& mesh, const FaceID& face, double radius,
                                   Progress& progress) const override;
    [[nodiscard]] SolidMesh shell(const SolidMesh& mesh, double thickness,
                                  Progress& progress) const override;

private:
    std::string name_ = "OpenCascade";
};

}  // namespace brontile
