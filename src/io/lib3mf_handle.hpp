// lib3mf's C interface hands out reference-counted handles; these release them when they go out
// of scope, for the 3MF writer and reader alike.
#pragma once

#include <memory>

#include <Model/COM/NMR_DLLInterfaces.h>

namespace brontile::Lib3mf {

struct Release {
    void operator()(NMR::PLib3MFBase* handle) const { NMR::lib3mf_release(handle); }
};
using Handle = std::unique_ptr<NMR::PLib3MFBase, Release>;

}  // namespace brontile::Lib3mf
