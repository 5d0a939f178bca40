// Lookups by identity in the model's ordered lists (bodies, sketches, entities, faces): the
// first element whose `id` matches.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>

namespace brontile {

template <class Items, class Id>
[[nodiscard]] std::optional<std::size_t> indexOfId(const Items& items, const Id& id) {
    const auto it =
        std::find_if(items.begin(), items.end(), [&](const auto& item) { return item.id == id; });
    if (it == items.end()) return std::nullopt;
    return static_cast<std::size_t>(it - items.begin());
}

// A copy of the element, or nothing.
template <class Items, class Id>
[[nodiscard]] std::optional<typename Items::value_type> elementWithId(const Items& items,
                                                                      const Id& id) {
    const auto index = indexOfId(items, id);
    if (!index) return std::nullopt;
    return items[*index];
}

}  // namespace brontile
