#include "session/operation_runner.hpp"

#include <exception>
#include <utility>

namespace brontile {

struct OperationRunner::Running {
    std::string phase;
    Work work;
    Progress progress;
    // Set by the worker, read on the session's thread once it is done.
    Finish finish;
    std::exception_ptr failure;
};

OperationRunner::OperationRunner(SessionPlatform& platform, StatusLines& status,
                                 SessionNotifier& notifier)
    : platform_(platform), status_(status), notifier_(notifier) {}

OperationRunner::~OperationRunner() {
    // Works may use what the session owns (its kernel): they must end before it goes, the
    // running one and any stopped one still on its way out.
    if (running_) running_->progress.cancel();
    platform_.waitForBackground();
}

bool OperationRunner::start(std::string phase, Work work) {
    if (running_) return false;
    auto running = std::make_shared<Running>();
    running->phase = std::move(phase);
    running->work = std::move(work);
    running->progress.setPhase(running->phase);
    if (armedStop_) running->progress.cancelAtCheck(*std::exchange(armedStop_, std::nullopt));
    running_ = running;
    notifier_.notify(SessionProperty::busy);
    const std::weak_ptr<OperationRunner*> self = self_;
    platform_.runInBackground(
        [running] {
            try {
                // A stop asked for before the work began ends it before it changes anything.
                running->progress.check();
                running->finish = running->work(running->progress);
            } catch (...) {
                running->failure = std::current_exception();
            }
        },
        [self, running] {
            if (const auto runner = self.lock()) (*runner)->finished(running);
        });
    return true;
}

std::optional<std::string> OperationRunner::phase() const {
    if (!running_) return std::nullopt;
    return running_->phase;
}

double OperationRunner::fraction() const { return running_ ? running_->progress.fraction() : 0; }

void OperationRunner::cancel() {
    // The session is free at once; the work ends at its next check, and what it would have
    // given is dropped. Work past its point of no return (a file being renamed into place)
    // refuses the stop and finishes as usual.
    if (!running_ || !running_->progress.cancel()) return;
    running_.reset();
    notifier_.notify(SessionProperty::busy);
    status_.setMessage("Cancelled");
}

void OperationRunner::finished(const std::shared_ptr<Running>& running) {
    if (running != running_) return;
    running_.reset();
    notifier_.notify(SessionProperty::busy);
    try {
        if (running->failure) std::rethrow_exception(running->failure);
        if (running->finish) running->finish();
    } catch (const Cancelled&) {
        status_.setMessage("Cancelled");
    } catch (const std::exception& error) {
        status_.showError(error.what());
    }
}

}  // namespace brontile
