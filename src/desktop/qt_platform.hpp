// What the session asks of the desktop: real open and save dialogs (a .brontdoc package, which is
// a folder on disk, is picked as one item and never browsed into), the three-button question
// box, the clocks and a repeating timer.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <variant>
#include <vector>

#include "session/scripted_platform.hpp"
#include "session/session_platform.hpp"

#include <QObject>

class QDialog;
class QWidget;

namespace brontile::desktop {

// Seconds on the steady clock: the one clock of camera motion, shared by the session's inputs
// and the viewport's frames.
[[nodiscard]] double monotonicSeconds();

class QtPlatform final : public SessionPlatform {
public:
    using Request = ScriptedPlatform::Request;

    // Dialogs are shown over `window` once it is set.
    QtPlatform() = default;
    void setWindow(QWidget* window) { window_ = window; }

    // Called with every dialog just before it runs, while it is not yet shown: a script replay
    // uses it to answer the real dialog as a person would.
    void setDialogHook(std::function<void(QDialog&, const Request&)> hook) {
        dialogHook_ = std::move(hook);
    }
    // The requests asked since the last call, oldest first.
    [[nodiscard]] std::vector<Request> takeRequests();
    // Opens the window's own panels when a command asks for them.
    void setPanelHandler(std::function<void(WindowPanel)> handler) {
        panelHandler_ = std::move(handler);
    }

    // A replayed script's clock: the date starts at `start`, and advancing moves both clocks on
    // at once, firing the timers that fall due, as if that much time had passed.
    void startClockAt(DateTime start) { dateStart_ = start; }
    void advance(double seconds);

    [[nodiscard]] std::optional<std::filesystem::path> openPanel(
        const OpenPanelRequest& request) override;
    [[nodiscard]] std::optional<std::filesystem::path> savePanel(
        const SavePanelRequest& request) override;
    [[nodiscard]] std::optional<std::size_t> alert(const AlertRequest& request) override;
    void showPanel(WindowPanel panel) override;
    [[nodiscard]] DateTime now() const override;
    [[nodiscard]] double monotonicSeconds() const override;
    [[nodiscard]] std::unique_ptr<TimerHandle> repeat(double interval,
                                                      std::function<void()> tick) override;
    // On a thread of its own; `done` is queued to the window's thread.
    void runInBackground(std::function<void()> work, std::function<void()> done) override;
    void waitForBackground() override;

private:
    struct Timer;
    void run(QDialog& dialog, const Request& request);
    [[nodiscard]] std::optional<std::filesystem::path> openFilePanel(
        const OpenPanelRequest& request);

    std::optional<DateTime> dateStart_;
    double offset_ = 0;
    double started_ = desktop::monotonicSeconds();
    std::vector<std::weak_ptr<Timer>> timers_;
    QWidget* window_ = nullptr;
    std::function<void(QDialog&, const Request&)> dialogHook_;
    std::function<void(WindowPanel)> panelHandler_;
    std::vector<Request> requests_;
    // Where `done` is queued: it lives on the window's thread and, deleted with the platform,
    // drops results that arrive too late.
    std::unique_ptr<QObject> receiver_ = std::make_unique<QObject>();
    // A work's thread, and whether it has ended (so that it can be joined without waiting).
    struct Worker {
        std::shared_ptr<std::atomic<bool>> ended;
        std::jthread thread;
    };
    // Declared last so that they are joined first, while the receiver still exists.
    std::vector<Worker> workers_;
};

}  // namespace brontile::desktop
