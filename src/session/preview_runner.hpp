// A tool's preview during a drag, when working it out takes long (a fillet of a large body):
// each request runs off the window's thread and is shown straight away when it is done within
// a frame's worth of waiting; otherwise the drag goes on and the preview shows when it arrives.
// One work runs at a time: a request made meanwhile stops it and waits its turn, replacing any
// request already waiting, so the newest is the one shown and older ones never are.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "base/progress.hpp"
#include "session/session_platform.hpp"

namespace brontile {

class PreviewRunner {
public:
    // What to show, on the session's thread.
    using Show = std::function<void()>;
    // The work: computes from the values it was given, checking the progress.
    using Work = std::function<Show(Progress&)>;

    // How long a request waits for its own result before the drag goes on without it.
    static constexpr std::chrono::milliseconds kWaitForResult{30};

    explicit PreviewRunner(SessionPlatform& platform);
    PreviewRunner(const PreviewRunner&) = delete;
    PreviewRunner& operator=(const PreviewRunner&) = delete;
    // Stops the running work and waits for every work to end.
    ~PreviewRunner();

    // The newest preview asked for. Its Show runs before this returns when nothing else was
    // running and the work ends within kWaitForResult (always, on a platform without threads).
    void request(Work work);
    // Forgets every request: stopped, and never shown (the drag ended, the tool changed).
    void drop();

private:
    struct Job;
    void start(Work work);
    void finished(const std::shared_ptr<Job>& job);

    SessionPlatform& platform_;
    std::shared_ptr<Job> running_;
    Work waiting_;
    // Goes with the runner: a result arriving after it is gone finds it expired.
    std::shared_ptr<PreviewRunner*> self_ = std::make_shared<PreviewRunner*>(this);
};

}  // namespace brontile
