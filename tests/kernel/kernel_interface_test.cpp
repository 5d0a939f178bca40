// The kernel interface as callers see it: error sentences and the exact-kernel slot that refuses
// everything.
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

TEST(KernelInterface, ErrorsDescribeThemselvesInTheUsersWords) {
    EXPECT_STREQ(KernelError::unavailable("no licence").what(),
                 "Geometry kernel unavailable: no licence");
    EXPECT_STREQ(KernelError::invalidProfile().what(),
                 "The selected region is not a closed profile.");
    EXPECT_STREQ(KernelError::degenerateResult().what(),
                 "The operation produced no solid geometry.");
    EXPECT_STREQ(KernelError::faceNotFound().what(), "The face no longer exists.");
}

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
            "Geometry kernel unavailable: OCCT is not linked in this build"))
            << i;
    }
}

}  // namespace
}  // namespace brontile
