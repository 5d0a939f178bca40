// Always-on checks for conditions that mean a bug in the program, never bad input: they stop the
// program loudly in every build, optimised ones included, because carrying on would write a
// corrupted document or file. Bad input is reported with a brontile::Error instead.
#pragma once

namespace brontile::detail {

// Prints where and what failed to standard error, then aborts.
[[noreturn]] void invariantFailed(const char* condition, const char* file, int line,
                                  const char* message) noexcept;

}  // namespace brontile::detail

// Stops the program when `condition` is false; `message` says which rule was broken.
#define BRONTILE_INVARIANT(condition, message)                                            \
    do {                                                                                  \
        if (!(condition)) [[unlikely]] {                                                  \
            ::brontile::detail::invariantFailed(#condition, __FILE__, __LINE__, message); \
        }                                                                                 \
    } while (false)

// Marks a place the program cannot reach, such as the end of a switch that lists every case of an
// enumeration: reaching it means a value outside the enumeration was made somewhere.
#define BRONTILE_UNREACHABLE(message) \
    ::brontile::detail::invariantFailed("unreachable", __FILE__, __LINE__, message)
