// Reading STL and OBJ: what our own writers write comes back as the same closed solids, the
// variants other programs write are read, and damaged files are refused with a line to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "io/mesh_assembly.hpp"
#include "io/mesh_check.hpp"
#include "io/mesh_export.hpp"
#include "io/obj_import.hpp"
#include "io/stl_import.hpp"
#include "support/document_fixtures.hpp"
#include "support/error_checks.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

using test::refusalMessage;

std::span<const std::byte> bytesOf(std::string_view data) {
    return {reinterpret_cast<const std::byte*>(data.data()), data.size()};
}

ImportedPart stl(std::string_view data, ImportUnit unit = ImportUnit::millimeters) {
    Progress progress;
    return StlImport::parse(bytesOf(data), unit, progress);
}

ImportedPart obj(std::string_view data, ImportUnit unit = ImportUnit::millimeters) {
    Progress progress;
    return ObjImport::parse(bytesOf(data), unit, progress);
}

// The corners of a box's twelve triangles, wound outwards.
std::vector<Vec3> boxCorners(const Vec3& min, const Vec3& max) {
    const SolidMesh mesh = test::triangulatedBoxMesh(min, max);
    std::vector<Vec3> corners;
    for (const auto& t : mesh.allTriangles()) {
        for (const VertexIndex v : {t.a, t.b, t.c}) {
            corners.push_back(mesh.vertices()[static_cast<std::size_t>(v)]);
        }
    }
    return corners;
}

void appendFloat(std::string& out, double value) {
    const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
    for (int i = 0; i < 4; ++i) out += static_cast<char>((bits >> (8 * i)) & 0xFFu);
}

// A binary STL whose header claims `count` triangles, whatever the records hold.
std::string binaryStl(const std::vector<Vec3>& corners, std::uint32_t count,
                      std::string header = "binary") {
    header.resize(80, '\0');
    std::string out = header;
    for (int i = 0; i < 4; ++i) out += static_cast<char>((count >> (8 * i)) & 0xFFu);
    for (std::size_t t = 0; t + 2 < corners.size(); t += 3) {
        for (int k = 0; k < 3; ++k) appendFloat(out, 0);  // a normal the reader must not need
        for (std::size_t k = 0; k < 3; ++k) {
            for (double v : {corners[t + k].x, corners[t + k].y, corners[t + k].z}) {
                appendFloat(out, v);
            }
        }
        out += std::string(2, '\0');
    }
    return out;
}

std::string textSolid(std::string_view name, const std::vector<Vec3>& corners,
                      std::string_view end = "\n") {
    std::string out = "solid ";
    out += name;
    out += end;
    for (std::size_t t = 0; t + 2 < corners.size(); t += 3) {
        out += "  facet normal 0 0 1";  // wrong on purpose: the winding decides
        out += end;
        out += "    outer   loop";
        out += end;
        for (std::size_t k = 0; k < 3; ++k) {
            const Vec3& p = corners[t + k];
            out += "      vertex " + std::to_string(p.x) + "\t" + std::to_string(p.y) + " " +
                   std::to_string(p.z);
            out += end;
        }
        out += "    endloop";
        out += end;
        out += "  endfacet";
        out += end;
        out += end;  // a blank line between facets
    }
    out += "endsolid ";
    out += name;
    out += end;
    return out;
}

void expectClosedSolid(const SolidMesh& mesh, double volume, std::size_t faces,
                       double tolerance = 1e-9) {
    const MeshCheckResult check = MeshCheck::check(mesh);
    EXPECT_TRUE(check.closed) << check.openEdges << " open edges";
    EXPECT_NEAR(check.volume, volume, tolerance * std::abs(volume));
    EXPECT_EQ(mesh.faces().size(), faces);
}

// What one of the export documents must come back as. Coordinates a float holds exactly keep
// the volume to rounding; curved bodies' sines and cosines lose what a float cannot hold. Face
// counts are those of the planes each document's bodies have (a ring's tops are one plane each
// however many segments its faces were), 0 where no count is fixed.
struct RoundTrip {
    double tolerance = 1e-9;
    std::size_t faces = 0;
};

RoundTrip expectedRoundTrip(const std::string& name) {
    if (name == "OneBox") return {1e-9, 6};
    if (name == "TwoBodies") return {1e-9, 12};
    if (name == "PolygonFaces") return {1e-9, 8};
    if (name == "PlateWithHole") return {1e-9, 10};
    if (name == "RevolvedRing") return {1e-6, 24 * 2 + 2};
    return {1e-6, 0};
}

void expectSolidWithin(const SolidMesh& mesh, double volume, RoundTrip expected) {
    const MeshCheckResult check = MeshCheck::check(mesh);
    EXPECT_TRUE(check.closed) << check.openEdges << " open edges";
    EXPECT_NEAR(check.volume, volume, expected.tolerance * std::abs(volume));
    if (expected.faces > 0) {
        EXPECT_EQ(mesh.faces().size(), expected.faces);
    }
}

TEST(MeshAssembly, TwelveTrianglesWeldIntoACubeAndRepeatedOrFlatOnesAreDropped) {
    std::vector<Vec3> corners = boxCorners({0, 0, 0}, {2, 3, 4});
    ASSERT_EQ(corners.size(), 36u);
    expectClosedSolid(MeshAssembly::fromTriangles(corners), 24, 6);
    // A repeat of the first triangle, one with two corners the same, one with no area.
    corners.insert(corners.end(), {corners[0], corners[1], corners[2]});
    corners.insert(corners.end(), {{0, 0, 0}, {0, 0, 0}, {2, 0, 0}});
    corners.insert(corners.end(), {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    const SolidMesh mesh = MeshAssembly::fromTriangles(corners);
    EXPECT_EQ(mesh.vertices().size(), 8u);
    expectClosedSolid(mesh, 24, 6);
}

TEST(MeshImportRoundTrip, OurStlAndObjReadBackAsTheSameClosedSolids) {
    for (const std::string& name : test::exportDocumentNames()) {
        SCOPED_TRACE(name);
        const CADDocument document = test::exportDocument(name);
        const std::vector<Body> bodies = test::visibleBodies(document);
        const RoundTrip expected = expectedRoundTrip(name);

        // STL has no objects: every body comes back in one, their shells side by side.
        const std::vector<std::uint8_t> stlBytes = MeshExport::stlData(document);
        const ImportedPart fromStl =
            stl({reinterpret_cast<const char*>(stlBytes.data()), stlBytes.size()});
        ASSERT_EQ(fromStl.bodies.size(), 1u);
        EXPECT_EQ(fromStl.bodies[0].name, "");
        double volume = 0;
        for (const Body& body : bodies) volume += body.mesh.volume();
        expectSolidWithin(fromStl.bodies[0].mesh, volume, expected);

        // OBJ keeps each body an object of its own, its name's blanks made underscores.
        const ImportedPart fromObj = obj(MeshExport::objString(document));
        ASSERT_EQ(fromObj.bodies.size(), bodies.size());
        for (std::size_t i = 0; i < bodies.size(); ++i) {
            std::string written = bodies[i].name;
            std::ranges::replace(written, ' ', '_');
            EXPECT_EQ(fromObj.bodies[i].name, written);
            expectSolidWithin(fromObj.bodies[i].mesh, bodies[i].mesh.volume(),
                              {expected.tolerance, bodies.size() == 1 ? expected.faces : 0});
        }
    }
}

TEST(StlImport, BinaryRecordsAreCountedFromTheFileNotItsHeader) {
    const std::vector<Vec3> cube = boxCorners({0, 0, 0}, {1, 2, 3});
    // Claims too many, claims too few, starts like text, has bytes after the last record.
    for (const std::string& data : {binaryStl(cube, 1000), binaryStl(cube, 3),
                                    binaryStl(cube, 12, "solid cube") + std::string(2, '\0'),
                                    binaryStl(cube, 0, "solid cube") + "trailing bytes!"}) {
        const ImportedPart part = stl(data);
        ASSERT_EQ(part.bodies.size(), 1u);
        expectClosedSolid(part.bodies[0].mesh, 6, 6);
    }
}

TEST(StlImport, TextWithCrlfBlanksAndSeveralSolidsGivesABodyPerSolid) {
    const std::string data = textSolid("first part", boxCorners({0, 0, 0}, {1, 1, 1}), "\r\n") +
                             "\r\n" + textSolid("", boxCorners({5, 0, 0}, {7, 1, 1}), "\r\n");
    const ImportedPart part = stl(data);
    ASSERT_EQ(part.bodies.size(), 2u);
    EXPECT_EQ(part.bodies[0].name, "first part");
    EXPECT_EQ(part.bodies[1].name, "");
    expectClosedSolid(part.bodies[0].mesh, 1, 6);
    expectClosedSolid(part.bodies[1].mesh, 2, 6);
    // Keywords in capitals, as a few old writers have them.
    std::string shouting = textSolid("loud", boxCorners({0, 0, 0}, {1, 1, 1}));
    for (const std::string_view word : {"solid", "facet", "outer", "loop", "vertex", "end"}) {
        std::string upper(word);
        std::ranges::transform(upper, upper.begin(),
                               [](char c) { return static_cast<char>(c - 'a' + 'A'); });
        for (auto at = shouting.find(word); at != shouting.npos; at = shouting.find(word, at)) {
            shouting.replace(at, word.size(), upper);
        }
    }
    EXPECT_EQ(stl(shouting).bodies.size(), 1u);
}

TEST(MeshImport, InchesAreScaledToMillimetres) {
    const std::vector<Vec3> cube = boxCorners({0, 0, 0}, {1, 2, 3});
    const double inchCubed = 25.4 * 25.4 * 25.4;
    expectClosedSolid(stl(binaryStl(cube, 12), ImportUnit::inches).bodies.at(0).mesh, 6 * inchCubed,
                      6);
    expectClosedSolid(stl(textSolid("a", cube), ImportUnit::inches).bodies.at(0).mesh,
                      6 * inchCubed, 6);
    const SolidMesh fromObj =
        obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n",
            ImportUnit::inches)
            .bodies.at(0)
            .mesh;
    expectClosedSolid(fromObj, inchCubed / 6, 4);
}

TEST(StlImport, DamagedEmptyAndUnreasonableFilesAreRefused) {
    const std::vector<Vec3> cube = boxCorners({0, 0, 0}, {1, 1, 1});
    std::vector<Vec3> notANumber = cube;
    notANumber[4].y = std::nan("");
    std::vector<Vec3> tooFar = cube;
    tooFar[7].z = 2e9;
    const std::string text = textSolid("a", cube);
    // Cut right after the second corner of the first facet (line 5).
    const std::string truncated = text.substr(0, text.find("vertex", text.find("vertex") + 1));
    const auto refused = [](const std::string& data) {
        return refusalMessage<ImportError>([&] { return stl(data); });
    };
    EXPECT_EQ(refused(""), "the file is empty");
    EXPECT_EQ(refused(binaryStl({}, 0)), "the file holds no triangles");
    EXPECT_EQ(refused("solid a\nendsolid a\n"), "the file holds no triangles");
    EXPECT_EQ(refused("solid"), "the file is neither STL text nor long enough for binary STL");
    EXPECT_EQ(refused(binaryStl(notANumber, 12)), "triangle 2: a coordinate is not finite");
    EXPECT_EQ(refused(binaryStl(tooFar, 12)), "triangle 3: a coordinate lies beyond 1e9 mm");
    EXPECT_EQ(refused(textSolid("a", notANumber)), "line 13: a coordinate is not finite");
    EXPECT_EQ(refused(truncated), "line 6: expected vertex, but the file ends");
    std::string damaged = text;
    damaged.replace(damaged.find("endloop"), 7, "vertex 1 2 3\n    endlop");
    EXPECT_EQ(refused(damaged), "line 8: expected vertex or endloop");
    EXPECT_EQ(refused("solid a\n facet normal 0 0 1\n  outer loop\n   vertex 1 2\n"),
              "line 4: a vertex needs three numbers");
}

TEST(ObjImport, PolygonsOfAnySizeEveryCornerFormAndRelativeIndices) {
    // A unit cube of quads, in the four corner forms, its top named by relative indices.
    const std::string cube =
        "# comment\r\nv 0 0 0\r\nv 1 0 0\r\nv 1 1 0\r\nv 0 1 0\r\n"
        "v 0 0 1\r\nv 1 0 1 1.0\r\nv 1 1 1\r\nv 0 1 1  # after a vertex\r\nvt 0 0\r\nvn 0 0 1\r\n"
        "f 1 4 3 2\r\nf 1/1 2/1 6/1 5/1\r\nf 2//1 3//1 7//1 6//1\r\nf 3/1/1 4/1/1 8/1/1 7/1/1\r\n"
        "f 4 1 5 8\r\nf -4 -3 -2 -1\r\n";
    expectClosedSolid(obj(cube).bodies.at(0).mesh, 1, 6);

    // A prism on a regular pentagon: two five-corner faces and five quads.
    std::string prism;
    for (const double z : {0.0, 2.0}) {
        for (int k = 0; k < 5; ++k) {
            const double angle = 2 * std::numbers::pi * k / 5;
            prism += "v " + std::to_string(std::cos(angle)) + " " +
                     std::to_string(std::sin(angle)) + " " + std::to_string(z) + "\n";
        }
    }
    prism += "f 5 4 3 2 1\nf 6 7 8 9 10\n";
    for (int k = 1; k <= 5; ++k) {
        const int next = k % 5 + 1;
        prism += "f " + std::to_string(k) + " " + std::to_string(next) + " " +
                 std::to_string(next + 5) + " " + std::to_string(k + 5) + "\n";
    }
    const double pentagonArea = 2.5 * std::sin(2 * std::numbers::pi / 5);
    expectClosedSolid(obj(prism).bodies.at(0).mesh, 2 * pentagonArea, 7, 1e-5);
}

TEST(ObjImport, EachNamedObjectIsABodyAndFacesBeforeAnyNameMakeOne) {
    const std::string tetrahedron = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n";
    const std::string faces = "f -4 -2 -3\nf -4 -3 -1\nf -4 -1 -2\nf -3 -2 -1\n";
    const ImportedPart part = obj(tetrahedron + faces + "o first\n" + tetrahedron + faces +
                                  "o\ng   second group \n" + tetrahedron + faces + "g empty\n");
    ASSERT_EQ(part.bodies.size(), 3u);
    EXPECT_EQ(part.bodies[0].name, "");
    EXPECT_EQ(part.bodies[1].name, "first");
    EXPECT_EQ(part.bodies[2].name, "second group");
    for (const ImportedBody& body : part.bodies) expectClosedSolid(body.mesh, 1.0 / 6, 4);
}

TEST(ObjImport, MissingVerticesBadNumbersAndFilesWithoutFacesAreRefused) {
    const auto refused = [](const std::string& data) {
        return refusalMessage<ImportError>([&] { return obj(data); });
    };
    const std::string three = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    EXPECT_EQ(refused(""), "the file is empty");
    EXPECT_EQ(refused(three + "# no faces\n"), "the file holds no faces");
    EXPECT_EQ(refused(three + "\n\n\nf 1 2 3\nf 1 2 12\n"), "line 8: vertex 12 does not exist");
    EXPECT_EQ(refused(three + "f 0 1 2\n"), "line 4: vertex 0 does not exist");
    EXPECT_EQ(refused(three + "f -4 1 2\n"), "line 4: vertex -4 does not exist");
    EXPECT_EQ(refused(three + "f 1 2\n"), "line 4: a face needs three corners");
    EXPECT_EQ(refused(three + "f 1 x 2\n"), "line 4: a face corner needs a vertex number");
    EXPECT_EQ(refused("v 0 nan 0\n"), "line 1: a coordinate is not finite");
    EXPECT_EQ(refused("v 0 1e400 0\n"), "line 1: a coordinate is not finite");
    EXPECT_EQ(refused("v 0 0\n"), "line 1: a vertex needs three numbers");
    EXPECT_EQ(refused("v 0 0 1,5\n"), "line 1: a vertex needs three numbers");
}

TEST(MeshImport, FilesOnDiskAreReadWholeAndMissingOnesRefused) {
    const test::ScratchDirectory folder;
    const auto stlFile = test::writeBytes(folder.path() / "cube.stl",
                                          binaryStl(boxCorners({0, 0, 0}, {1, 2, 3}), 12));
    const auto objFile = test::writeBytes(folder.path() / "cube.obj",
                                          MeshExport::objString(test::exportDocument("OneBox")));
    Progress progress;
    expectClosedSolid(StlImport::read(stlFile, ImportUnit::millimeters, progress).bodies.at(0).mesh,
                      6, 6);
    expectClosedSolid(ObjImport::read(objFile, ImportUnit::millimeters, progress).bodies.at(0).mesh,
                      6000, 6);
    EXPECT_EQ(refusalMessage<ImportError>([&] {
                  return StlImport::read(folder.path() / "none.stl", ImportUnit::millimeters,
                                         progress);
              }),
              "the file cannot be read");
}

TEST(MeshImport, AStopAskedForEndsTheReading) {
    const std::vector<Vec3> cube = boxCorners({0, 0, 0}, {1, 1, 1});
    const std::string binary = binaryStl(cube, 12);
    const std::string text = MeshExport::objString(test::exportDocument("OneBox"));
    Progress progress;
    progress.cancel();
    EXPECT_THROW((void)StlImport::parse(bytesOf(binary), ImportUnit::millimeters, progress),
                 Cancelled);
    EXPECT_THROW((void)ObjImport::parse(bytesOf(text), ImportUnit::millimeters, progress),
                 Cancelled);
}

}  // namespace
}  // namespace brontile
