// Byte and text layout of the STL and OBJ writers, the closedness check before any export, and
// the messages of refused exports.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <limits>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "io/mesh_check.hpp"
#include "io/mesh_export.hpp"
#include "support/document_fixtures.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/scratch_directory.hpp"
#include "support/test_data.hpp"

namespace brontile {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t readUInt(const Bytes& bytes, std::size_t at, int byteCount = 4) {
    std::uint32_t value = 0;
    for (int i = byteCount - 1; i >= 0; --i) value = (value << 8) | bytes.at(at + i);
    return value;
}

Vec3 readVector(const Bytes& bytes, std::size_t at) {
    const auto component = [&](std::size_t i) {
        return static_cast<double>(std::bit_cast<float>(readUInt(bytes, at + 4 * i)));
    };
    return {component(0), component(1), component(2)};
}

// One body of one face: the triangle a, b, c plus loops too short to be polygons.
SolidMesh triangleMesh(const Vec3& a, const Vec3& b, const Vec3& c) {
    return test::oneFaceMesh({a, b, c}, {{0, 1}, {0, 1, 2}, {}});
}

CADDocument documentWith(std::vector<SolidMesh> meshes) {
    auto document = CADDocument::empty("Export");
    for (auto& mesh : meshes) document.addBody(std::move(mesh));
    return document;
}

void expectRefused(const std::function<void()>& run, InterchangeError::Kind kind,
                   const std::string& message) {
    try {
        run();
        ADD_FAILURE() << "no error, expected: " << message;
    } catch (const InterchangeError& error) {
        EXPECT_EQ(error.kind(), kind);
        EXPECT_EQ(error.what(), message);
        // Only a coordinate out of range depends on the format asked for.
        EXPECT_EQ(error.format().has_value(), kind == InterchangeError::Kind::outOfRange);
    }
}

// Files as the writers write them today, held byte for byte against golden files written earlier.
// A change to a writer that is meant means regenerating them (BRONTILE_UPDATE_GOLDEN=1) and
// reading the diff.
TEST(MeshExportGolden, StlAndObjAreWrittenByteForByteAsBefore) {
    const CADDocument document = test::richDocument();
    const Bytes stl = MeshExport::stlData(document);
    EXPECT_TRUE(test::matchesGoldenFile("golden/rich.stl", std::string(stl.begin(), stl.end())));
    EXPECT_TRUE(test::matchesGoldenFile("golden/rich.obj", MeshExport::objString(document)));
}

// What the golden files do not show.
TEST(MeshExportStl, FloatsAreRoundedDegenerateNormalsZeroAndEmptyBodiesAddNothing) {
    const Bytes one = MeshExport::stlData(documentWith(
        {triangleMesh({0.1, -2e10, 1}, {0.1, -2e10, 1}, {3, 4, 5}), SolidMesh::empty()}));
    ASSERT_EQ(one.size(), 134u);
    EXPECT_EQ(readUInt(one, 80), 1u);
    EXPECT_EQ(readVector(one, 84), Vec3::zero);
    EXPECT_EQ(readVector(one, 96), Vec3(0.1f, -2e10f, 1.0f));
    EXPECT_EQ(readVector(one, 120), Vec3(3, 4, 5));
}

TEST(MeshExportObj, NamedObjectsRunningVertexNumbersSixDecimalsAndNoShortLoops) {
    const std::string obj = MeshExport::objString(
        documentWith({test::boxMesh({0, 0, 0}, {1, 1, 1}), test::boxMesh({2, 0, 0}, {3, 1, 1})}));
    ASSERT_TRUE(obj.starts_with("# Brontile OBJ export (mm)\no Body_1\nv 0.000000"));
    const auto second = obj.begin() + static_cast<std::ptrdiff_t>(obj.find("\no Body_2\n"));
    ASSERT_NE(second, obj.end());
    // Its six faces stay quads and use its own vertices, the file's 9th to 16th.
    const auto count = [&](const std::string& pattern) {
        const std::regex regex(pattern);
        return std::distance(std::sregex_iterator(second, obj.end(), regex), {});
    };
    EXPECT_EQ(count("\nf "), 6);
    EXPECT_EQ(count("\nf( (9|1[0-6])){4}(?=\n)"), 6) << obj;
    // Six decimals keep the sign of zero; short loops are skipped; names lose blanks.
    auto document = documentWith(
        {triangleMesh({1, 2.5, -4e-7}, {-0.0, 1e-7, 123456.0000004}, {-1234.5678916, 0, 0})});
    document.bodies[0].name = "My part\tA\r\nB";
    EXPECT_EQ(MeshExport::objString(document),
              "# Brontile OBJ export (mm)\no My_part_A__B\nv 1.000000 2.500000 -0.000000\n"
              "v -0.000000 0.000000 123456.000000\nv -1234.567892 0.000000 0.000000\nf 1 2 3\n");
}

// Every format refuses the same documents, and a refused export leaves the file it would have
// replaced as it was, with nothing beside it.
TEST(MeshExport, NothingVisibleTooManyTrianglesAndCoordinatesNoReaderCouldUseAreRefused) {
    const test::ScratchDirectory scratch;
    const auto old = test::writeBytes(scratch.path() / "old.out", "earlier");
    auto hidden = documentWith({test::boxMesh({0, 0, 0}, {1, 1, 1})});
    hidden.bodies[0].isVisible = false;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto bad = documentWith(
        {test::boxMesh({0, 0, 0}, {1, 1, 1}), triangleMesh({0, 0, 0}, {1, nan, 0}, {0, 1, 0})});
    using Kind = InterchangeError::Kind;
    for (const auto& [document, kind, message] :
         {std::tuple{hidden, Kind::nothingToExport, "There are no visible bodies to export."},
          {CADDocument::empty("None"), Kind::nothingToExport,
           "There are no visible bodies to export."},
          {bad, Kind::nonFiniteVertex,
           "The body \"Body 2\" has a vertex that is not a finite number."}}) {
        for (const InterchangeFormat format : allCases<InterchangeFormat>()) {
            SCOPED_TRACE(rawValue(format));
            expectRefused([&] { MeshExport::writeFile(document, format, old); }, kind, message);
        }
    }
    // However long the name, the message quotes only its start.
    auto longName = bad;
    longName.bodies[1].name = std::string(16 << 20, 'n');
    expectRefused(
        [&] { (void)MeshExport::objString(longName); }, Kind::nonFiniteVertex,
        "The body \"" + std::string(80, 'n') + "…\" has a vertex that is not a finite number.");
    expectRefused([] { (void)MeshExport::stlByteCount(MeshExport::kMaxStlTriangles + 1); },
                  Kind::tooManyTriangles,
                  "The visible bodies have too many triangles for an STL file.");
    EXPECT_EQ(MeshExport::stlByteCount(MeshExport::kMaxStlTriangles),
              84u + 50u * std::size_t{MeshExport::kMaxStlTriangles});
    // Beyond the 32-bit float range: fine as OBJ text, not as STL.
    const auto far = documentWith({triangleMesh({0, 0, 0}, {1e39, 0, 0}, {0, 1, 0})});
    expectRefused([&] { (void)MeshExport::stlData(far); }, Kind::outOfRange,
                  "The body \"Body 1\" lies too far from the origin for an STL file.");
    expectRefused([&] { (void)MeshExport::threeMFData(far); }, Kind::outOfRange,
                  "The body \"Body 1\" lies too far from the origin for a 3MF file.");
    // Open CASCADE takes coordinates beyond 1e100 for infinity and would write a broken solid.
    const auto farther = documentWith({test::boxMesh({1e101, 0, 0}, {2e101, 1, 1})});
    for (const auto& [format, article] :
         {std::pair{InterchangeFormat::step, "a STEP"}, {InterchangeFormat::iges, "an IGES"}}) {
        expectRefused([&] { MeshExport::writeFile(farther, format, old); }, Kind::outOfRange,
                      "The body \"Body 1\" lies too far from the origin for " +
                          std::string(article) + " file.");
    }
    EXPECT_EQ(test::readBytes(old), "earlier");
    EXPECT_EQ(test::entryNames(scratch.path()), std::set<std::string>{"old.out"});
    EXPECT_NE(MeshExport::objString(far).find(
                  "\nv 999999999999999939709166371603178586112.000000 0.000000 0.000000\n"),
              std::string::npos);
}

// Closed or open, checked before any export: every edge used once in each direction, counted per
// undirected edge.
TEST(MeshCheck, EachKindOfGapIsCountedAndOnlyVisibleOpenBodiesAreNamed) {
    const auto box = [](const std::function<void(std::vector<SolidFace>&)>& edit) {
        return test::editedBoxMesh({0, 0, 0}, {10, 10, 10}, edit);
    };
    CADDocument document = CADDocument::empty("parts");
    // Triangulated faces and seams inside a face are used both ways too.
    document.addBody(test::triangulatedBoxMesh({0, 0, 0}, {10, 10, 10}), "box");
    document.addBody(test::cylinderMesh({0, 0, 0}, 5, 8, 24), "cylinder");
    document.addBody(SolidMesh(), "nothing to be open");
    // A missing face leaves its four edges used once.
    document.addBody(box([](auto& faces) { faces.pop_back(); }), "missing face");
    // A face wound the wrong way uses its edges in the same direction as its neighbours.
    document.addBody(box([](auto& faces) { std::ranges::reverse(faces[0].polygons[0]); }),
                     "turned face");
    // A face given twice uses its edges three times.
    document.addBody(box([](auto& faces) { faces.push_back(faces[0]); }), "doubled face");
    document.bodies.back().isVisible = false;

    using Row = std::tuple<std::string, bool, bool, std::size_t>;
    std::vector<Row> rows;
    for (const BodyCheck& check : MeshCheck::bodies(document)) {
        rows.emplace_back(check.name, check.isVisible, check.mesh.closed, check.mesh.openEdges);
    }
    EXPECT_EQ(rows, (std::vector<Row>{{"box", true, true, 0},
                                      {"cylinder", true, true, 0},
                                      {"nothing to be open", true, true, 0},
                                      {"missing face", true, false, 4},
                                      {"turned face", true, false, 4},
                                      {"doubled face", false, false, 4}}));
    EXPECT_NEAR(MeshCheck::check(document.bodies[0].mesh).volume, 1000, 1e-9);
    EXPECT_EQ(MeshCheck::openVisibleBodies(document),
              (std::vector<std::string>{"missing face", "turned face"}));
}

// Upper-cased by hand: letters become capitals, digits stay.
TEST(InterchangeFormat, UnsupportedNamesTheFormatInCapitals) {
    for (const auto& [format, name] :
         {std::pair{InterchangeFormat::threeMF, "3MF"}, {InterchangeFormat::iges, "IGES"}}) {
        EXPECT_EQ(InterchangeError::unsupported(format).what(),
                  "This writer does not write " + std::string(name) + " files.");
    }
}

// A stop at any check of any writer leaves the file that was there; once the new file is whole
// on disk, a stop is refused and the file goes into place.
TEST(MeshExport, AStoppedExportLeavesTheFileThatWasThere) {
    const test::ScratchDirectory scratch;
    const auto old = test::writeBytes(scratch.path() / "old.out", "earlier");
    CADDocument document = documentWith({test::largeMesh(20'000)});
    for (const InterchangeFormat format : allCases<InterchangeFormat>()) {
        SCOPED_TRACE(rawValue(format));
        for (const std::uint64_t k : {0, 1, 2, 7, 30}) {
            Progress progress;
            progress.cancelAtCheck(k);
            try {
                MeshExport::writeFile(document, format, old, progress);
                // A writer with fewer checks than k runs to its end.
                EXPECT_GT(k, 0U);
                EXPECT_NE(test::readBytes(old), "earlier");
                test::writeBytes(old, "earlier");
            } catch (const Cancelled&) {
                EXPECT_EQ(test::readBytes(old), "earlier") << k;
            }
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path()), {}), 1);
    }
    Progress finishing;
    MeshExport::writeFile(documentWith({test::boxMesh({0, 0, 0}, {1, 1, 1})}),
                          InterchangeFormat::stl, old, finishing);
    EXPECT_FALSE(finishing.cancel());
    EXPECT_NE(test::readBytes(old), "earlier");
}

}  // namespace
}  // namespace brontile
