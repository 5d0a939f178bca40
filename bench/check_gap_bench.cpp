// How long the kernel's long operations and the exports go between two checks of their progress:
// the longest wait a stop (Escape, or Cancel in the status bar) can see before the operation
// notices it. A second thread watches the check count and times the longest stretch it stays the
// same.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "io/mesh_export.hpp"
#include "kernel/poly_kernel.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

using Clock = std::chrono::steady_clock;

// Runs the operation once, watched; the longest stretch without a check, in milliseconds.
double longestGap(const std::function<void(Progress&)>& operation) {
    Progress progress;
    std::atomic<bool> done{false};
    double longest = 0;
    std::thread watcher([&] {
        std::uint64_t seen = progress.checks();
        Clock::time_point since = Clock::now();
        while (!done.load()) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            const std::uint64_t now = progress.checks();
            const Clock::time_point at = Clock::now();
            if (now != seen) {
                seen = now;
                since = at;
            } else {
                longest = std::max(longest,
                                   std::chrono::duration<double, std::milli>(at - since).count());
            }
        }
    });
    operation(progress);
    done.store(true);
    watcher.join();
    return longest;
}

void gap(benchmark::State& state, const std::function<void(Progress&)>& operation) {
    double longest = 0;
    for (auto _ : state) longest = std::max(longest, longestGap(operation));
    state.counters["longestGapMs"] = longest;
}

const PolyKernel kernel;

void BM_UnionOfSpheres(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const SolidMesh a = test::sphereMesh({0, 0, 0}, 50, n, n / 2);
    const SolidMesh b = test::sphereMesh({30, 10, 5}, 50, n, n / 2);
    state.counters["triangles"] = static_cast<double>(a.triangleCount());
    gap(state, [&](Progress& p) { (void)kernel.boolean(a, b, BooleanOp::unite, p); });
}

void BM_ShellOfASphere(benchmark::State& state) {
    const SolidMesh ball = test::sphereMesh({0, 0, 0}, 50, 140, 70);
    state.counters["triangles"] = static_cast<double>(ball.triangleCount());
    gap(state, [&](Progress& p) { (void)kernel.shell(ball, 2, p); });
}

// A block drilled by a fine cylinder, then its top face rounded: one subtraction per edge.
void BM_FilletOfADrilledTop(benchmark::State& state) {
    const SolidMesh block =
        kernel.boolean(test::boxMesh({0, 0, 0}, {100, 100, 20}),
                       test::cylinderMesh({50, 50, -5}, 20, 30, 256), BooleanOp::subtract);
    FaceID top;
    for (const SolidFace& face : block.faces()) {
        if (face.normal.z > 0.99 && block.centroid(face).z > 19) top = face.id;
    }
    gap(state, [&](Progress& p) { (void)kernel.fillet(block, top, 2, p); });
}

// Exports of a 100 000-triangle body, each format through the writer the window uses.
void BM_Export100k(benchmark::State& state, InterchangeFormat format) {
    CADDocument document = CADDocument::empty("large");
    document.addBody(test::largeMesh(100'000));
    const auto file = std::filesystem::temp_directory_path() /
                      ("brontile-gap-bench." + std::string(rawValue(format)));
    gap(state, [&](Progress& p) { MeshExport::writeFile(document, format, file, p); });
    std::filesystem::remove(file);
}

BENCHMARK(BM_UnionOfSpheres)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ShellOfASphere)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilletOfADrilledTop)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Export100k, stl, InterchangeFormat::stl)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export100k, obj, InterchangeFormat::obj)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export100k, threeMF, InterchangeFormat::threeMF)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export100k, step, InterchangeFormat::step)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Export100k, iges, InterchangeFormat::iges)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace brontile
