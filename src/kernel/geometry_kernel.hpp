// The one interface through which every solid is created or changed. Kernels are stateless:
// each operation takes values and returns a new mesh or throws a KernelError. The operations that
// can take long (booleans, fillet, chamfer, shell) report to a Progress and check it every few
// milliseconds of work, throwing Cancelled once a stop was asked for; without one they run to
// their end.
#pragma once

#include <string>

#include "base/progress.hpp"

#include "geometry/solid_mesh.hpp"
#include "geometry/vec3.hpp"
#include "kernel/boolean_op.hpp"
#include "sketch/profile.hpp"

namespace brontile {

class GeometryKernel {
public:
    GeometryKernel() = default;
    GeometryKernel(const GeometryKernel&) = delete;
    GeometryKernel& operator=(const GeometryKernel&) = delete;
    virtual ~GeometryKernel() = default;

    // The name the status bar shows.
    [[nodiscard]] virtual const std::string& name() const = 0;
    [[nodiscard]] virtual bool isAvailable() const = 0;

    // A prism: the profile's loop swept along the plane normal by `distance` mm (negative sweeps
    // the other way).
    [[nodiscard]] virtual SolidMesh extrude(const Profile& profile, double distance) const = 0;
    // The face moved along its normal by `distance` mm, its neighbours stretching with it.
    [[nodiscard]] virtual SolidMesh pushPull(const SolidMesh& mesh, const FaceID& face,
                                             double distance) const = 0;
    // a ∪ b, a − b or a ∩ b.
    [[nodiscard]] virtual SolidMesh boolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op,
                                            Progress& progress) const = 0;
    // The profile swept about the axis through `axisOrigin` along `axisDirection` (any length)
    // by `angle` radians, right-hand rule; the sense follows the sign.
    [[nodiscard]] virtual SolidMesh revolve(const Profile& profile, const Vec3& axisOrigin,
                                            const Vec3& axisDirection, double angle) const = 0;
    // Every edge of the face cut off flat, `distance` mm back along both faces.
    [[nodiscard]] virtual SolidMesh chamfer(const SolidMesh& mesh, const FaceID& face,
                                            double distance, Progress& progress) const = 0;
    // Every edge of the face rounded with `radius` mm.
    [[nodiscard]] virtual SolidMesh fillet(const SolidMesh& mesh, const FaceID& face, double radius,
                                           Progress& progress) const = 0;
    // The solid hollowed out, leaving walls `thickness` mm thick and no opening.
    [[nodiscard]] virtual SolidMesh shell(const SolidMesh& mesh, double thickness,
                                          Progress& progress) const = 0;

    // The long operations run to their end.
    [[nodiscard]] SolidMesh boolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op) const {
        Progress whole;
        return boolean(a, b, op, whole);
    }
    [[nodiscard]] SolidMesh chamfer(const SolidMesh& mesh, const FaceID& face,
                                    double distance) const {
        Progress whole;
        return chamfer(mesh, face, distance, whole);
    }
    [[nodiscard]] SolidMesh fillet(const SolidMesh& mesh, const FaceID& face, double radius) const {
        Progress whole;
        return fillet(mesh, face, radius, whole);
    }
    [[nodiscard]] SolidMesh shell(const SolidMesh& mesh, double thickness) const {
        Progress whole;
        return shell(mesh, thickness, whole);
    }
};

}  // namespace brontile
