#include "session/preview_runner.hpp"

#include <condition_variable>
#include <mutex>
#include <utility>

namespace brontile {

struct PreviewRunner::Job {
    Work work;
    Progress progress;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    Show show;
    // On the session's thread: it was dropped, or its end was already handled.
    bool dropped = false;
    bool settled = false;
};

PreviewRunner::PreviewRunner(SessionPlatform& platform) : platform_(platform) {}

PreviewRunner::~PreviewRunner() {
    drop();
    platform_.waitForBackground();
}

void PreviewRunner::request(Work work) {
    if (running_) {
        // Its result would be out of date by the time it shows: it stops, and this goes next.
        running_->progress.cancel();
        waiting_ = std::move(work);
        return;
    }
    start(std::move(work));
}

void PreviewRunner::drop() {
    waiting_ = nullptr;
    if (!running_) return;
    running_->progress.cancel();
    running_->dropped = true;
}

void PreviewRunner::start(Work work) {
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    running_ = job;
    const std::weak_ptr<PreviewRunner*> self = self_;
    const bool worthWaiting = platform_.runPreview(
        [job] {
            Show show;
            try {
                show = job->work(job->progress);
            } catch (...) {
                // A stopped or failed preview shows nothing; the commit reports for itself.
            }
            const std::scoped_lock lock(job->mutex);
            job->show = std::move(show);
            job->done = true;
            job->ended.notify_all();
        },
        [self, job] {
            if (const auto runner = self.lock()) (*runner)->finished(job);
        });
    if (!worthWaiting) return;
    std::unique_lock lock(job->mutex);
    const bool done = job->ended.wait_for(lock, kWaitForResult, [&] { return job->done; });
    lock.unlock();
    if (done) finished(job);
}

void PreviewRunner::finished(const std::shared_ptr<Job>& job) {
    if (job != running_ || job->settled) return;
    job->settled = true;
    running_.reset();
    if (waiting_) return start(std::exchange(waiting_, nullptr));
    if (job->dropped) return;
    Show show;
    {
        const std::scoped_lock lock(job->mutex);
        show = std::move(job->show);
    }
    if (show) show();
}

}  // namespace brontile
