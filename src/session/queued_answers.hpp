// Answers prepared for the panels and alerts a script will meet, oldest first, one queue per
// kind. A panel or alert met with nothing queued for its kind is cancelled. Shared by the scripted
// platform and the window's replay, which give the same answers to different dialogs.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace brontile {

class QueuedAnswers {
public:
    using Location = std::optional<std::filesystem::path>;

    void answerOpenPanel(Location location) { openPanels_.push_back(std::move(location)); }
    void answerSavePanel(Location location) { savePanels_.push_back(std::move(location)); }
    // The text of the button to choose.
    void answerAlert(std::string button) { alerts_.push_back(std::move(button)); }

    // The oldest answer of its kind, taken off the queue; nothing (a cancel) when none is left.
    [[nodiscard]] Location takeOpenPanel() { return takeFront(openPanels_).value_or(Location{}); }
    [[nodiscard]] Location takeSavePanel() { return takeFront(savePanels_).value_or(Location{}); }
    [[nodiscard]] std::optional<std::string> takeAlert() { return takeFront(alerts_); }

    // An alert answer that named no button of its alert; kept until taken.
    void noteUnmatched(std::string button) { unmatched_ = std::move(button); }
    [[nodiscard]] std::optional<std::string> takeUnmatched() {
        return std::exchange(unmatched_, std::nullopt);
    }

private:
    template <class T>
    static std::optional<T> takeFront(std::deque<T>& queue) {
        if (queue.empty()) return std::nullopt;
        std::optional<T> front(std::move(queue.front()));
        queue.pop_front();
        return front;
    }

    std::deque<Location> openPanels_;
    std::deque<Location> savePanels_;
    std::deque<std::string> alerts_;
    std::optional<std::string> unmatched_;
};

}  // namespace brontile
