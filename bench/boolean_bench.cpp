// Solid booleans on the shared benchmark meshes (pairs of overlapping closed triangle meshes in
// ../shared/bench-data). Two timings per case and operation: the boolean alone, from the
// operands' triangles to the result polygons (what the peer libraries are timed on), and the
// whole mesh boolean including the operand checks, the weld, the face grouping and the seam
// repair.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kernel/mesh_boolean.hpp"
#include "kernel/mesh_csg_bridge.hpp"
#include "kernel/solid_combine.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;

// Minimal ASCII OFF: "OFF", "V F 0", V positions, F "3 i j k" lines. One face per triangle.
SolidMesh readOff(const fs::path& path) {
    std::ifstream in(path);
    std::string magic;
    std::size_t vertexCount = 0, faceCount = 0, edgeCount = 0;
    if (!(in >> magic >> vertexCount >> faceCount >> edgeCount) || magic != "OFF") {
        throw std::runtime_error("not an OFF file: " + path.string());
    }
    std::vector<Vec3> vertices(vertexCount);
    for (Vec3& v : vertices) in >> v.x >> v.y >> v.z;
    std::vector<SolidFace> faces;
    faces.reserve(faceCount);
    for (std::size_t f = 0; f < faceCount; ++f) {
        int n = 0;
        VertexIndex a = 0, b = 0, c = 0;
        in >> n >> a >> b >> c;
        faces.push_back({FaceID::generate(), {{a, b, c}}, Vec3::zero});
    }
    if (!in) throw std::runtime_error("truncated OFF file: " + path.string());
    SolidMesh mesh(std::move(vertices), std::move(faces));
    mesh.recomputeNormals();
    return mesh;
}

struct Case {
    std::string name;
    SolidMesh a;
    SolidMesh b;
};

std::vector<Case> readCases(const fs::path& dir) {
    std::ifstream list(dir / "cases.txt");
    std::vector<Case> cases;
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, fileA, fileB;
        fields >> name >> fileA >> fileB;
        cases.push_back({name, readOff(dir / fileA), readOff(dir / fileB)});
    }
    return cases;
}

// Σ a·(b×c)/6 over fan triangles of the polygons, as the peers' volumes are computed.
double soupVolume(const csg_detail::PolygonSoup& soup,
                  const std::vector<csg_detail::SoupPolygon>& polygons) {
    double volume = 0;
    for (const auto& p : polygons) {
        const Vec3& a = soup.vertex(p, 0);
        for (std::size_t i = 1; i + 1 < p.count; ++i) {
            volume += a.dot(soup.vertex(p, i).cross(soup.vertex(p, i + 1))) / 6;
        }
    }
    return volume;
}

// From the operands' triangles to the result polygons, in the pooled form the booleans use.
void csgOnly(benchmark::State& state, const Case& c, BooleanOp op) {
    std::size_t count = 0;
    double volume = 0;
    Progress progress;
    csg_detail::WorkPacer pacer(progress);
    for (auto _ : state) {
        csg_detail::PolygonSoup soup;
        const auto a = csg_detail::pooledSolid(soup, c.a, csg_detail::Winding::outward, pacer);
        const auto b = csg_detail::pooledSolid(soup, c.b, csg_detail::Winding::outward, pacer);
        const auto result = csg_detail::combineSolids(soup, a, b, op, pacer);
        state.PauseTiming();
        count = result.size();
        volume = soupVolume(soup, result);
        state.ResumeTiming();
    }
    state.counters["polygons"] = static_cast<double>(count);
    state.SetLabel("volume " + std::to_string(volume));
}

void wholeMeshBoolean(benchmark::State& state, const Case& c, BooleanOp op) {
    SolidMesh result;
    for (auto _ : state) {
        result = meshBoolean(c.a, c.b, op);
        benchmark::DoNotOptimize(result);
    }
    state.counters["faces"] = static_cast<double>(result.faces().size());
    state.counters["triangles"] = static_cast<double>(result.triangleCount());
    state.SetLabel("volume " + std::to_string(result.volume()));
}

}  // namespace
}  // namespace brontile

int main(int argc, char** argv) {
    using namespace brontile;
    const fs::path dir = BRONTILE_BENCH_DATA_DIR;
    if (!fs::exists(dir / "cases.txt")) {
        std::cerr << "no benchmark meshes at " << dir << "\n";
        return 1;
    }
    static const std::vector<Case> cases = readCases(dir);
    for (const Case& c : cases) {
        const std::size_t triangles = c.a.faces().size() + c.b.faces().size();
        const bool large = triangles > 100000;
        // Small cases run many times per measurement, like the peers' warm calls; large ones once.
        const auto iterations = [&](benchmark::internal::Benchmark* b) {
            if (triangles > 5000) b->Iterations(1);
        };
        for (const BooleanOp op : allCases<BooleanOp>()) {
            const std::string suffix = c.name + "/" + std::string(rawValue(op));
            auto* csg = benchmark::RegisterBenchmark(("csg/" + suffix).c_str(), csgOnly, c, op);
            iterations(csg);
            csg->Unit(benchmark::kMillisecond)
                ->Repetitions(large ? 3 : 5)
                ->ReportAggregatesOnly(true);
            auto* mesh =
                benchmark::RegisterBenchmark(("mesh/" + suffix).c_str(), wholeMeshBoolean, c, op);
            iterations(mesh);
            mesh->Unit(benchmark::kMillisecond)
                ->Repetitions(large ? 3 : 5)
                ->ReportAggregatesOnly(true);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
