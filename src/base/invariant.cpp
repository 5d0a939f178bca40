#include "base/invariant.hpp"

#include <cstdio>
#include <cstdlib>

namespace brontile::detail {

void invariantFailed(const char* condition, const char* file, int line,
                     const char* message) noexcept {
    std::fprintf(stderr, "Brontile internal error at %s:%d: %s (%s)\n", file, line, message,
                 condition);
    std::fflush(stderr);
    std::abort();
}

}  // namespace brontile::detail
