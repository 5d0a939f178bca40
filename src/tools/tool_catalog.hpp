// The tools of the program by identity: id, title and the hint the status line shows while the
// tool is active, in toolbar and registration order.
#pragma once

#include <span>
#include <string_view>

#include "tools/tool_id.hpp"

namespace brontile {

struct ToolIdentity {
    const ToolID& id;
    std::string_view title;
    std::string_view hint;
};

// All 21, in registration order.
[[nodiscard]] std::span<const ToolIdentity> toolCatalog();
// The catalog's entry for one of its ids.
[[nodiscard]] const ToolIdentity& toolIdentity(const ToolID& id);

}  // namespace brontile
