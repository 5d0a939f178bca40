// A row of copies of the selected body along X, spaced by its width, for a typed count.
#pragma once

#include "tools/modeling_tool.hpp"

namespace brontile {

class PatternTool final : public ModelingTool {
public:
    PatternTool();

    void activate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;
};

}  // namespace brontile
