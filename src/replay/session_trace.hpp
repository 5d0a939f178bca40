// One JSON line of what a person would see of the session after a step of a replayed script:
// the status lines, the tool, the HUD, the panels and alerts the step asked, the selection and
// the whole document in plain numbers.
#pragma once

#include <vector>

#include <nlohmann/json.hpp>

#include "session/document_session.hpp"
#include "session/scripted_platform.hpp"

namespace brontile::replay {

using OrderedJson = nlohmann::ordered_json;

// JSON has no infinities or NaN: such a value is written as null.
[[nodiscard]] OrderedJson number(double value);
[[nodiscard]] OrderedJson vec(const Vec3& v);
[[nodiscard]] OrderedJson vec(const Vec2& v);

// The window's own panels open after the step, as the person sees them.
struct PanelsShown {
    bool palette = false;
    bool shortcutSheet = false;
};

[[nodiscard]] OrderedJson sessionTrace(const DocumentSession& session, std::size_t step,
                                       const std::vector<ScriptedPlatform::Request>& asked,
                                       PanelsShown panels);

}  // namespace brontile::replay
