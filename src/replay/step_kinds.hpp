// The kinds of step a replay script may hold, by the name of their action: what each reads from
// its argument and does to the target.
#pragma once

#include <string_view>

#include "replay/replay_target.hpp"
#include "replay/script_reading.hpp"

namespace brontile::replay {

// One step: its action's argument, and the modifiers and click count the step gives besides.
struct Step {
    const OrderedJson& argument;
    ModifierSet modifiers;
    int clicks = 1;
};

using StepKind = void (*)(ReplayTarget& target, const Step& step);

// Nothing for an action no step kind has.
[[nodiscard]] StepKind stepKind(std::string_view action);

}  // namespace brontile::replay
