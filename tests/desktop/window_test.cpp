// The real window on a virtual display: a person's mouse and keyboard through the viewport
// widget, the menus, the dialogs, and what the viewport actually drew.
#include <fstream>

#include <nlohmann/json.hpp>

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "commands/app_command_id.hpp"
#include "desktop/action_bar.hpp"
#include "desktop/command_palette.hpp"
#include "desktop/menu_layout.hpp"
#include "desktop/shortcut_sheet.hpp"
#include "desktop/view_cube.hpp"
#include "io/native_package_io.hpp"
#include "window_checks.hpp"

namespace brontile::test {
namespace {

// On the top face, away from the Z axis that rises through its middle.
const Vec3 kTopOfBox{10, 5, 20};

TEST_F(WindowTest, ModelledBoxIsDrawnAndFollowsUndoAndRedo) {
    ASSERT_TRUE(viewport().isDrawing()) << viewport().drawingFailure();
    EXPECT_GT(patchAround(QPoint(6, 6)).clearShare, 0.9) << "the clear colour fills empty space";
    ASSERT_NO_FATAL_FAILURE(sketchAndExtrudeBox());
    EXPECT_NEAR(session().document().bodies[0].mesh.volume(), 40 * 30 * 20, 1e-6);
    // Leave the sketch so that only the body is under the sample.
    play(R"({"command": "sketch.finish"})");
    const Patch top = patchAround(kTopOfBox);
    EXPECT_LT(top.clearShare, 0.05) << "the body covers its top face";
    EXPECT_LT(top.colourSpread, 12) << "nothing under the top face shows through";

    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(session().document().bodies.empty());
    EXPECT_GT(patchAround(kTopOfBox).clearShare, 0.4) << "the undone body is no longer drawn";

    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(session().document().bodies.size(), 1u);
    EXPECT_LT(patchAround(kTopOfBox).clearShare, 0.05) << "redo draws it again";

    // Cut through the middle, the box shows a cap, filled and darker than its top face; the
    // open inside of the box, lit like the top, would be as bright.
    play(R"({"command": "edit.deselect"}, {"command": "view.sectionTop"})");
    const Patch cap = patchAround(Vec3{10, 5, 10});
    EXPECT_LT(cap.clearShare, 0.05);
    EXPECT_LT(cap.colourSpread, 12) << "the cap is one flat fill";
    EXPECT_LT(cap.level, top.level * 0.8) << "top " << top.level << ", cap " << cap.level;
}

TEST_F(WindowTest, AnIdleWindowDrawsNothingAndAChangeDrawsAFrame) {
    ASSERT_TRUE(viewport().isDrawing()) << viewport().drawingFailure();
    ASSERT_NO_FATAL_FAILURE(sketchAndExtrudeBox());
    // Long enough for any coasting to end.
    QTest::qWait(500);
    const auto before = viewport().framesDrawn();
    QTest::qWait(1000);
    EXPECT_EQ(viewport().framesDrawn(), before) << "an idle second drew frames";
    // The extrude left the new body selected.
    play(R"({"command": "edit.deselect"})");
    settle();
    const auto selected = viewport().framesDrawn();
    EXPECT_GT(selected, before) << "letting the body go drew nothing";
    play(R"({"command": "view.top"})");
    settle();
    EXPECT_GT(viewport().framesDrawn(), selected) << "turning the camera drew nothing";
}

TEST_F(WindowTest, UnsavedChangesAreAskedAboutAndSaveAsThenOpenRoundTripsThePackage) {
    ASSERT_NO_FATAL_FAILURE(sketchAndExtrudeBox());
    // Closing with unsaved changes asks; Cancel keeps the window.
    dialogs.answerAlert("Cancel");
    EXPECT_FALSE(window().close());
    EXPECT_TRUE(window().isVisible());
    const auto package = scratch.path() / "bracket";
    dialogs.answerSavePanel(package);
    play(R"({"command": "file.saveAs"})");
    const auto saved = scratch.path() / "bracket.brontdoc";
    ASSERT_TRUE(std::filesystem::is_directory(saved)) << session().errorMessage().value_or("");
    EXPECT_EQ(NativePackageIO::load(saved).bodies.size(), 1u);
    EXPECT_EQ(window().windowTitle().toStdString(), "bracket");

    play(R"({"command": "file.new"})");
    EXPECT_TRUE(session().document().bodies.empty());
    dialogs.answerOpenPanel(saved);
    play(R"({"command": "file.open"})");
    EXPECT_EQ(session().document().bodies.size(), 1u);
    EXPECT_EQ(session().statusMessage().value_or(""), "Opened bracket.brontdoc");
    play(R"({"command": "edit.selectAll"}, {"command": "edit.delete"})");
    ASSERT_TRUE(session().isDirty());
    dialogs.answerAlert("Discard");
    EXPECT_TRUE(window().close());
}

TEST(PackageDialogs, APackageIsChosenAsOneItemInsteadOfBeingBrowsedInto) {
    const ScratchDirectory folder;
    const auto package = folder.path() / "part.brontdoc";
    std::filesystem::create_directories(package / "geometry");
    desktop::QtPlatform platform;
    // Entering the package, as a double click on it does.
    platform.setDialogHook([&](QDialog& dialog, const desktop::QtPlatform::Request&) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        ASSERT_NE(files, nullptr);
        QTimer::singleShot(0, files, [files, package] {
            files->selectFile(QString::fromStdString(package.string()));
            static_cast<QDialog*>(files)->accept();
        });
        // A dialog that browsed into the package instead stays open: end the test's wait.
        QTimer::singleShot(3000, files, [files] { static_cast<QDialog*>(files)->done(0); });
    });
    const auto chosen =
        platform.openPanel({"Choose a .brontdoc document package", "Open", "brontdoc"});
    EXPECT_EQ(chosen, package);
}

TEST_F(WindowTest, MenusListTheRegistryWithPlatformShortcuts) {
    const QList<QAction*> menus = window().menuBar()->actions();
    const auto& layouts = desktop::menuLayouts();
    ASSERT_EQ(menus.size(), static_cast<qsizetype>(layouts.size()));
    EXPECT_EQ(menuAction("file.saveAs")->shortcut().toString(), "Ctrl+Shift+S");
    EXPECT_EQ(menuAction("tool.line")->shortcut().toString(), "L");
    // Every registry command of the layout is in its menu, titled from the registry.
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        EXPECT_EQ(menus[static_cast<qsizetype>(i)]->text().toStdString(), layouts[i].title);
        for (const auto& item : layouts[i].items) {
            if (!item) continue;
            QAction* action = menuAction(item->rawValue);
            ASSERT_NE(action, nullptr) << item->rawValue;
            EXPECT_EQ(action->text().toStdString(), session().registry().title(*item));
        }
    }
}

// Keys in the viewport run their command once, whether or not a menu shows the key; the palette
// gives the keyboard back, except to a panel its command opened.
TEST_F(WindowTest, KeysInTheViewportTakeTheKeymapsRoad) {
    viewport().setFocus();
    press(Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(window().palette().isOpen());
    press(Qt::Key_Escape);
    EXPECT_FALSE(window().palette().isOpen());
    EXPECT_TRUE(viewport().hasFocus());
    press(Qt::Key_L);
    EXPECT_EQ(session().activeToolID(), ToolID::line);
    press(Qt::Key_Escape);
    EXPECT_EQ(session().activeToolID(), ToolID::select);
    const auto sketches = session().document().sketches.size();
    press(Qt::Key_S);
    EXPECT_EQ(session().document().sketches.size(), sketches + 1) << "a menu's key runs once";
    press(Qt::Key_K, Qt::ControlModifier);
    QTest::keyClicks(window().palette().searchField(), "keyboard shortcuts");
    press(Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window().shortcutSheet().isOpen());
    EXPECT_FALSE(viewport().hasFocus());
}

// The action bar at the window's first size and at its smallest: every label whole, the bar clear
// of the view cube, and its left edge and the buttons two selections share where they were as the
// selection changes under them.
TEST_F(WindowTest, ActionBarShowsWholeLabelsClearOfTheViewCubeAndHoldsItsPlace) {
    const auto& bar = *window().findChild<desktop::ActionBar*>();
    const auto& cube = *window().findChild<desktop::ViewCube*>();
    const auto checkBar = [&](const std::string& when) {
        settle();
        SCOPED_TRACE(when + ", window " + std::to_string(window().width()) + " wide");
        EXPECT_FALSE(bar.geometry().intersects(cube.geometry()));
        EXPECT_TRUE(bar.parentWidget()->rect().contains(bar.geometry()));
        for (const QToolButton* button : bar.buttons()) {
            if (!button->isVisibleTo(&bar)) continue;
            EXPECT_TRUE(bar.rect().contains(button->geometry())) << button->text().toStdString();
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
        }
        EXPECT_EQ(bar.moreButton()->isVisibleTo(&bar), !bar.overflowCommands().empty());
    };
    // Where a command's button is in the window; -1 when the bar does not show it.
    const auto xOf = [&](const CommandID& command) {
        for (const QToolButton* button : bar.buttons()) {
            if (button->objectName().toStdString() == command.rawValue &&
                button->isVisibleTo(&bar)) {
                return button->mapTo(&window(), QPoint()).x();
            }
        }
        return -1;
    };
    const int left = bar.x();
    checkBar("an empty document");
    play(R"({"command": "sketch.new"}, {"key": "r"}, {"click": {"world": [-20, -15, 0]}},
        {"click": {"world": [20, 15, 0]}}, {"command": "tool.select"})");
    checkBar("a sketch");
    const int extrude = xOf(AppCommandID::toolExtrude);
    const int trim = xOf(AppCommandID::toolTrim);
    // Picking a curve puts the constraint commands after those the sketch already offered.
    play(R"({"click": {"world": [0, -15, 0]}})");
    ASSERT_EQ(session().selection().sketchEntities.size(), 1u);
    checkBar("a curve picked");
    EXPECT_EQ(bar.x(), left);
    EXPECT_EQ(xOf(AppCommandID::toolExtrude), extrude);
    EXPECT_EQ(xOf(AppCommandID::toolTrim), trim);
    window().resize(desktop::MainWindow::kMinimumWidth, desktop::MainWindow::kMinimumHeight);
    checkBar("a curve picked");
    EXPECT_FALSE(bar.overflowCommands().empty());
    EXPECT_EQ(bar.x(), left);
    EXPECT_EQ(xOf(AppCommandID::toolExtrude), extrude);
}

// The program itself, started as a person would start it.
struct ProgramRun {
    int exitCode = -1;
    QString errors;
};

ProgramRun runProgram(const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BRONTILE_PROGRAM), arguments);
    EXPECT_TRUE(process.waitForFinished(120'000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

TEST(DesktopProgram, WithoutADisplaySaysSoAndFails) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    const ProgramRun run = runProgram({}, environment);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("no display")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("with-display")) << run.errors.toStdString();
}

// The same numbers, to a relative 1e-9 (the window's pinch carries a zoom factor as 1 − m).
void expectSameJson(const nlohmann::json& a, const nlohmann::json& b, const std::string& path) {
    if (a.is_number() && b.is_number()) {
        const double x = a.get<double>();
        const double y = b.get<double>();
        EXPECT_LE(std::abs(x - y), 1e-9 * std::max(1.0, std::abs(x))) << path;
        return;
    }
    ASSERT_EQ(a.type(), b.type()) << path;
    if (a.is_object()) {
        ASSERT_EQ(a.size(), b.size()) << path;
        for (const auto& [key, value] : a.items()) {
            ASSERT_TRUE(b.contains(key)) << path << "." << key;
            expectSameJson(value, b[key], path + "." + key);
        }
    } else if (a.is_array()) {
        ASSERT_EQ(a.size(), b.size()) << path;
        for (std::size_t i = 0; i < a.size(); ++i) {
            expectSameJson(a[i], b[i], path + "[" + std::to_string(i) + "]");
        }
    } else {
        EXPECT_EQ(a, b) << path;
    }
}

std::vector<nlohmann::json> traceLines(const std::filesystem::path& file) {
    std::vector<nlohmann::json> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
}

TEST(DesktopProgram, ReplaysAScriptWithoutOpenGLAndStillWorks) {
    const ScratchDirectory folder;
    const auto script = writeBytes(folder.path() / "script.json", R"({"steps": [
        {"command": "sketch.new"}, {"command": "tool.rectangle"},
        {"click": {"world": [-10, -10, 0]}}, {"click": {"world": [10, 10, 0]}},
        {"command": "palette.show"}, {"key": "escape"}]})");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Qt's X11 platform without any OpenGL integration: no context can be had.
    environment.insert("QT_XCB_GL_INTEGRATION", "none");
    const auto trace = folder.path() / "trace.jsonl";
    const auto picture = folder.path() / "window.png";
    const auto path = [](const std::filesystem::path& file) {
        return QString::fromStdString(file.string());
    };
    const ProgramRun run = runProgram(
        {"--replay", path(script), "--trace", path(trace), "--screenshot", path(picture)},
        environment);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(std::filesystem::exists(picture));
    const auto lines = traceLines(trace);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines.back()["document"]["sketches"][0]["entities"].size(), 4u);
}

TEST(DesktopProgram, WindowReplayTracesWhatTheCommandLineTraces) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("brontile-traces-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto script = folder / "script.json";
    const std::string package = (folder / "part").string();
    {
        std::ofstream out(script);
        out << R"({"steps": [{"key": "s"}, {"key": "r"},
            {"click": {"world": [-20, -15, 0]}}, {"click": {"world": [20, 15, 0]}},
            {"command": "tool.extrude"}, {"click": {"world": [5, 5, 0]}}, {"type": "12"},
            {"key": "z", "modifiers": ["command"]}, {"key": "z", "modifiers": ["shift", "command"]},
            {"orbit": [40, -10]}, {"zoom": {"factor": 0.8, "screen": [600, 400]}},
            {"answer": {"savePanel": ")"
            << package << R"("}}, {"command": "file.saveAs"}]})";
    }
    const auto run = [&](const QString& program, const QStringList& arguments) {
        std::filesystem::remove_all(folder / "part.brontdoc");
        QProcess process;
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(120'000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return process.readAllStandardOutput();
    };
    const QString scriptPath = QString::fromStdString(script.string());
    const auto cliTrace = folder / "cli.jsonl";
    std::ofstream(cliTrace)
        << run(QStringLiteral(BRONTILE_CLI_PROGRAM), {"replay", scriptPath}).toStdString();
    const auto windowTrace = folder / "window.jsonl";
    run(QStringLiteral(BRONTILE_PROGRAM),
        {"--replay", scriptPath, "--trace", QString::fromStdString(windowTrace.string())});
    const auto expected = traceLines(cliTrace);
    const auto actual = traceLines(windowTrace);
    ASSERT_EQ(actual.size(), 13u);
    ASSERT_EQ(expected.size(), actual.size());
    EXPECT_EQ(actual.back()["document"]["bodies"].size(), 1u);
    for (std::size_t i = 0; i < actual.size(); ++i) {
        expectSameJson(expected[i], actual[i], "step " + std::to_string(i + 1));
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace brontile::test
