// What the session asks of the world outside it: the open and save panels, alerts, the window's
// own panels, the clock and a repeating timer. The desktop shell answers with real dialogs;
// tests and script replays answer from queues with a clock they move by hand.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/date_time.hpp"

namespace brontile {

// One item, file or folder; a folder whose name ends in `packageExtension` is a document and is
// chosen as one item, never browsed into.
struct OpenPanelRequest {
    std::string message;
    std::string confirmButton;
    std::string packageExtension;
    // When given, the panel picks a plain file with one of these extensions (any letter case)
    // instead of a package.
    std::vector<std::string> fileExtensions = {};
};

// New folders may always be made from the panel.
struct SavePanelRequest {
    std::optional<std::string> message;
    // The file name offered, with its extension.
    std::string proposedName;
    // The only kind of file the panel offers (an export's format); nothing lets the person type
    // any name.
    std::optional<std::string> requiredExtension;
};

struct AlertRequest {
    std::string message;
    std::optional<std::string> informative;
    // In the order they are shown; the first is the default.
    std::vector<std::string> buttons;
};

// The window's panels a command opens; the window closes them itself.
enum class WindowPanel { commandPalette, shortcutSheet };

// Stops its timer when destroyed.
class TimerHandle {
public:
    virtual ~TimerHandle() = default;
};

class SessionPlatform {
public:
    SessionPlatform() = default;
    SessionPlatform(const SessionPlatform&) = delete;
    SessionPlatform& operator=(const SessionPlatform&) = delete;
    virtual ~SessionPlatform() = default;

    // The chosen location; nothing when the panel was cancelled.
    [[nodiscard]] virtual std::optional<std::filesystem::path> openPanel(
        const OpenPanelRequest& request) = 0;
    [[nodiscard]] virtual std::optional<std::filesystem::path> savePanel(
        const SavePanelRequest& request) = 0;
    // The position of the button chosen; nothing when the alert was closed without one.
    [[nodiscard]] virtual std::optional<std::size_t> alert(const AlertRequest& request) = 0;
    virtual void showPanel(WindowPanel panel) = 0;
    // The wall-clock time, for the document's dates.
    [[nodiscard]] virtual DateTime now() const = 0;
    // Seconds on a clock that never goes back, for camera motion.
    [[nodiscard]] virtual double monotonicSeconds() const = 0;
    // Calls `tick` every `interval` seconds on the session's thread while the handle lives.
    [[nodiscard]] virtual std::unique_ptr<TimerHandle> repeat(double interval,
                                                              std::function<void()> tick) = 0;
    // Runs `work` off the session's thread, then `done` back on it. A work the session stopped
    // may still be ending while the next one runs. A platform without threads may run both
    // before returning, in order, as a replay does to stay the same on every run.
    virtual void runInBackground(std::function<void()> work, std::function<void()> done) = 0;
    // Returns once every work handed over has ended (their `done` may still be queued).
    virtual void waitForBackground() = 0;
    // A drag preview's work, run as runInBackground runs it. False when it will only run once
    // the present step is over (a replay, whose lines show where each step ended), so that
    // waiting for it now is pointless; the drag's later requests then replace it unseen.
    virtual bool runPreview(std::function<void()> work, std::function<void()> done) {
        runInBackground(std::move(work), std::move(done));
        return true;
    }
};

}  // namespace brontile
