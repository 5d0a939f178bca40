// `brontile --replay`: a script of user actions played against the real window. Pointer steps
// become mouse events at the viewport's points, keys go to the focused widget (through the menus'
// shortcuts where one matches, as a keyboard would), typed values go into the HUD's field, and
// dialog answers are given to the real dialogs. Each step lets a frame draw before its trace
// line is written.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "desktop/main_window.hpp"
#include "desktop/qt_platform.hpp"
#include "replay/replay_target.hpp"
#include "session/queued_answers.hpp"

namespace brontile::desktop {

class WindowReplayTarget final : public replay::ReplayTarget {
public:
    WindowReplayTarget(MainWindow& window, QtPlatform& platform);

    DocumentSession& session() override { return window_.session(); }
    void setViewportSize(double width, double height) override;
    void pointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers, int clicks) override;
    void key(const KeyPress& press) override;
    void type(const std::string& text) override;
    void command(const CommandID& id) override;
    void moveCamera(const CameraMotion& motion) override;
    [[nodiscard]] double clock() const override;
    void advanceClock(double seconds) override;
    void answerOpenPanel(std::optional<std::filesystem::path> location) override {
        answers_.answerOpenPanel(std::move(location));
    }
    void answerSavePanel(std::optional<std::filesystem::path> location) override {
        answers_.answerSavePanel(std::move(location));
    }
    void answerAlert(std::string button) override { answers_.answerAlert(std::move(button)); }
    std::vector<Request> takeRequests() override { return platform_.takeRequests(); }
    std::optional<std::string> takeUnmatchedAnswer() override { return answers_.takeUnmatched(); }
    [[nodiscard]] replay::PanelsShown panelsShown() const override;
    void settle() override;

private:
    void answer(QDialog& dialog, const Request& request);
    void cameraDrag(Qt::MouseButton button, double deltaX, double deltaY);
    void zoom(double factor, const Vec2& at);

    MainWindow& window_;
    QtPlatform& platform_;
    double clockStart_;
    bool leftHeld_ = false;
    QueuedAnswers answers_;
};

// Runs the script against the window, writes the trace (to `tracePath`, or standard output),
// and saves a picture of the window after the last step when asked. Returns the command line's
// exit code: 0 ran to its end, 2 a bad script, 1 anything else.
int replayInWindow(MainWindow& window, QtPlatform& platform, const std::filesystem::path& script,
                   const std::optional<std::filesystem::path>& tracePath,
                   const std::optional<std::filesystem::path>& screenshotPath);

}  // namespace brontile::desktop
