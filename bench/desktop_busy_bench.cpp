// The window while a long operation runs on its worker: the longest wait between two frames of
// a viewport asked to redraw all the time (as an orbit does), during a STEP export of a
// 100 000-triangle body, a union of two 80 000-triangle spheres and the recovery copy of a
// 1 000 000-triangle document; and how long Escape takes to give the window back, and the
// worker to stop. Needs a display (scripts/bench runs it on a
// virtual one).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>

#include "commands/app_command_id.hpp"
#include "desktop/main_window.hpp"
#include "desktop/qt_platform.hpp"
#include "desktop/theme.hpp"
#include "desktop/viewport_widget.hpp"
#include "desktop/window_replay.hpp"
#include "io/recovery_store.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs the window's event loop until `done` holds or ten minutes pass.
void spinUntil(const std::function<bool()>& done) {
    const auto start = Clock::now();
    while (!done() && msSince(start) < 600'000) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
}

struct Window {
    desktop::QtPlatform platform;
    DocumentSession session{platform};
    desktop::MainWindow window{session, platform};
    desktop::WindowReplayTarget target{window, platform};

    explicit Window(CADDocument document) {
        session.editor().replace(std::move(document));
        window.show();
        target.settle();
    }
};

// Starts the operation and gives the longest wait, while it runs and for a moment after (its
// result is recorded on the window's thread), between two frames of a viewport asked to redraw
// every few milliseconds (`redrawing`), or else between two ticks of a 2 ms timer with the
// viewport still: the second is the window's own thread held up by the operation, the first
// adds what drawing a frame of the scene costs (under a software renderer, most of it).
double longestGap(Window& w, bool redrawing, const std::function<void()>& start,
                  const std::function<bool()>& ended) {
    auto& viewport = w.window.viewport();
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    auto last = Clock::now();
    double longest = 0;
    const auto beat = [&] {
        longest = std::max(longest, msSince(last));
        last = Clock::now();
    };
    QObject::connect(&ticks, &QTimer::timeout, &viewport, [&] {
        if (redrawing) return viewport.update();
        beat();
    });
    const auto frames = QObject::connect(&viewport, &desktop::ViewportWidget::frameDrawn, beat);
    // The viewport draws on a timer of its own; counting the thread's gaps leaves it still.
    viewport.setUpdatesEnabled(redrawing);
    ticks.start(redrawing ? 4 : 2);
    start();
    last = Clock::now();
    spinUntil(ended);
    const auto end = Clock::now();
    spinUntil([&] { return msSince(end) > 500; });
    ticks.stop();
    viewport.setUpdatesEnabled(true);
    QObject::disconnect(frames);
    return longest;
}

void reportGap(
    benchmark::State& state, Window& w, const std::function<void()>& start,
    const std::function<void()>& after = [] {}, std::function<bool()> ended = {}) {
    if (!ended) ended = [&w] { return !w.session.operations().isBusy(); };
    double longest = 0;
    for (auto _ : state) {
        longest = std::max(longest, longestGap(w, state.range(0) != 0, start, ended));
        after();
    }
    state.counters[state.range(0) != 0 ? "frameGapMs" : "threadGapMs"] = longest;
}

CADDocument largeBody() {
    CADDocument document = CADDocument::empty("large");
    document.addBody(test::largeMesh(100'000));
    return document;
}

std::filesystem::path scratch(const char* name) {
    return std::filesystem::temp_directory_path() /
           ("brontile-busy-bench-" + std::to_string(::getpid()) + name);
}

void exportStep(Window& w, const std::filesystem::path& file) {
    w.target.answerSavePanel(file);
    w.target.command(AppCommandID::exportSTEP);
}

// Nothing but a worker that waits: what the frames of this scene cost by themselves.
void BM_GapWhileIdle(benchmark::State& state) {
    Window w(largeBody());
    reportGap(state, w, [&] {
        w.session.operations().start("Waiting", [](Progress&) {
            std::this_thread::sleep_for(std::chrono::seconds(2));
            return OperationRunner::Finish{};
        });
    });
}
BENCHMARK(BM_GapWhileIdle)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_GapDuringStepExport(benchmark::State& state) {
    Window w(largeBody());
    const auto file = scratch(".step");
    reportGap(state, w, [&] { exportStep(w, file); });
    std::filesystem::remove(file);
}
BENCHMARK(BM_GapDuringStepExport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_GapDuringUnionOfSpheres(benchmark::State& state) {
    CADDocument document = CADDocument::empty("spheres");
    document.addBody(test::sphereMesh({0, 0, 0}, 50, 284, 142));
    document.addBody(test::sphereMesh({30, 10, 5}, 50, 284, 142));
    state.counters["triangles"] = static_cast<double>(document.bodies.front().mesh.triangleCount());
    Window w(document);
    reportGap(
        state, w,
        [&] {
            w.target.command(AppCommandID::editSelectAll);
            w.target.command(AppCommandID::toolUnion);
        },
        [&] {
            w.target.command(AppCommandID::editUndo);
            w.target.settle();
        });
}
BENCHMARK(BM_GapDuringUnionOfSpheres)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

// A change to a 1 000 000-triangle document: its recovery copy is written on a worker while the
// window goes on.
void BM_GapDuringRecoveryCopy(benchmark::State& state) {
    CADDocument document = CADDocument::empty("large");
    document.addBody(test::largeMesh(1'000'000));
    Window w(document);
    const auto store = scratch("-recovery");
    w.session.files().recovery().useStore(RecoveryStore(store));
    const auto manifest = [&] {
        const auto folder = w.session.files().recovery().folder();
        return folder ? *folder / RecoveryStore::manifestName : std::filesystem::path();
    };
    // The change itself, recording included: all the window's thread does for the copy.
    double changeMs = 0;
    reportGap(
        state, w,
        [&] {
            std::error_code ignored;
            std::filesystem::remove(manifest(), ignored);
            const auto start = Clock::now();
            w.target.command(AppCommandID::viewToggleGrid);
            changeMs = std::max(changeMs, msSince(start));
        },
        [] {},
        [&] {
            const auto path = manifest();
            return !path.empty() && std::filesystem::exists(path);
        });
    state.counters["changeMs"] = changeMs;
    w.session.files().recovery().end();
    std::filesystem::remove_all(store);
}
BENCHMARK(BM_GapDuringRecoveryCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// Escape half a second into the export: the window is idle again within `windowBackMs`, the
// worker has stopped within `workerStopMs`, and no file is left.
void BM_EscapeDuringStepExport(benchmark::State& state) {
    Window w(largeBody());
    const auto file = scratch("-cancelled.step");
    double back = 0;
    double stopped = 0;
    for (auto _ : state) {
        exportStep(w, file);
        const auto start = Clock::now();
        spinUntil([&] { return msSince(start) > 500; });
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        const auto pressed = Clock::now();
        QApplication::sendEvent(&w.window.viewport(), &escape);
        spinUntil([&] { return !w.session.operations().isBusy(); });
        back = std::max(back, msSince(pressed));
        w.platform.waitForBackground();
        stopped = std::max(stopped, msSince(pressed));
        if (std::filesystem::exists(file)) state.SkipWithError("the cancelled export left a file");
    }
    state.counters["windowBackMs"] = back;
    state.counters["workerStopMs"] = stopped;
}
BENCHMARK(BM_EscapeDuringStepExport)->Unit(benchmark::kMillisecond)->Iterations(3);

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
