// Byte and text layout of the STL and OBJ writers, and the exchange-format list with its refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "io/mesh_export.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t readUInt(const Bytes& bytes, std::size_t at, int byteCount) {
    std::uint32_t value = 0;
    for (int i = byteCount - 1; i >= 0; --i) value = (value << 8) | bytes.at(at + i);
    return value;
}

Vec3 readVector(const Bytes& bytes, std::size_t at) {
    const auto component = [&](std::size_t i) {
        return static_cast<double>(std::bit_cast<float>(readUInt(bytes, at + 4 * i, 4)));
    };
    return {component(0), component(1), component(2)};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) result.push_back(line);
    return result;
}

// One body of one triangle with the given corners.
SolidMesh triangleMesh(const Vec3& a, const Vec3& b, const Vec3& c) {
    return SolidMesh({a, b, c}, {SolidFace{FaceID::generate(), {{0, 1, 2}}, Vec3::unitZ}});
}

CADDocument documentWith(std::vector<SolidMesh> meshes) {
    auto document = CADDocument::empty("Export");
    for (auto& mesh : meshes) document.addBody(std::move(mesh));
    return document;
}

TEST(MeshExportStl, UnitCubeHasHeaderCountAndDecodableRecords) {
    const auto cube = test::triangulatedBoxMesh({0, 0, 0}, {1, 1, 1});
    const Bytes bytes = MeshExport::stlData(documentWith({cube}));

    ASSERT_EQ(bytes.size(), 684u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 19), "Brontile binary STL");
    for (std::size_t i = 19; i < 80; ++i) EXPECT_EQ(bytes[i], 0) << "header byte " << i;
    EXPECT_EQ(readUInt(bytes, 80, 4), 12u);

    const auto first = cube.allTriangles().front();
    const auto& v = cube.vertices();
    const Vec3 a = v[first.a], b = v[first.b], c = v[first.c];
    EXPECT_EQ(readVector(bytes, 84), (b - a).cross(c - a).normalized());
    EXPECT_EQ(readVector(bytes, 96), a);
    EXPECT_EQ(readVector(bytes, 108), b);
    EXPECT_EQ(readVector(bytes, 120), c);
    EXPECT_EQ(readUInt(bytes, 132, 2), 0u);
    // Every normal agrees with the outward face normal it came from.
    const auto triangles = cube.allTriangles();
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        EXPECT_EQ(readVector(bytes, 84 + 50 * i), cube.faces()[triangles[i].face].normal);
    }
}

TEST(MeshExportStl, FloatsAreRoundedAndDegenerateNormalIsZero) {
    const Bytes bytes = MeshExport::stlData(
        documentWith({triangleMesh({0.1, -2e10, 1}, {0.1, -2e10, 1}, {3, 4, 5})}));
    ASSERT_EQ(bytes.size(), 134u);
    EXPECT_EQ(readVector(bytes, 84), Vec3::zero);
    EXPECT_EQ(readVector(bytes, 96), Vec3(0.1f, -2e10f, 1.0f));
}

TEST(MeshExportStl, QuadBecomesTwoTrianglesAndEmptyBodyAddsNone) {
    const Bytes box = MeshExport::stlData(documentWith({test::boxMesh({0, 0, 0}, {2, 3, 4})}));
    EXPECT_EQ(readUInt(box, 80, 4), 12u);

    const Bytes empty = MeshExport::stlData(documentWith({SolidMesh::empty()}));
    ASSERT_EQ(empty.size(), 84u);
    EXPECT_EQ(readUInt(empty, 80, 4), 0u);
}

TEST(MeshExportStl, TriangleCountBeyondTheFieldIsRefused) {
    EXPECT_EQ(MeshExport::stlByteCount(0), 84u);
    EXPECT_EQ(MeshExport::stlByteCount(MeshExport::kMaxStlTriangles),
              84u + 50u * std::size_t{MeshExport::kMaxStlTriangles});
    try {
        (void)MeshExport::stlByteCount(MeshExport::kMaxStlTriangles + 1);
        FAIL() << "no error";
    } catch (const InterchangeError& error) {
        EXPECT_EQ(error.kind(), InterchangeError::Kind::tooManyTriangles);
        EXPECT_STREQ(error.what(), "The visible bodies have too many triangles for an STL file.");
    }
}

TEST(MeshExportObj, BodiesAreNamedObjectsWithRunningVertexNumbers) {
    const std::string obj = MeshExport::objString(
        documentWith({test::boxMesh({0, 0, 0}, {1, 1, 1}), test::boxMesh({2, 0, 0}, {3, 1, 1})}));
    const auto all = lines(obj);
    ASSERT_EQ(all.size(), 1u + 2 * (1 + 8 + 6));
    EXPECT_EQ(all[0], "# Brontile OBJ export (mm)");
    EXPECT_EQ(all[1], "o Body_1");
    EXPECT_EQ(all[16], "o Body_2");
    EXPECT_EQ(all[2], "v 0.000000 0.000000 0.000000");
    EXPECT_EQ(obj.back(), '\n');
    int low = 100, high = 0;
    for (std::size_t i = 25; i < all.size(); ++i) {
        std::istringstream line(all[i]);
        std::string tag;
        line >> tag;
        ASSERT_EQ(tag, "f") << all[i];
        std::vector<int> numbers;
        for (int n = 0; line >> n;) numbers.push_back(n);
        low = std::min(low, std::ranges::min(numbers));
        high = std::max(high, std::ranges::max(numbers));
        EXPECT_EQ(numbers.size(), 4u) << "a quad stays one polygon: " << all[i];
    }
    EXPECT_EQ(low, 9);
    EXPECT_EQ(high, 16);
}

TEST(MeshExportObj, CoordinatesKeepSixDecimalsAndTheSignOfZero) {
    auto document = documentWith(
        {triangleMesh({1, 2.5, -4e-7}, {-0.0, 1e-7, 123456.0000004}, {-1234.5678916, 0, 0})});
    document.bodies[0].name = "My part\tA\r\nB";
    const auto all = lines(MeshExport::objString(document));
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[1], "o My_part_A__B");
    EXPECT_EQ(all[2], "v 1.000000 2.500000 -0.000000");
    EXPECT_EQ(all[3], "v -0.000000 0.000000 123456.000000");
    EXPECT_EQ(all[4], "v -1234.567892 0.000000 0.000000");
    EXPECT_EQ(all[5], "f 1 2 3");
}

TEST(MeshExportObj, ShortLoopsAreSkipped) {
    const SolidMesh mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                         {SolidFace{FaceID::generate(), {{0, 1}, {0, 1, 2}, {}}, Vec3::unitZ}});
    const auto all = lines(MeshExport::objString(documentWith({mesh})));
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all.back(), "f 1 2 3");
}

void expectInterchangeError(const std::function<void()>& run, InterchangeError::Kind kind,
                            const std::string& description) {
    try {
        run();
        FAIL() << "no error, expected: " << description;
    } catch (const InterchangeError& error) {
        EXPECT_EQ(error.kind(), kind);
        EXPECT_EQ(error.what(), description);
        EXPECT_EQ(error.format(), std::nullopt);
    }
}

TEST(MeshExport, HiddenBodiesAreLeftOut) {
    auto document = documentWith({test::boxMesh({0, 0, 0}, {1, 1, 1}), test::lShapeMesh(2),
                                  test::boxMesh({5, 5, 5}, {6, 6, 6})});
    document.bodies[0].isVisible = false;
    document.bodies[2].isVisible = false;
    EXPECT_EQ(readUInt(MeshExport::stlData(document), 80, 4), test::lShapeMesh(2).triangleCount());
    const auto all = lines(MeshExport::objString(document));
    EXPECT_EQ(all[1], "o Body_2");
    EXPECT_EQ(all.size(), 1u + 1 + 12 + 8);

    document.bodies[1].isVisible = false;
    for (const auto& doc : {document, CADDocument::empty("None")}) {
        const std::string message = "There are no visible bodies to export.";
        const auto kind = InterchangeError::Kind::nothingToExport;
        expectInterchangeError([&] { (void)MeshExport::stlData(doc); }, kind, message);
        expectInterchangeError([&] { (void)MeshExport::objString(doc); }, kind, message);
    }
}

TEST(MeshExport, CoordinatesNoReaderCouldUseAreRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto bad = documentWith(
        {test::boxMesh({0, 0, 0}, {1, 1, 1}), triangleMesh({0, 0, 0}, {1, nan, 0}, {0, 1, 0})});
    const std::string notFinite = "The body \"Body 2\" has a vertex that is not a finite number.";
    const auto kind = InterchangeError::Kind::nonFiniteVertex;
    expectInterchangeError([&] { (void)MeshExport::stlData(bad); }, kind, notFinite);
    expectInterchangeError([&] { (void)MeshExport::objString(bad); }, kind, notFinite);

    // Beyond the 32-bit float range: fine as OBJ text, not as STL.
    const auto far = documentWith({triangleMesh({0, 0, 0}, {1e39, 0, 0}, {0, 1, 0})});
    expectInterchangeError([&] { (void)MeshExport::stlData(far); },
                           InterchangeError::Kind::outOfRange,
                           "The body \"Body 1\" lies too far from the origin for an STL file.");
    EXPECT_NE(MeshExport::objString(far).find(
                  "\nv 999999999999999939709166371603178586112.000000 0.000000 0.000000\n"),
              std::string::npos);
}

TEST(InterchangeFormat, RawValuesRoundTripAndNothingElseParses) {
    const std::array<std::string_view, 5> raws{"step", "iges", "stl", "obj", "3mf"};
    const auto cases = allCases<InterchangeFormat>();
    ASSERT_EQ(cases.size(), raws.size());
    EXPECT_EQ(cases[4], InterchangeFormat::threeMF);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(rawValue(cases[i]), raws[i]);
        EXPECT_EQ(fromRawValue<InterchangeFormat>(raws[i]), cases[i]);
    }
    for (const std::string_view other : {"STL", "threeMF", "", "stl ", ".obj", "stp"}) {
        EXPECT_EQ(fromRawValue<InterchangeFormat>(other), std::nullopt) << other;
    }
}

TEST(InterchangeFormat, UnsupportedNamesTheFormatInCapitals) {
    const std::vector<std::pair<InterchangeFormat, std::string>> expected{
        {InterchangeFormat::step, "STEP requires the OpenCascade kernel (M4)."},
        {InterchangeFormat::iges, "IGES requires the OpenCascade kernel (M4)."},
        {InterchangeFormat::stl, "STL requires the OpenCascade kernel (M4)."},
        {InterchangeFormat::obj, "OBJ requires the OpenCascade kernel (M4)."},
        {InterchangeFormat::threeMF, "3MF requires the OpenCascade kernel (M4)."},
    };
    for (const auto& [format, description] : expected) {
        const auto error = InterchangeError::unsupported(format);
        EXPECT_EQ(error.what(), description);
        EXPECT_EQ(error.kind(), InterchangeError::Kind::unsupported);
        EXPECT_EQ(error.format(), format);
    }
}

}  // namespace
}  // namespace brontile
