// How far a long operation has got, and the way to stop it. The operation (on a worker thread, or
// on the calling one) reports its phase and fraction and calls check() often; whoever started it
// reads them and may ask it to stop, from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>

#include "base/error.hpp"

namespace brontile {

// What check() throws once a stop was asked for: the operation ends, changing nothing.
class Cancelled : public Error {
public:
    Cancelled() : Error("Cancelled") {}
};

class Progress {
public:
    Progress() = default;
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // --- The operation's side

    // Throws Cancelled when a stop was asked for, or when this is the check cancelAtCheck armed.
    void check();
    // The share of the work done, in [0, 1] (other values are clamped), then check().
    void setFraction(double fraction);
    void setPhase(std::string phase);
    // The point of no return, right before the result goes where others see it (a file renamed
    // into place): checks once more, then refuses every later stop. Throws Cancelled when a
    // stop came first.
    void commit();

    // --- Anyone's side

    // Asks for a stop; false when the operation has already committed, and will finish.
    bool cancel();
    // Arms a stop at the k-th check from now: k = 0 stops at the next one. Lets a test or a
    // replay stop an operation at a chosen point of its work, the same on every run.
    void cancelAtCheck(std::uint64_t k) { stopAt_.store(checks_.load() + k); }
    [[nodiscard]] bool isCancelled() const { return state_.load() == State::cancelled; }
    [[nodiscard]] double fraction() const { return fraction_.load(); }
    [[nodiscard]] std::string phase() const;
    // How many checks were made so far.
    [[nodiscard]] std::uint64_t checks() const { return checks_.load(); }

private:
    enum class State { running, cancelled, committed };
    std::atomic<State> state_{State::running};
    std::atomic<double> fraction_{0};
    std::atomic<std::uint64_t> checks_{0};
    std::atomic<std::uint64_t> stopAt_{std::numeric_limits<std::uint64_t>::max()};
    mutable std::mutex phaseMutex_;
    std::string phase_;
};

// A part [from, to] of a progress: a step of a longer operation reports its own fraction in it.
class ProgressSpan {
public:
    ProgressSpan(Progress& progress, double from, double to)
        : progress_(progress), from_(from), to_(to) {}

    [[nodiscard]] Progress& progress() const { return progress_; }
    void check() const { progress_.check(); }
    // The step's own fraction, in [0, 1].
    void setFraction(double fraction) const {
        progress_.setFraction(from_ + (to_ - from_) * fraction);
    }
    // Steps i of n take equal shares of the span.
    [[nodiscard]] ProgressSpan part(std::size_t i, std::size_t n) const {
        const double width = (to_ - from_) / static_cast<double>(n == 0 ? 1 : n);
        return {progress_, from_ + width * static_cast<double>(i),
                from_ + width * static_cast<double>(i + 1)};
    }

private:
    Progress& progress_;
    double from_;
    double to_;
};

}  // namespace brontile
