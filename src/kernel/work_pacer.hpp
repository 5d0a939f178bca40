// The kernel's loops report to a Progress through a pacer: a check every so many steps, often
// enough that a stop is noticed within a few milliseconds, rarely enough to cost nothing.
#pragma once

#include <cstdint>

#include "base/progress.hpp"

namespace brontile::csg_detail {

class WorkPacer {
public:
    explicit WorkPacer(Progress& progress, std::uint32_t every = 512)
        : progress_(progress), every_(every) {}

    [[nodiscard]] Progress& progress() const { return progress_; }
    // One step of a loop; every `every`-th checks the progress.
    void step() {
        if (++count_ < every_) return;
        count_ = 0;
        progress_.check();
    }
    void check() const { progress_.check(); }

private:
    Progress& progress_;
    std::uint32_t every_;
    std::uint32_t count_ = 0;
};

}  // namespace brontile::csg_detail
