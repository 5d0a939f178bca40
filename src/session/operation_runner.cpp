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
    if (!running_) return;
    // The work may use what the session owns (its kernel): it must end before they go.
    running_->progress.cancel();
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
    if (running_) running_->progress.cancel();
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
