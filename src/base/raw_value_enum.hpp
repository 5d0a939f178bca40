// Enumerations whose cases are stored as text. An enumeration opts in by specialising
// RawValueCases with its cases in declaration order; rawValue, fromRawValue and allCases then
// work for it, and so does its JSON form.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace brontile {

template <class E>
struct RawValueCase {
    E value;
    std::string_view raw;
};

// Specialise with `static constexpr std::array<RawValueCase<E>, N> cases{...};`.
template <class E>
struct RawValueCases;

template <class E>
concept RawValueEnum = requires {
    RawValueCases<E>::cases;
};

template <RawValueEnum E>
[[nodiscard]] constexpr std::string_view rawValue(E value) {
    for (const auto& c : RawValueCases<E>::cases) {
        if (c.value == value) return c.raw;
    }
    return {};
}

template <RawValueEnum E>
[[nodiscard]] constexpr std::optional<E> fromRawValue(std::string_view raw) {
    for (const auto& c : RawValueCases<E>::cases) {
        if (c.raw == raw) return c.value;
    }
    return std::nullopt;
}

// Every case, in declaration order.
template <RawValueEnum E>
[[nodiscard]] constexpr auto allCases() {
    constexpr auto& table = RawValueCases<E>::cases;
    std::array<E, table.size()> values{};
    for (std::size_t i = 0; i < table.size(); ++i) values[i] = table[i].value;
    return values;
}

}  // namespace brontile
