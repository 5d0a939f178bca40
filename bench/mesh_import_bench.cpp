// Reading a 1 000 000-triangle binary STL already in memory: the records read, their corners
// welded and coplanar neighbours grouped into faces. A sphere is the hard case (every triangle
// its own face, as in a scan); a box whose sides are fine grids is the easy one (six faces).
#include <benchmark/benchmark.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "io/stl_import.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

void appendWord(std::vector<std::byte>& bytes, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::byte>((word >> (8 * i)) & 0xFF));
}

std::vector<std::byte> binaryStl(const std::vector<Vec3>& corners) {
    std::vector<std::byte> bytes(80, std::byte{0});
    const std::size_t count = corners.size() / 3;
    bytes.reserve(84 + 50 * count);
    appendWord(bytes, static_cast<std::uint32_t>(count));
    for (std::size_t t = 0; t < count; ++t) {
        for (int k = 0; k < 3; ++k) appendWord(bytes, 0);
        for (std::size_t k = 0; k < 3; ++k) {
            const Vec3& p = corners[3 * t + k];
            for (const double v : {p.x, p.y, p.z}) {
                appendWord(bytes, std::bit_cast<std::uint32_t>(static_cast<float>(v)));
            }
        }
        bytes.insert(bytes.end(), 2, std::byte{0});
    }
    return bytes;
}

// 1000 slices by 501 stacks: 2 · 1000 · 500 triangles.
std::vector<Vec3> sphereCorners() {
    const SolidMesh mesh = test::sphereMesh({0, 0, 0}, 50, 1000, 501);
    std::vector<Vec3> corners;
    corners.reserve(3 * 1'000'000);
    for (const auto& t : mesh.allTriangles()) {
        for (const VertexIndex v : {t.a, t.b, t.c}) {
            corners.push_back(mesh.vertices()[static_cast<std::size_t>(v)]);
        }
    }
    return corners;
}

// A 100 mm cube whose sides are 289 × 289 grids of square pairs: 1 002 252 triangles.
std::vector<Vec3> gridBoxCorners() {
    constexpr int n = 289;
    constexpr double step = 100.0 / n;
    std::vector<Vec3> corners;
    corners.reserve(6 * 2 * 3 * n * n);
    // Each side as (origin, u, v) with u × v pointing out of the cube.
    const Vec3 o{0, 0, 0};
    const Vec3 far{100, 100, 100};
    const Vec3 x = Vec3::unitX * step, y = Vec3::unitY * step, z = Vec3::unitZ * step;
    const struct {
        Vec3 origin, u, v;
    } sides[] = {{o, y, x}, {o, x, z}, {o, z, y}, {far, -x, -y}, {far, -z, -x}, {far, -y, -z}};
    for (const auto& side : sides) {
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const Vec3 a = side.origin + side.u * i + side.v * j;
                corners.insert(corners.end(), {a, a + side.u, a + side.u + side.v});
                corners.insert(corners.end(), {a, a + side.u + side.v, a + side.v});
            }
        }
    }
    return corners;
}

void parseEach(benchmark::State& state, const std::vector<std::byte>& bytes) {
    for (auto _ : state) {
        Progress progress;
        benchmark::DoNotOptimize(StlImport::parse(bytes, ImportUnit::millimeters, progress));
    }
}

void BM_ImportStlSphere1M(benchmark::State& state) {
    static const std::vector<std::byte> bytes = binaryStl(sphereCorners());
    parseEach(state, bytes);
}
BENCHMARK(BM_ImportStlSphere1M)->Unit(benchmark::kMillisecond);

void BM_ImportStlGridBox1M(benchmark::State& state) {
    static const std::vector<std::byte> bytes = binaryStl(gridBoxCorners());
    parseEach(state, bytes);
}
BENCHMARK(BM_ImportStlGridBox1M)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brontile
