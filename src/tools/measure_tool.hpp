// Measuring the straight distance between two picked points, with its X, Y and Z parts on the
// status line.
#pragma once

#include <optional>

#include "tools/modeling_tool.hpp"

namespace brontile {

class MeasureTool final : public ModelingTool {
public:
    MeasureTool();

    [[nodiscard]] bool isBusy() const override { return first_.has_value(); }
    // A first point never outlives the tool's turn (an undo deactivates it too).
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;

private:
    std::optional<Vec3> first_;
};

}  // namespace brontile
