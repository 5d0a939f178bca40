// lib3mf's C interface hands out reference-counted handles; these release them when they go out
// of scope, for the 3MF writer and reader alike. Both also follow lib3mf's progress the same way.
#pragma once

#include <memory>

#include "base/progress.hpp"

#include <Model/COM/NMR_DLLInterfaces.h>

namespace brontile::Lib3mf {

struct Release {
    void operator()(NMR::PLib3MFBase* handle) const { NMR::lib3mf_release(handle); }
};
using Handle = std::unique_ptr<NMR::PLib3MFBase, Release>;

// lib3mf asks whether to go on as it reads or writes; its percentage fills the share of
// `progress` from `from` on, and a stop asked for there ends lib3mf's work, which the caller
// turns into Cancelled once lib3mf returns.
struct FollowedProgress {
    Progress& progress;
    double from = 0;
    bool stopped = false;

    static bool goOn(int percent, NMR::ProgressIdentifier, void* self) {
        auto& that = *static_cast<FollowedProgress*>(self);
        try {
            that.progress.setFraction(that.from + percent / 200.0);
        } catch (const Cancelled&) {
            that.stopped = true;
        }
        return !that.stopped;
    }
};

}  // namespace brontile::Lib3mf
