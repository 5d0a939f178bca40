// Exported files read back by readers that are not ours, on the shared export documents: admesh
// checks the STL solid, assimp loads the STL and the OBJ, lib3mf the 3MF and Open CASCADE the STEP
// and IGES files. A missing tool fails the test rather than skipping it.
#include <gtest/gtest.h>

#include <Model/COM/NMR_DLLInterfaces.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "geometry/rgba.hpp"
#include "io/mesh_export.hpp"
#include "support/brep_reader.hpp"
#include "support/document_fixtures.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// The file `format` writes of `document` in `scratch`.
fs::path exported(const test::ScratchDirectory& scratch, const CADDocument& document,
                  InterchangeFormat format) {
    const fs::path file = scratch.path() / ("export." + std::string(rawValue(format)));
    MeshExport::writeFile(document, format, file);
    return file;
}

// The read-back colour is the body's palette colour, each channel within what the format rounds
// away.
void expectColor(const std::array<double, 3>& read, const Body& body, double tolerance) {
    const RGBA color = BodyPalette::color(body.colorIndex);
    const std::array<double, 3> expected{color.r, color.g, color.b};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(read[i], expected[i], tolerance) << i;
}

// The output of a command that must succeed, errors included.
std::string outputOf(const std::string& command) {
    std::string output;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    EXPECT_TRUE(pipe && pclose(pipe) == 0) << command << "\n" << output;
    return output;
}

// A capture of `pattern` in `text`, or "(missing)" so a failed match shows in the output.
std::string capture(const std::string& text, const std::string& pattern, int group = 1) {
    std::smatch match;
    return std::regex_search(text, match, std::regex(pattern)) ? match[group].str() : "(missing)";
}

double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// admesh reads the file as our binary STL, finds every facet, and has nothing to repair: no
// open edges, no degenerate or flipped facets, and normals that match the vertex order.
void expectAdmeshAccepts(const fs::path& stl, const std::vector<Body>& bodies) {
    const std::string out = outputOf("admesh '" + stl.string() + "'");
    double volume = 0;
    std::size_t triangles = 0;
    for (const Body& body : bodies) {
        volume += body.mesh.volume();
        triangles += body.mesh.triangleCount();
    }
    const std::string facets = std::to_string(triangles);
    const auto columns = [&](const std::string& label) {
        const std::string pattern = label + R"(\s*:\s*(\d+)\s+(\d+))";
        return capture(out, pattern, 1) + " " + capture(out, pattern, 2);
    };
    EXPECT_EQ(capture(out, R"(File type\s*:\s*(.*))"), "Binary STL file");
    EXPECT_EQ(capture(out, R"(Header\s*:\s*(.*))"), "Brontile binary STL");
    EXPECT_EQ(columns("Number of facets"), facets + " " + facets) << out;
    EXPECT_EQ(columns("Total disconnected facets"), "0 0");
    EXPECT_EQ(capture(out, R"(Number of parts\s*:\s*(\d+))"), std::to_string(bodies.size()));
    EXPECT_NEAR(number(capture(out, R"(Volume\s*:\s*(\S+))")), volume, 1e-4 * volume);
    for (const std::string repair :
         {"Degenerate facets", "Edges fixed", "Facets removed", "Facets added", "Facets reversed",
          "Backwards edges", "Normals fixed"}) {
        EXPECT_EQ(capture(out, repair + R"(\s*:\s*(\d+))"), "0") << repair << "\n" << out;
    }
}

// Name, vertex count and face count of one mesh assimp loaded.
using AssimpMesh = std::tuple<std::string, std::size_t, std::size_t>;

// `assimp info` fails unless the file loads; `raw` skips its post-processing (which triangulates
// faces and merges vertices at equal positions). Expects the loaded extent to be the document's.
std::vector<AssimpMesh> assimpMeshes(const fs::path& file, bool raw, const CADDocument& document) {
    const std::string out = outputOf("assimp info '" + file.string() + "'" + (raw ? " -r" : ""));
    const AABB box = *document.bounds();
    for (const auto& [label, corner] : {std::pair{"Minimum", box.min}, {"Maximum", box.max}}) {
        const std::string pattern = std::string(label) + R"( point\s*\((\S+) (\S+) (\S+)\))";
        for (int group = 1; const double expected : {corner.x, corner.y, corner.z}) {
            EXPECT_NEAR(number(capture(out, pattern, group++)), expected, 1e-4) << label;
        }
    }
    std::vector<AssimpMesh> meshes;
    const std::regex line(R"(\n\s*\d+ \((.*)\): \[(\d+) / \d+ / (\d+) \| \w+\])");
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it) {
        meshes.emplace_back((*it)[1].str(), std::stoul((*it)[2].str()), std::stoul((*it)[3].str()));
    }
    return meshes;
}

// STL has no objects: one mesh holding every triangle, whose vertex count depends on how assimp
// merges corners. OBJ has one object per visible body, named after it: merged, each has exactly
// the body's vertices (so the running numbers point at the right ones) and its triangles; raw,
// each polygon loop is one face with its own corners.
void expectAssimpLoads(const fs::path& stl, const fs::path& obj, const CADDocument& document) {
    std::vector<AssimpMesh> merged, raw;
    std::size_t triangles = 0;
    for (const Body& body : test::visibleBodies(document)) {
        std::string name = body.name;
        std::ranges::replace(name, ' ', '_');
        std::size_t loops = 0, corners = 0;
        for (const auto& face : body.mesh.faces()) {
            loops += face.polygons.size();
            for (const auto& loop : face.polygons) corners += loop.size();
        }
        merged.emplace_back(name, body.mesh.vertices().size(), body.mesh.triangleCount());
        raw.emplace_back(name, corners, loops);
        triangles += body.mesh.triangleCount();
    }
    const auto stlMeshes = assimpMeshes(stl, false, document);
    ASSERT_EQ(stlMeshes.size(), 1u);
    EXPECT_EQ(std::get<2>(stlMeshes[0]), triangles);
    EXPECT_EQ(assimpMeshes(obj, false, document), merged);
    EXPECT_EQ(assimpMeshes(obj, true, document), raw);
}

using namespace NMR;

struct Release {
    void operator()(PLib3MFBase* handle) const { lib3mf_release(handle); }
};
using Handle = std::unique_ptr<PLib3MFBase, Release>;

// One object read back: named after its body, the body's vertices shared by index, its triangles
// and volume, and the body's palette colour as an opaque base material.
void expect3MFObject(PLib3MFModel* model, PLib3MFModelMeshObject* mesh, const Body& body) {
    SCOPED_TRACE("3MF " + body.name);
    char name[256] = {};
    ULONG needed = 0;
    EXPECT_EQ(lib3mf_object_getnameutf8(mesh, name, sizeof name, &needed), LIB3MF_OK);
    DWORD vertexCount = 0;
    DWORD triangleCount = 0;
    EXPECT_EQ(lib3mf_meshobject_getvertexcount(mesh, &vertexCount), LIB3MF_OK);
    EXPECT_EQ(lib3mf_meshobject_gettrianglecount(mesh, &triangleCount), LIB3MF_OK);
    EXPECT_EQ(std::tuple(std::string(name), std::size_t{vertexCount}, std::size_t{triangleCount}),
              std::tuple(body.name, body.mesh.vertices().size(), body.mesh.triangleCount()));
    std::vector<MODELMESHVERTEX> vertices(vertexCount);
    std::vector<MODELMESHTRIANGLE> triangles(triangleCount);
    EXPECT_EQ(lib3mf_meshobject_getvertices(mesh, vertices.data(), vertexCount, nullptr),
              LIB3MF_OK);
    EXPECT_EQ(lib3mf_meshobject_gettriangleindices(mesh, triangles.data(), triangleCount, nullptr),
              LIB3MF_OK);
    const auto at = [&](DWORD i) {
        const float* p = vertices[i].m_fPosition;
        return Vec3{p[0], p[1], p[2]};
    };
    double volume = 0;
    for (const MODELMESHTRIANGLE& t : triangles) {
        volume += at(t.m_nIndices[0]).dot(at(t.m_nIndices[1]).cross(at(t.m_nIndices[2]))) / 6;
    }
    EXPECT_NEAR(volume, body.mesh.volume(), 1e-3 * body.mesh.volume());
    PLib3MFDefaultPropertyHandler* rawProperties = nullptr;
    EXPECT_EQ(lib3mf_object_createdefaultpropertyhandler(mesh, &rawProperties), LIB3MF_OK);
    const Handle properties(rawProperties);
    DWORD group = 0;
    DWORD index = 0;
    EXPECT_EQ(lib3mf_defaultpropertyhandler_getbasematerial(rawProperties, &group, &index),
              LIB3MF_OK);
    PLib3MFModelBaseMaterial* rawMaterials = nullptr;
    EXPECT_EQ(lib3mf_model_getbasematerialbyid(model, group, &rawMaterials), LIB3MF_OK);
    const Handle materials(rawMaterials);
    BYTE r = 0, g = 0, b = 0, a = 0;
    EXPECT_EQ(lib3mf_basematerial_getdisplaycolor(rawMaterials, index, &r, &g, &b, &a), LIB3MF_OK);
    expectColor({r / 255.0, g / 255.0, b / 255.0}, body, 0.5 / 255 + 1e-6);
    EXPECT_EQ(a, 0xFF) << "opaque";
}

// The file in millimetres, with one object and one build item per visible body, in order.
void expect3MFHolds(const fs::path& file, const std::vector<Body>& bodies) {
    PLib3MFModel* rawModel = nullptr;
    EXPECT_EQ(lib3mf_createmodel(&rawModel), LIB3MF_OK);
    const Handle model(rawModel);
    PLib3MFModelReader* rawReader = nullptr;
    EXPECT_EQ(lib3mf_model_queryreader(rawModel, "3mf", &rawReader), LIB3MF_OK);
    const Handle reader(rawReader);
    EXPECT_EQ(lib3mf_reader_readfromfileutf8(rawReader, file.c_str()), LIB3MF_OK);
    DWORD unit = 0;
    EXPECT_EQ(lib3mf_model_getunit(rawModel, &unit), LIB3MF_OK);
    EXPECT_EQ(unit, static_cast<DWORD>(MODELUNIT_MILLIMETER));
    PLib3MFModelResourceIterator* rawObjects = nullptr;
    EXPECT_EQ(lib3mf_model_getmeshobjects(rawModel, &rawObjects), LIB3MF_OK);
    const Handle objects(rawObjects);
    std::size_t count = 0;
    BOOL more = false;
    while (lib3mf_resourceiterator_movenext(rawObjects, &more) == LIB3MF_OK && more) {
        PLib3MFModelResource* rawMesh = nullptr;
        EXPECT_EQ(lib3mf_resourceiterator_getcurrent(rawObjects, &rawMesh), LIB3MF_OK);
        const Handle mesh(rawMesh);
        ASSERT_LT(count, bodies.size()) << "3MF: hidden bodies stay out";
        expect3MFObject(rawModel, rawMesh, bodies[count++]);
    }
    EXPECT_EQ(count, bodies.size());
    PLib3MFModelBuildItemIterator* rawItems = nullptr;
    EXPECT_EQ(lib3mf_model_getbuilditems(rawModel, &rawItems), LIB3MF_OK);
    const Handle items(rawItems);
    std::size_t buildItems = 0;
    while (lib3mf_builditemiterator_movenext(rawItems, &more) == LIB3MF_OK && more) ++buildItems;
    EXPECT_EQ(buildItems, bodies.size());
}

class ExportReaders : public testing::TestWithParam<std::string> {};

TEST_P(ExportReaders, EachReaderFindsTheVisibleBodiesAsTheyAre) {
    for (const auto& [tool, package] :
         {std::pair{"admesh", "admesh"}, {"assimp", "assimp-utils"}}) {
        ASSERT_EQ(std::system(("command -v "s + tool + " >/dev/null 2>&1").c_str()), 0)
            << tool << " is not installed; install the Debian package '" << package
            << "' (scripts/setup does).";
    }
    const CADDocument document = test::exportDocument(GetParam());
    const std::vector<Body> bodies = test::visibleBodies(document);
    const test::ScratchDirectory scratch;
    const fs::path stl = exported(scratch, document, InterchangeFormat::stl);
    expectAdmeshAccepts(stl, bodies);
    expectAssimpLoads(stl, exported(scratch, document, InterchangeFormat::obj), document);

    expect3MFHolds(exported(scratch, document, InterchangeFormat::threeMF), bodies);

    // One valid closed solid per body, one face per mesh face: triangulated faces come back
    // whole, and the plate's tiled faces keep their holes as inner loops.
    for (const InterchangeFormat format : {InterchangeFormat::step, InterchangeFormat::iges}) {
        const std::vector<test::ReadShape> shapes =
            test::readBRepFile(exported(scratch, document, format), format);
        ASSERT_EQ(shapes.size(), bodies.size()) << rawValue(format) << ": one shape per body";
        for (std::size_t i = 0; i < bodies.size(); ++i) {
            SCOPED_TRACE(std::string(rawValue(format)) + " " + bodies[i].name);
            const SolidMesh& mesh = bodies[i].mesh;
            const test::ReadShape& shape = shapes[i];
            const int faces = static_cast<int>(mesh.faces().size());
            const int holes = GetParam() == "PlateWithHole" ? 2 : 0;
            EXPECT_EQ(std::tuple(shape.name, shape.solids, shape.shells, shape.valid, shape.closed,
                                 shape.faces, shape.wires),
                      std::tuple(bodies[i].name, 1, 1, true, true, faces, faces + holes));
            EXPECT_NEAR(shape.volume, mesh.volume(), 1e-9 * mesh.volume());
            ASSERT_TRUE(shape.color.has_value()) << "no colour";
            expectColor(*shape.color, bodies[i], 1e-3);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, ExportReaders, testing::ValuesIn(test::exportDocumentNames()),
                         [](const auto& testCase) { return testCase.param; });

// An open body is a shell beside the solids, and names keep every character the format can
// carry: any in STEP strings, ASCII in IGES (the others become "_").
TEST(BRepExport, OpenBodiesAreShellsAndNamesKeepWhatTheFormatCarries) {
    CADDocument document = CADDocument::empty("Open");
    document.addBody(
        test::editedBoxMesh({0, 0, 0}, {10, 10, 10}, [](auto& faces) { faces.pop_back(); }),
        "Bob's \u201cB\u00fcgel\u201d\tA");
    document.addBody(test::boxMesh({20, 0, 0}, {30, 10, 10}), "Lid");
    const test::ScratchDirectory scratch;
    for (const auto& [format, name] :
         {std::pair{InterchangeFormat::step, "Bob's \u201cB\u00fcgel\u201d\tA"},
          {InterchangeFormat::iges, "Bob's _B_gel__A"}}) {
        SCOPED_TRACE(rawValue(format));
        const auto read = test::readBRepFile(exported(scratch, document, format), format);
        ASSERT_EQ(read.size(), 2u);
        EXPECT_EQ(read[0].name, name);
        EXPECT_EQ(std::tuple(read[0].solids, read[0].shells, read[0].faces, read[0].closed),
                  std::tuple(0, 1, 5, false));
        EXPECT_EQ(read[1].solids, 1);
        EXPECT_NEAR(read[1].volume, 1000, 1e-6);
    }
}

}  // namespace
}  // namespace brontile
