// What the import tests share: a document to write with our own exporters, and the check that
// what comes back is the closed solid, name and colour that went out.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "geometry/rgba.hpp"
#include "io/imported_part.hpp"
#include "io/mesh_check.hpp"
#include "io/mesh_export.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/scratch_directory.hpp"

namespace brontile::test {

// Two boxes in different palette colours; the second's name is not ASCII, which STEP and 3MF
// carry as it is.
inline CADDocument twoBoxDocument() {
    CADDocument document = CADDocument::empty("Import");
    document.addBody(boxMesh({1, 2, 3}, {11, 22, 33}), "Bracket");
    document.addBody(boxMesh({20, -5, 0}, {25.5, 0, 4}), "Lid gr\u00fcn");
    return document;
}

// The file `format` writes of `document`, named `fileName` in `scratch`.
inline std::filesystem::path exportedAs(const ScratchDirectory& scratch,
                                        const CADDocument& document, InterchangeFormat format,
                                        const std::string& fileName) {
    const std::filesystem::path file = scratch.path() / fileName;
    MeshExport::writeFile(document, format, file);
    return file;
}

struct Kept {
    // Every face of the source is one face of the body read back.
    bool faces = false;
    bool namesAndColors = false;
    // How far a colour channel may move on the way (what the format rounds away).
    double colorTolerance = 0;
};

// One closed body per body of `document`, in order, each of the same volume (within 1e-9) and,
// as far as the format keeps them, with the same faces, name and colour.
inline void expectBodiesOf(const ImportedPart& part, const CADDocument& document, Kept kept) {
    ASSERT_EQ(part.bodies.size(), document.bodies.size());
    for (std::size_t i = 0; i < part.bodies.size(); ++i) {
        const Body& sent = document.bodies[i];
        const ImportedBody& read = part.bodies[i];
        SCOPED_TRACE(sent.name);
        const MeshCheckResult check = MeshCheck::check(read.mesh);
        EXPECT_TRUE(check.closed) << check.openEdges << " open edges";
        EXPECT_NEAR(check.volume, sent.mesh.volume(), 1e-9 * sent.mesh.volume());
        if (kept.faces) {
            EXPECT_EQ(read.mesh.faces().size(), sent.mesh.faces().size());
        }
        if (!kept.namesAndColors) continue;
        EXPECT_EQ(read.name, sent.name);
        ASSERT_TRUE(read.color.has_value()) << "no colour";
        const RGBA expected = BodyPalette::color(sent.colorIndex);
        EXPECT_NEAR(read.color->r, expected.r, kept.colorTolerance);
        EXPECT_NEAR(read.color->g, expected.g, kept.colorTolerance);
        EXPECT_NEAR(read.color->b, expected.b, kept.colorTolerance);
        EXPECT_EQ(read.color->a, 1.0f);
    }
}

}  // namespace brontile::test
