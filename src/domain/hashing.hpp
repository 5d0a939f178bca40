// Hash helpers for value types with exact floating-point equality.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace brontile {

// Equal doubles must hash alike, and 0.0 == -0.0 although their bits differ.
inline std::size_t hashDouble(double value) noexcept {
    return std::hash<std::uint64_t>{}(value == 0.0 ? 0u : std::bit_cast<std::uint64_t>(value));
}

inline void hashCombine(std::size_t& seed, std::size_t value) noexcept {
    seed ^= value + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2);
}

}  // namespace brontile
