#include "session/scripted_platform.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace brontile {

class ScriptedPlatform::Handle final : public TimerHandle {
public:
    explicit Handle(std::shared_ptr<Timer> timer) : timer_(std::move(timer)) {}
    ~Handle() override { timer_->alive = false; }

private:
    std::shared_ptr<Timer> timer_;
};

ScriptedPlatform::ScriptedPlatform(DateTime start) : start_(start) {}

void ScriptedPlatform::answerOpenPanel(std::optional<std::filesystem::path> location) {
    answers_.answerOpenPanel(std::move(location));
}

void ScriptedPlatform::answerSavePanel(std::optional<std::filesystem::path> location) {
    answers_.answerSavePanel(std::move(location));
}

void ScriptedPlatform::answerAlert(std::string button) { answers_.answerAlert(std::move(button)); }

void ScriptedPlatform::advance(double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds)) return;
    const double end = elapsed_ + seconds;
    for (;;) {
        std::erase_if(timers_, [](const auto& t) { return !t->alive; });
        const auto next = std::ranges::min_element(
            timers_, [](const auto& a, const auto& b) { return a->due < b->due; });
        if (next == timers_.end() || (*next)->due > end) break;
        const std::shared_ptr<Timer> timer = *next;
        elapsed_ = timer->due;
        timer->due += timer->interval;
        timer->tick();
    }
    elapsed_ = end;
}

std::vector<ScriptedPlatform::Request> ScriptedPlatform::takeRequests() {
    return std::exchange(requests_, {});
}

std::optional<std::string> ScriptedPlatform::takeUnmatchedAnswer() {
    return answers_.takeUnmatched();
}

std::optional<std::filesystem::path> ScriptedPlatform::openPanel(const OpenPanelRequest& request) {
    requests_.emplace_back(request);
    return answers_.takeOpenPanel();
}

std::optional<std::filesystem::path> ScriptedPlatform::savePanel(const SavePanelRequest& request) {
    requests_.emplace_back(request);
    return answers_.takeSavePanel();
}

std::optional<std::size_t> ScriptedPlatform::alert(const AlertRequest& request) {
    requests_.emplace_back(request);
    std::optional<std::string> answer = answers_.takeAlert();
    if (!answer) return std::nullopt;
    const auto it = std::ranges::find(request.buttons, *answer);
    if (it == request.buttons.end()) {
        answers_.noteUnmatched(std::move(*answer));
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - request.buttons.begin());
}

void ScriptedPlatform::showPanel(WindowPanel panel) {
    if (!isShowing(panel)) shownPanels_.push_back(panel);
}

bool ScriptedPlatform::isShowing(WindowPanel panel) const {
    return std::ranges::find(shownPanels_, panel) != shownPanels_.end();
}

void ScriptedPlatform::runInBackground(std::function<void()> work, std::function<void()> done) {
    if (holding_) {
        held_.push_back({std::move(work), std::move(done)});
        return;
    }
    work();
    done();
}

void ScriptedPlatform::runAll(std::deque<Held>& queue) {
    // Oldest first; a work may hand over more, which joins the end of the queue.
    while (!queue.empty()) {
        Held next = std::move(queue.front());
        queue.pop_front();
        next.work();
        next.done();
    }
}

void ScriptedPlatform::releaseBackground() { runAll(held_); }

bool ScriptedPlatform::runPreview(std::function<void()> work, std::function<void()> done) {
    if (!previewsLater_) {
        runInBackground(std::move(work), std::move(done));
        return true;
    }
    previews_.push_back({std::move(work), std::move(done)});
    return false;
}

void ScriptedPlatform::runPreviews() { runAll(previews_); }

DateTime ScriptedPlatform::now() const {
    return start_ +
           std::chrono::microseconds(static_cast<std::int64_t>(std::llround(elapsed_ * 1e6)));
}

std::unique_ptr<TimerHandle> ScriptedPlatform::repeat(double interval, std::function<void()> tick) {
    // A timer that would fire without pause is never due.
    const double step = interval > 0 && std::isfinite(interval) ? interval : INFINITY;
    auto timer = std::make_shared<Timer>(Timer{step, elapsed_ + step, std::move(tick)});
    timers_.push_back(timer);
    return std::make_unique<Handle>(std::move(timer));
}

}  // namespace brontile
