// The exact-kernel slot as callers see it: unavailable, refusing everything with the reason.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "kernel/kernel_error.hpp"
#include "kernel/occt_kernel.hpp"
#include "kernel/poly_kernel.hpp"
#include "support/error_checks.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

TEST(KernelInterface, TheExactKernelIsUnavailableAndRefusesEveryOperation) {
    const OCCTKernel k;
    EXPECT_FALSE(k.isAvailable());
    EXPECT_TRUE(PolyKernel().isAvailable());
    const SolidMesh box = test::boxMesh({0, 0, 0}, {10, 10, 10});
    const FaceID top = box.faces()[1].id;
    const Profile square{SketchPlane::xy, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {}};
    const std::vector<std::function<SolidMesh()>> operations{
        [&] { return k.extrude(square, 5); },
        [&] { return k.pushPull(box, top, 1); },
        [&] { return k.boolean(box, box, BooleanOp::unite); },
        [&] { return k.revolve(square, {}, Vec3::unitY, 1); },
        [&] { return k.chamfer(box, top, 1); },
        [&] { return k.fillet(box, top, 1); },
        [&] { return k.shell(box, 1); },
    };
    for (std::size_t i = 0; i < operations.size(); ++i) {
        EXPECT_TRUE(test::throwsKind<KernelError>(
            operations[i], KernelError::Kind::unavailable,
            "Geometry kernel unavailable: no exact-geometry kernel is built into this program"))
            << i;
    }
}

}  // namespace
}  // namespace brontile
