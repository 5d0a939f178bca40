// Open CASCADE's long work reporting to our Progress: its progress indicator, and an output
// stream for its writers that stops writing once the export is cancelled.
#pragma once

#include <ostream>
#include <streambuf>

#include <Message_ProgressIndicator.hxx>

#include "base/progress.hpp"

namespace brontile {

// Hands Open CASCADE's progress on to `progress` (as a share of [from, to]) and asks it to stop
// when a stop was asked for. Open CASCADE gives up quietly; rethrowIfStopped() makes that the
// Cancelled it was.
class OcctProgress : public Message_ProgressIndicator {
public:
    OcctProgress(Progress& progress, double from, double to)
        : progress_(progress), from_(from), to_(to) {}

    Standard_Boolean UserBreak() override;
    void Show(const Message_ProgressScope& scope, const Standard_Boolean force) override;
    void rethrowIfStopped() const {
        if (stopped_) throw Cancelled();
    }

private:
    Progress& progress_;
    double from_;
    double to_;
    bool stopped_ = false;
};

// Passes bytes on to `target`, checking `progress` every few hundred kilobytes; once it throws,
// every write fails, so a writer's own loop ends at its next line. rethrowIfStopped() then tells
// the caller why.
class CheckedStreamBuffer : public std::streambuf {
public:
    CheckedStreamBuffer(std::streambuf& target, Progress& progress)
        : target_(target), progress_(progress) {}
    void rethrowIfStopped() const {
        if (stopped_) throw Cancelled();
    }

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int_type overflow(int_type c) override;
    int sync() override { return target_.pubsync(); }

private:
    bool passed(std::streamsize count);

    std::streambuf& target_;
    Progress& progress_;
    std::streamsize sinceCheck_ = 0;
    bool stopped_ = false;
};

}  // namespace brontile
