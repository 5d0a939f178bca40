#include "base/progress.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace brontile {

void Progress::check() {
    const std::uint64_t number = checks_.fetch_add(1);
    if (number >= stopAt_.load()) cancel();
    if (isCancelled()) throw Cancelled();
}

bool Progress::cancel() {
    State expected = State::running;
    return state_.compare_exchange_strong(expected, State::cancelled) ||
           expected == State::cancelled;
}

void Progress::commit() {
    check();
    State expected = State::running;
    if (!state_.compare_exchange_strong(expected, State::committed) &&
        expected == State::cancelled) {
        throw Cancelled();
    }
}

void Progress::setFraction(double fraction) {
    fraction_.store(std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0);
    check();
}

void Progress::setPhase(std::string phase) {
    const std::scoped_lock lock(phaseMutex_);
    phase_ = std::move(phase);
}

std::string Progress::phase() const {
    const std::scoped_lock lock(phaseMutex_);
    return phase_;
}

}  // namespace brontile
