// Exported files read back by programs that are not ours: admesh checks the STL solid, assimp
// loads both the STL and the OBJ. A missing tool fails the test rather than skipping it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "io/mesh_export.hpp"
#include "support/export_documents.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

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
void expectAdmeshAccepts(const fs::path& stl, const CADDocument& document) {
    const std::string out = outputOf("admesh '" + stl.string() + "'");
    double volume = 0;
    std::size_t triangles = 0;
    for (const Body& body : test::visibleBodies(document)) {
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
    EXPECT_EQ(capture(out, R"(Number of parts\s*:\s*(\d+))"),
              std::to_string(test::visibleBodies(document).size()));
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

class ExportConsumers : public testing::TestWithParam<std::string> {};

TEST_P(ExportConsumers, AdmeshAndAssimpReadTheExports) {
    for (const auto& [tool, package] :
         {std::pair{"admesh", "admesh"}, {"assimp", "assimp-utils"}}) {
        ASSERT_EQ(std::system(("command -v "s + tool + " >/dev/null 2>&1").c_str()), 0)
            << tool << " is not installed; install the Debian package '" << package
            << "' (scripts/setup does).";
    }
    const CADDocument document = test::exportDocument(GetParam());
    const test::ScratchDirectory scratch;
    const auto bytes = MeshExport::stlData(document);
    const fs::path stl = test::writeBytes(
        scratch.path() / "export.stl", {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    const fs::path obj =
        test::writeBytes(scratch.path() / "export.obj", MeshExport::objString(document));
    expectAdmeshAccepts(stl, document);
    expectAssimpLoads(stl, obj, document);
}

INSTANTIATE_TEST_SUITE_P(Documents, ExportConsumers, testing::ValuesIn(test::exportDocumentNames()),
                         [](const auto& testCase) { return testCase.param; });

}  // namespace
}  // namespace brontile
