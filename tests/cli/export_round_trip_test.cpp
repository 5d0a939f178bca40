// Bodies as the modelling kernel makes them (a plate with a hole cut by a boolean, a revolved
// ring, a union whose faces are tiled by the pieces the boolean left) exported through the command
// line and read back by Open CASCADE: valid closed solids with the bodies' volumes, faces whole.
#include <gtest/gtest.h>

#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "cli/package_commands.hpp"
#include "io/native_package_io.hpp"
#include "kernel/poly_kernel.hpp"
#include "support/brep_reader.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/scratch_directory.hpp"

namespace brontile::cli {
namespace {

CADDocument kernelParts() {
    const PolyKernel kernel;
    CADDocument document = CADDocument::empty("Kernel parts");
    document.addBody(
        kernel.boolean(test::boxMesh({0, 0, 0}, {40, 30, 5}),
                       test::cylinderMesh({20, 15, -1}, 6, 7, 32), BooleanOp::subtract),
        "Plate");
    const Profile section{SketchPlane::xz, {{13, 3}, {15, 3}, {15, 7}, {13, 7}}, {}};
    document.addBody(kernel.revolve(section, {60, 0, 0}, {0, 0, 1}, 2 * std::numbers::pi), "Ring");
    document.addBody(test::boxMesh({0, 0, 0}, {1, 1, 1}), "Hidden");
    document.bodies.back().isVisible = false;
    document.addBody(kernel.boolean(test::boxMesh({0, 40, 0}, {20, 50, 10}),
                                    test::boxMesh({10, 45, 0}, {30, 60, 10}), BooleanOp::unite),
                     "Union");
    return document;
}

TEST(ExportRoundTrip, KernelBodiesReadBackAsValidSolids) {
    const CADDocument document = kernelParts();
    const test::ScratchDirectory scratch;
    const auto package = scratch.path() / "parts.brontdoc";
    static_cast<void>(NativePackageIO::save(document, package, currentDateTime()));
    for (const auto& [name, format] : {std::pair{"parts.step", InterchangeFormat::step},
                                       {"parts.igs", InterchangeFormat::iges}}) {
        SCOPED_TRACE(name);
        std::ostringstream err;
        ASSERT_EQ(exportPackage(package, scratch.path() / name, err), 0) << err.str();
        EXPECT_EQ(err.str(), "") << "every body is closed";
        const auto read = test::readBRepFile(scratch.path() / name, format);
        ASSERT_EQ(read.size(), 3u);
        for (std::size_t i = 0; const Body& body : document.bodies) {
            if (!body.isVisible) continue;
            const test::ReadShape& shape = read[i++];
            SCOPED_TRACE(body.name);
            EXPECT_EQ(shape.name, body.name);
            EXPECT_EQ(shape.solids, 1);
            EXPECT_TRUE(shape.valid);
            EXPECT_TRUE(shape.closed);
            EXPECT_NEAR(shape.volume, body.mesh.volume(), 1e-6 * body.mesh.volume());
            EXPECT_LE(shape.faces, static_cast<int>(body.mesh.faces().size()));
        }
        // The plate's top and bottom are each one face around the hole, not its triangles.
        EXPECT_EQ(read[0].wires, read[0].faces + 2);
    }
}

}  // namespace
}  // namespace brontile::cli
