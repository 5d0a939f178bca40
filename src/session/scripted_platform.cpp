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
    openAnswers_.push_back(std::move(location));
}

void ScriptedPlatform::answerSavePanel(std::optional<std::filesystem::path> location) {
    saveAnswers_.push_back(std::move(location));
}

void ScriptedPlatform::answerAlert(std::string button) {
    alertAnswers_.push_back(std::move(button));
}

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
    return std::exchange(unmatched_, std::nullopt);
}

namespace {

// The oldest answer of the queue, taken off it; nothing (a cancel) for an empty queue.
std::optional<std::filesystem::path> takeAnswer(
    std::deque<std::optional<std::filesystem::path>>& answers) {
    if (answers.empty()) return std::nullopt;
    auto answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

}  // namespace

std::optional<std::filesystem::path> ScriptedPlatform::openPanel(const OpenPanelRequest& request) {
    requests_.emplace_back(request);
    return takeAnswer(openAnswers_);
}

std::optional<std::filesystem::path> ScriptedPlatform::savePanel(const SavePanelRequest& request) {
    requests_.emplace_back(request);
    return takeAnswer(saveAnswers_);
}

std::optional<std::size_t> ScriptedPlatform::alert(const AlertRequest& request) {
    requests_.emplace_back(request);
    if (alertAnswers_.empty()) return std::nullopt;
    const std::string answer = std::move(alertAnswers_.front());
    alertAnswers_.pop_front();
    const auto it = std::ranges::find(request.buttons, answer);
    if (it == request.buttons.end()) {
        unmatched_ = answer;
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - request.buttons.begin());
}

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
