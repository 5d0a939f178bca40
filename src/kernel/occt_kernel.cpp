#include "kernel/occt_kernel.hpp"

#include "kernel/kernel_error.hpp"

namespace brontile {
namespace {

[[noreturn]] void refuse() {
    throw KernelError::unavailable("no exact-geometry kernel is built into this program");
}

}  // namespace

SolidMesh OCCTKernel::extrude(const Profile&, double) const { refuse(); }

SolidMesh OCCTKernel::pushPull(const SolidMesh&, const FaceID&, double) const { refuse(); }

SolidMesh OCCTKernel::boolean(const SolidMesh&, const SolidMesh&, BooleanOp, Progress&) const {
    refuse();
}

SolidMesh OCCTKernel::revolve(const Profile&, const Vec3&, const Vec3&, double) const { refuse(); }

SolidMesh OCCTKernel::chamfer(const SolidMesh&, const FaceID&, double, Progress&) const {
    refuse();
}

SolidMesh OCCTKernel::fillet(const SolidMesh&, const FaceID&, double, Progress&) const { refuse(); }

SolidMesh OCCTKernel::shell(const SolidMesh&, double, Progress&) const { refuse(); }

}  // namespace brontile
