// Solid booleans on the shared benchmark meshes (pairs of overlapping closed triangle meshes in
// ../shared/bench-data). Two timings per case and operation: the BSP boolean alone, from the
// operands' triangles to the result polygons (what the peer libraries are timed on), and the
// whole mesh boolean including the weld, the face grouping and the seam repair.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kernel/csg.hpp"
#include "kernel/mesh_boolean.hpp"
#include "kernel/mesh_csg_bridge.hpp"

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
double soupVolume(const std::vector<CSGPolygon>& polygons) {
    double volume = 0;
    for (const CSGPolygon& p : polygons) {
        for (std::size_t i = 1; i + 1 < p.vertices.size(); ++i) {
            volume += p.vertices[0].pos.dot(p.vertices[i].pos.cross(p.vertices[i + 1].pos)) / 6;
        }
    }
    return volume;
}

void csgOnly(benchmark::State& state, const Case& c, BooleanOp op) {
    std::vector<CSGPolygon> result;
    for (auto _ : state) {
        const auto a = MeshCSGBridge::polygons(c.a);
        const auto b = MeshCSGBridge::polygons(c.b);
        switch (op) {
            case BooleanOp::unite: result = CSG::unite(a, b); break;
            case BooleanOp::subtract: result = CSG::subtract(a, b); break;
            case BooleanOp::intersect: result = CSG::intersect(a, b); break;
        }
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["polygons"] = static_cast<double>(result.size());
    state.SetLabel("volume " + std::to_string(soupVolume(result)));
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
        const bool large = c.a.faces().size() > 50000;
        for (const BooleanOp op : allCases<BooleanOp>()) {
            const std::string suffix = c.name + "/" + std::string(rawValue(op));
            benchmark::RegisterBenchmark(("csg/" + suffix).c_str(), csgOnly, c, op)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1)
                ->Repetitions(large ? 3 : 5)
                ->ReportAggregatesOnly(true);
            benchmark::RegisterBenchmark(("mesh/" + suffix).c_str(), wholeMeshBoolean, c, op)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1)
                ->Repetitions(large ? 3 : 5)
                ->ReportAggregatesOnly(true);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
