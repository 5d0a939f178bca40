// Hollowing a body to a typed wall thickness.
#pragma once

#include "tools/modeling_tool.hpp"

namespace brontile {

class ShellTool final : public ModelingTool {
public:
    ShellTool();

    void activate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;
};

}  // namespace brontile
