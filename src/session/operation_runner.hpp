// The one long operation of a session at a time, run off the window's thread: a boolean, a
// fillet, a shell, an export. Its work gets the values it needs and a Progress, never the
// session; what it returns runs back on the session's thread, where the result is recorded as
// one step as it always was. While it runs the session is busy: its phase and fraction are
// shown, Escape or Cancel stops it, and nothing else may change the document.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/progress.hpp"
#include "session/session_notifier.hpp"
#include "session/session_platform.hpp"
#include "session/status_lines.hpp"

namespace brontile {

class OperationRunner {
public:
    // What to do on the session's thread with the work's result.
    using Finish = std::function<void()>;
    // The work itself; throws to fail (the error line says why) or Cancelled when stopped.
    using Work = std::function<Finish(Progress&)>;

    OperationRunner(SessionPlatform& platform, StatusLines& status, SessionNotifier& notifier);
    OperationRunner(const OperationRunner&) = delete;
    OperationRunner& operator=(const OperationRunner&) = delete;
    // Stops a running operation and waits for every work it started to end; results are dropped.
    ~OperationRunner();

    // Starts the work unless an operation is running (false then, and nothing starts). On a
    // platform without a thread of its own the work runs, and finishes, before this returns.
    bool start(std::string phase, Work work);
    [[nodiscard]] bool isBusy() const { return running_ != nullptr; }
    // The running operation's phase ("Rounding edges") and share done; nothing when idle.
    [[nodiscard]] std::optional<std::string> phase() const;
    [[nodiscard]] double fraction() const;
    // Stops the running operation: the session is idle again at once, nothing has changed, and
    // the status line says "Cancelled"; the work itself ends at its next check, its result
    // dropped. Nothing when idle, or when the work has passed its point of no return.
    void cancel();
    // Arms a stop of the next operation at its k-th progress check (0: the first), so that a
    // replay or a test can cancel at a chosen point, the same on every run.
    void cancelNextAt(std::uint64_t check) { armedStop_ = check; }

private:
    struct Running;
    void finished(const std::shared_ptr<Running>& running);

    SessionPlatform& platform_;
    StatusLines& status_;
    SessionNotifier& notifier_;
    std::shared_ptr<Running> running_;
    std::optional<std::uint64_t> armedStop_;
    // Goes with the runner: a result arriving after it is gone finds it expired.
    std::shared_ptr<OperationRunner*> self_ = std::make_shared<OperationRunner*>(this);
};

}  // namespace brontile
