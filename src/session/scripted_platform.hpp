// A platform that answers panels and alerts from queues of prepared answers, with a clock moved
// by hand: for tests and for replaying scripts of user actions. A panel or alert asked with no
// answer queued for its kind counts as cancelled. Every request is kept, so a caller can show
// what the person would have seen.
#pragma once

#include <deque>
#include <variant>

#include "session/queued_answers.hpp"
#include "session/session_platform.hpp"

namespace brontile {

class ScriptedPlatform final : public SessionPlatform {
public:
    // An alert's answer is the text of the button to choose.
    using Request = std::variant<OpenPanelRequest, SavePanelRequest, AlertRequest>;

    explicit ScriptedPlatform(DateTime start);

    void answerOpenPanel(std::optional<std::filesystem::path> location);
    void answerSavePanel(std::optional<std::filesystem::path> location);
    void answerAlert(std::string button);

    // Moves the clock on and fires every timer tick that falls due, in time order.
    void advance(double seconds);

    // The requests asked since the last call, oldest first.
    [[nodiscard]] std::vector<Request> takeRequests();
    // The last queued alert answer that named no button of the alert it was given to (the alert
    // was then closed), since the last call.
    [[nodiscard]] std::optional<std::string> takeUnmatchedAnswer();

    [[nodiscard]] std::optional<std::filesystem::path> openPanel(
        const OpenPanelRequest& request) override;
    [[nodiscard]] std::optional<std::filesystem::path> savePanel(
        const SavePanelRequest& request) override;
    [[nodiscard]] std::optional<std::size_t> alert(const AlertRequest& request) override;
    // Nothing here closes a panel once it was shown, as no person is there to close it.
    void showPanel(WindowPanel panel) override;
    [[nodiscard]] bool isShowing(WindowPanel panel) const;
    [[nodiscard]] DateTime now() const override;
    [[nodiscard]] double monotonicSeconds() const override { return elapsed_; }
    [[nodiscard]] std::unique_ptr<TimerHandle> repeat(double interval,
                                                      std::function<void()> tick) override;
    // Runs the work and then `done` at once: a script's steps wait for every operation. While
    // held (a test looking at a session mid-operation), keeps them for releaseBackground().
    void runInBackground(std::function<void()> work, std::function<void()> done) override;
    void waitForBackground() override {}
    void holdBackground() { holding_ = true; }
    // Runs every work held so far and its `done`, oldest first (and those they hand over).
    void releaseBackground();
    [[nodiscard]] std::size_t heldBackground() const { return held_.size(); }
    // A replay: previews wait for runPreviews() at the end of each step, as a person's drag
    // never waits for them, so that only a drag's last preview is worked out.
    void previewAfterEachStep() { previewsLater_ = true; }
    bool runPreview(std::function<void()> work, std::function<void()> done) override;
    // Works out the previews asked for since the last call (and those they hand over).
    void runPreviews();

private:
    struct Held {
        std::function<void()> work;
        std::function<void()> done;
    };
    static void runAll(std::deque<Held>& queue);

    struct Timer {
        double interval;
        double due;
        std::function<void()> tick;
        bool alive = true;
    };
    class Handle;

    DateTime start_;
    double elapsed_ = 0;
    QueuedAnswers answers_;
    std::vector<Request> requests_;
    std::vector<WindowPanel> shownPanels_;
    std::vector<std::shared_ptr<Timer>> timers_;
    bool holding_ = false;
    std::deque<Held> held_;
    bool previewsLater_ = false;
    std::deque<Held> previews_;
};

}  // namespace brontile
