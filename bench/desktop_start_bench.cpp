// From nothing to the first drawn frame of the real window: an empty document, and a package of
// 100 000 triangles opened as `brontile FILE` opens it. Needs a display (scripts/bench runs it
// on a virtual one).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "desktop/main_window.hpp"
#include "desktop/qt_platform.hpp"
#include "desktop/theme.hpp"
#include "desktop/viewport_widget.hpp"
#include "io/native_package_io.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

// Makes the window, opens the package (if any), shows it and waits for its first frame.
void openWindow(const std::optional<std::filesystem::path>& package) {
    desktop::QtPlatform platform;
    DocumentSession session(platform);
    desktop::MainWindow window(session, platform);
    if (package) session.files().openDocumentAt(*package);
    QEventLoop loop;
    QObject::connect(&window.viewport(), &desktop::ViewportWidget::frameDrawn, &loop,
                     &QEventLoop::quit);
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    window.show();
    loop.exec();
    if (window.viewport().framesDrawn() == 0) throw std::runtime_error("no frame was drawn");
}

void BM_FirstFrameEmptyDocument(benchmark::State& state) {
    for (auto _ : state) openWindow(std::nullopt);
}
BENCHMARK(BM_FirstFrameEmptyDocument)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FirstFrameOf100kTrianglePackage(benchmark::State& state) {
    const auto package = std::filesystem::temp_directory_path() /
                         ("brontile-start-bench-" + std::to_string(::getpid()) + ".brontdoc");
    CADDocument document = CADDocument::empty("start");
    document.addBody(test::largeMesh(100'000));
    static_cast<void>(NativePackageIO::save(document, package, currentDateTime()));
    for (auto _ : state) openWindow(package);
    std::filesystem::remove_all(package);
}
BENCHMARK(BM_FirstFrameOf100kTrianglePackage)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace brontile

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    brontile::desktop::applyTheme(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
