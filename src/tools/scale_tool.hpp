// Scaling the selected body about its centre: dragging up by 100 view points doubles it, a typed
// factor sets it; never below 0.05.
#pragma once

#include <optional>
#include <utility>

#include "tools/modeling_tool.hpp"

namespace brontile {

class ScaleTool final : public ModelingTool {
public:
    ScaleTool();

    [[nodiscard]] bool isBusy() const override { return original_.has_value(); }
    void activate(ModelingContext& context) override;
    // Forgets the body taken at activation: after an undo its mesh may be gone.
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

private:
    [[nodiscard]] SolidMesh scaledBy(double factor) const;
    void apply(double factor, ModelingContext& context);

    std::optional<std::pair<BodyID, SolidMesh>> original_;
    std::optional<double> startY_;
    double factor_ = 1.0;
};

}  // namespace brontile
