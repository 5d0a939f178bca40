// Exported files read back by programs that are not ours: admesh checks the STL solid, assimp
// loads both the STL and the OBJ. A missing tool fails the test rather than skipping it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "io/mesh_export.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct CommandResult {
    int status = -1;
    std::string output;
};

CommandResult run(const std::string& command) {
    CommandResult result;
    const auto close = [](std::FILE* pipe) { return pclose(pipe); };
    std::unique_ptr<std::FILE, decltype(close)> pipe(popen((command + " 2>&1").c_str(), "r"),
                                                     close);
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;) {
        result.output.append(buffer.data(), n);
    }
    result.status = pclose(pipe.release());
    return result;
}

// Whether the program is on the PATH; the failure names the package to install, because a test
// that needs a missing tool fails rather than skips.
testing::AssertionResult toolInstalled(const std::string& name, const std::string& package) {
    if (std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "'" << name << "' is not installed; install the Debian "
           << "package '" << package << "' (scripts/setup does) to run this test.";
}

class ScratchDirectory {
public:
    ScratchDirectory()
        : path_(fs::temp_directory_path() / ("brontile-export-" + Uuid::random().string())) {
        fs::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    template <class Contents>
    [[nodiscard]] fs::path write(const std::string& name, const Contents& contents) const {
        const fs::path file = path_ / name;
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(contents.data()),
                   static_cast<std::streamsize>(contents.size()));
        return file;
    }

private:
    fs::path path_;
};

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// The first capture of `pattern` in `text`, or "(missing)" so a failed match shows in the output.
std::string capture(const std::string& text, const std::string& pattern, int group = 1) {
    std::smatch match;
    if (!std::regex_search(text, match, std::regex(pattern))) return "(missing)";
    return match[group].str();
}

// The two columns of an admesh facet-status line.
std::pair<std::string, std::string> originalAndFinal(const std::string& text,
                                                     const std::string& label) {
    const std::string pattern = label + R"(\s*:\s*(\d+)\s+(\d+))";
    return {capture(text, pattern, 1), capture(text, pattern, 2)};
}

double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

std::vector<const Body*> visible(const CADDocument& document) {
    std::vector<const Body*> bodies;
    for (const Body& body : document.bodies) {
        if (body.isVisible) bodies.push_back(&body);
    }
    return bodies;
}

struct Expected {
    std::size_t triangles = 0;
    double volume = 0;
};

Expected expectedTotals(const CADDocument& document) {
    Expected totals;
    for (const Body* body : visible(document)) {
        totals.triangles += body->mesh.triangleCount();
        totals.volume += body->mesh.volume();
    }
    return totals;
}

// admesh reads the file as our binary STL, finds every facet, and has nothing to repair: no
// open edges, no degenerate or flipped facets, and normals that match the vertex order.
void expectAdmeshAccepts(const fs::path& stl, const CADDocument& document) {
    const CommandResult result = run("admesh " + quoted(stl));
    ASSERT_EQ(result.status, 0) << result.output;
    const std::string& out = result.output;
    const Expected totals = expectedTotals(document);
    const std::string facets = std::to_string(totals.triangles);
    EXPECT_EQ(capture(out, R"(File type\s*:\s*(.*))"), "Binary STL file");
    EXPECT_EQ(capture(out, R"(Header\s*:\s*(.*))"), "Brontile binary STL");
    EXPECT_EQ(originalAndFinal(out, "Number of facets"), std::pair(facets, facets)) << out;
    EXPECT_EQ(originalAndFinal(out, "Total disconnected facets"), std::pair("0"s, "0"s));
    EXPECT_EQ(capture(out, R"(Number of parts\s*:\s*(\d+))"),
              std::to_string(visible(document).size()));
    EXPECT_NEAR(number(capture(out, R"(Volume\s*:\s*(\S+))")), totals.volume, 1e-4 * totals.volume);
    for (const std::string repair :
         {"Degenerate facets", "Edges fixed", "Facets removed", "Facets added", "Facets reversed",
          "Backwards edges", "Normals fixed"}) {
        EXPECT_EQ(capture(out, repair + R"(\s*:\s*(\d+))"), "0") << repair << "\n" << out;
    }
}

struct AssimpMesh {
    std::string name;
    std::size_t vertices = 0;
    std::size_t faces = 0;

    friend bool operator==(const AssimpMesh&, const AssimpMesh&) = default;
    friend std::ostream& operator<<(std::ostream& os, const AssimpMesh& m) {
        return os << "(" << m.name << ": " << m.vertices << " vertices, " << m.faces << " faces)";
    }
};

struct AssimpInfo {
    std::string output;
    std::vector<AssimpMesh> meshes;
};

// `assimp info`, which fails unless the file loads; `raw` skips its post-processing (which
// triangulates faces and merges vertices at equal positions).
AssimpInfo assimpInfo(const fs::path& file, bool raw) {
    const CommandResult result = run("assimp info " + quoted(file) + (raw ? " -r" : ""));
    EXPECT_EQ(result.status, 0) << result.output;
    AssimpInfo info{result.output, {}};
    const std::regex meshLine(R"(\n\s*\d+ \((.*)\): \[(\d+) / \d+ / (\d+) \| \w+\])");
    for (std::sregex_iterator it(info.output.begin(), info.output.end(), meshLine), end; it != end;
         ++it) {
        info.meshes.push_back(
            {(*it)[1].str(), std::stoul((*it)[2].str()), std::stoul((*it)[3].str())});
    }
    return info;
}

void expectBounds(const std::string& output, const CADDocument& document) {
    const AABB box = *document.bounds();
    for (const auto& [label, corner] :
         {std::pair{"Minimum", box.min}, std::pair{"Maximum", box.max}}) {
        const std::string pattern = std::string(label) + R"( point\s*\((\S+) (\S+) (\S+)\))";
        EXPECT_NEAR(number(capture(output, pattern, 1)), corner.x, 1e-4) << label;
        EXPECT_NEAR(number(capture(output, pattern, 2)), corner.y, 1e-4) << label;
        EXPECT_NEAR(number(capture(output, pattern, 3)), corner.z, 1e-4) << label;
    }
}

// One object per visible body, named after it: merged, each has exactly the body's vertices
// (so the running numbers point at the right ones) and its triangles; raw, each polygon loop is
// one face with its own corners.
void expectAssimpLoadsObj(const fs::path& obj, const CADDocument& document) {
    std::vector<AssimpMesh> merged;
    std::vector<AssimpMesh> raw;
    for (const Body* body : visible(document)) {
        std::string name = body->name;
        std::ranges::replace(name, ' ', '_');
        std::size_t loops = 0, corners = 0;
        for (const auto& face : body->mesh.faces()) {
            loops += face.polygons.size();
            for (const auto& loop : face.polygons) corners += loop.size();
        }
        merged.push_back({name, body->mesh.vertices().size(), body->mesh.triangleCount()});
        raw.push_back({name, corners, loops});
    }
    const AssimpInfo mergedInfo = assimpInfo(obj, false);
    EXPECT_EQ(mergedInfo.meshes, merged) << mergedInfo.output;
    expectBounds(mergedInfo.output, document);
    const AssimpInfo rawInfo = assimpInfo(obj, true);
    EXPECT_EQ(rawInfo.meshes, raw) << rawInfo.output;
}

// STL has no objects: one mesh with every triangle. Its vertex count depends on how assimp
// merges corners, so only faces and extent are compared.
void expectAssimpLoadsStl(const fs::path& stl, const CADDocument& document) {
    const AssimpInfo info = assimpInfo(stl, false);
    ASSERT_EQ(info.meshes.size(), 1u) << info.output;
    EXPECT_EQ(info.meshes[0].faces, expectedTotals(document).triangles);
    expectBounds(info.output, document);
}

struct ConsumerCase {
    std::string name;
    std::function<CADDocument()> document;
};

CADDocument documentOf(const std::vector<std::pair<SolidMesh, bool>>& bodies) {
    auto document = CADDocument::empty("Consumers");
    for (const auto& [mesh, isVisible] : bodies) {
        document.addBody(mesh);
        document.bodies.back().isVisible = isVisible;
    }
    return document;
}

const std::vector<ConsumerCase> kConsumerCases{
    {"OneBox",
     [] {
         return documentOf({{test::boxMesh({0, 0, 0}, {10, 20, 30}), true}});
     }},
    {"TwoBodies",
     [] {
         return documentOf({{test::triangulatedBoxMesh({0, 0, 0}, {1, 1, 1}), true},
                            {test::boxMesh({5, -3, 2}, {7.5, 1, 2.25}), true}});
     }},
    {"PolygonFaces",
     [] {
         return documentOf({{test::lShapeMesh(7.5).translated({-40, 3, -1}), true}});
     }},
    {"HiddenBodiesLeftOut",
     [] {
         auto document = documentOf({{test::boxMesh({0, 0, 0}, {1, 1, 1}), false},
                                     {test::sphereMesh({0, 0, 0}, 5, 16, 8), true},
                                     {test::lShapeMesh(2), false},
                                     {test::cylinderMesh({20, 0, 0}, 4, 10, 12), true}});
         document.bodies[1].name = "Left bracket";
         return document;
     }},
};

void PrintTo(const ConsumerCase& testCase, std::ostream* os) { *os << testCase.name; }

class ExportConsumers : public testing::TestWithParam<ConsumerCase> {};

TEST_P(ExportConsumers, AdmeshReadsTheStlAsAClosedSolid) {
    ASSERT_TRUE(toolInstalled("admesh", "admesh"));
    const CADDocument document = GetParam().document();
    const ScratchDirectory directory;
    expectAdmeshAccepts(directory.write("export.stl", MeshExport::stlData(document)), document);
}

TEST_P(ExportConsumers, AssimpLoadsTheStlAndTheObj) {
    ASSERT_TRUE(toolInstalled("assimp", "assimp-utils"));
    const CADDocument document = GetParam().document();
    const ScratchDirectory directory;
    expectAssimpLoadsStl(directory.write("export.stl", MeshExport::stlData(document)), document);
    expectAssimpLoadsObj(directory.write("export.obj", MeshExport::objString(document)), document);
}

INSTANTIATE_TEST_SUITE_P(Documents, ExportConsumers, testing::ValuesIn(kConsumerCases),
                         [](const auto& testCase) { return testCase.param.name; });

}  // namespace
}  // namespace brontile
