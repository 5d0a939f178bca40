// Hash helpers for value types with exact floating-point equality.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <type_traits>

namespace brontile {

// Equal doubles must hash alike, and 0.0 == -0.0 although their bits differ.
inline std::size_t hashDouble(double value) noexcept {
    return std::hash<std::uint64_t>{}(value == 0.0 ? 0u : std::bit_cast<std::uint64_t>(value));
}

inline void hashCombine(std::size_t& seed, std::size_t value) noexcept {
    seed ^= value + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2);
}

// One hash over several fields: doubles and floats by hashDouble, everything else by std::hash.
template <class... Fields>
std::size_t hashFields(const Fields&... fields) noexcept {
    std::size_t seed = 0;
    const auto add = [&seed](const auto& field) {
        using Field = std::decay_t<decltype(field)>;
        if constexpr (std::is_floating_point_v<Field>) {
            hashCombine(seed, hashDouble(static_cast<double>(field)));
        } else {
            hashCombine(seed, std::hash<Field>{}(field));
        }
    };
    (add(fields), ...);
    return seed;
}

}  // namespace brontile
