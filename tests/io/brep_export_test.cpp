// STEP and IGES files read back by Open CASCADE: each closed visible body one valid closed solid
// with the body's volume, one face per mesh face (holes as inner loops), its name and colour; an
// open body a shell.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "geometry/rgba.hpp"
#include "io/mesh_export.hpp"
#include "support/brep_reader.hpp"
#include "support/export_documents.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

std::vector<test::ReadShape> exportAndRead(const CADDocument& document, InterchangeFormat format) {
    const test::ScratchDirectory scratch;
    const auto file = scratch.path() / ("export." + std::string(rawValue(format)));
    MeshExport::writeFile(document, format, file);
    return test::readBRepFile(file, format);
}

void expectColor(const test::ReadShape& read, const Body& body) {
    ASSERT_TRUE(read.color.has_value()) << "no colour";
    const RGBA color = BodyPalette::color(body.colorIndex);
    EXPECT_NEAR((*read.color)[0], color.r, 1e-3);
    EXPECT_NEAR((*read.color)[1], color.g, 1e-3);
    EXPECT_NEAR((*read.color)[2], color.b, 1e-3);
}

class BRepRoundTrip : public testing::TestWithParam<std::tuple<std::string, InterchangeFormat>> {};

TEST_P(BRepRoundTrip, EachVisibleBodyReadsBackAsTheSolidItIs) {
    const auto& [name, format] = GetParam();
    const CADDocument document = test::exportDocument(name);
    const std::vector<test::ReadShape> read = exportAndRead(document, format);
    const std::vector<Body> bodies = test::visibleBodies(document);
    ASSERT_EQ(read.size(), bodies.size()) << "one shape per visible body";
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const Body& body = bodies[i];
        const test::ReadShape& shape = read[i];
        SCOPED_TRACE(body.name);
        EXPECT_EQ(shape.name, body.name);
        EXPECT_EQ(shape.solids, 1);
        EXPECT_EQ(shape.shells, 1);
        EXPECT_TRUE(shape.valid);
        EXPECT_TRUE(shape.closed);
        // Triangulated faces come back whole, and the plate's tiled faces keep their holes.
        EXPECT_EQ(shape.faces, static_cast<int>(body.mesh.faces().size()));
        EXPECT_EQ(shape.wires, shape.faces + (name == "PlateWithHole" ? 2 : 0));
        EXPECT_NEAR(shape.volume, body.mesh.volume(), 1e-9 * body.mesh.volume());
        expectColor(shape, body);
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, BRepRoundTrip,
                         testing::Combine(testing::ValuesIn(test::exportDocumentNames()),
                                          testing::Values(InterchangeFormat::step,
                                                          InterchangeFormat::iges)),
                         [](const auto& testCase) {
                             return std::get<0>(testCase.param) + "_" +
                                    std::string(rawValue(std::get<1>(testCase.param)));
                         });

TEST(BRepExport, AnOpenBodyIsWrittenAsAShellBesideTheSolids) {
    CADDocument document = CADDocument::empty("Open");
    document.addBody(
        test::editedBoxMesh({0, 0, 0}, {10, 10, 10}, [](auto& faces) { faces.pop_back(); }),
        "Tray");
    document.addBody(test::boxMesh({20, 0, 0}, {30, 10, 10}), "Lid");
    for (const InterchangeFormat format : {InterchangeFormat::step, InterchangeFormat::iges}) {
        SCOPED_TRACE(rawValue(format));
        const std::vector<test::ReadShape> read = exportAndRead(document, format);
        ASSERT_EQ(read.size(), 2u);
        EXPECT_EQ(read[0].name, "Tray");
        EXPECT_EQ(read[0].solids, 0);
        EXPECT_EQ(read[0].shells, 1);
        EXPECT_EQ(read[0].faces, 5);
        EXPECT_FALSE(read[0].closed);
        EXPECT_EQ(read[1].solids, 1);
        EXPECT_NEAR(read[1].volume, 1000, 1e-6);
    }
}

TEST(BRepExport, NamesKeepEveryCharacterTheFormatCanCarry) {
    CADDocument document = CADDocument::empty("Names");
    document.addBody(test::boxMesh({0, 0, 0}, {1, 1, 1}), "Bob's \u201cB\u00fcgel\u201d\tA");
    // STEP strings carry any character; IGES is ASCII, so the others become "_".
    EXPECT_EQ(exportAndRead(document, InterchangeFormat::step).at(0).name,
              "Bob's \u201cB\u00fcgel\u201d\tA");
    EXPECT_EQ(exportAndRead(document, InterchangeFormat::iges).at(0).name, "Bob's _B_gel__A");
}

}  // namespace
}  // namespace brontile
