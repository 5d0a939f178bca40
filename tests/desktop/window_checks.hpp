// The real window on the test display, with the session and platform it shows, and the checks
// the window tests share: points of the model on the screen, clicks and keys as a person gives
// them, answers for the dialogs, and the colour of what the viewport drew.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <QWidget>

#include "desktop/main_window.hpp"
#include "desktop/qt_platform.hpp"
#include "desktop/viewport_widget.hpp"
#include "desktop/window_replay.hpp"
#include "support/scratch_directory.hpp"

namespace brontile::test {

class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;
    // Saves a picture of the window next to the test program when the test failed.
    void TearDown() override;

    DocumentSession& session() { return *session_; }
    desktop::MainWindow& window() { return *window_; }
    desktop::ViewportWidget& viewport() { return window_->viewport(); }

    // The viewport point showing a model point.
    [[nodiscard]] QPoint screenOf(const Vec3& world);
    // Plays replay steps (a script's step objects, comma-separated) as `brontile --replay` does:
    // real mouse and key events, typing into the HUD's field, commands through the menus.
    void play(const std::string& steps);
    // A key into whatever has the keyboard, as the keyboard gives it.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Lets the window draw a frame (or two) and handle what is pending.
    void settle();
    // The menu action of a command.
    [[nodiscard]] QAction* menuAction(const std::string& command);

    // Sketches a 40 × 30 mm rectangle on the ground and extrudes it 20 mm by typing the value.
    void sketchAndExtrudeBox();

    // A 9 × 9 patch of the drawn frame: the share of its pixels that show the clear colour (0 to
    // 1), the largest difference of any colour channel over it, small where one flat face
    // fills it, and its mean grey level (0 to 255).
    struct Patch {
        double clearShare;
        int colourSpread;
        int level;
    };
    [[nodiscard]] Patch patchAround(const QPoint& viewportPoint);
    [[nodiscard]] Patch patchAround(const Vec3& world) { return patchAround(screenOf(world)); }

    ScratchDirectory scratch;

private:
    std::unique_ptr<desktop::QtPlatform> platform_;
    std::unique_ptr<DocumentSession> session_;
    std::unique_ptr<desktop::MainWindow> window_;

protected:
    // Answers the real dialogs as a replayed script does: queue a path (or nothing to cancel)
    // for the next open or save dialog, a button's text for the next question.
    desktop::WindowReplayTarget dialogs;
};

}  // namespace brontile::test
