// Turning the selected body about the vertical axis through its centre: 0.4° per view point of
// horizontal drag, or a typed angle in degrees.
#pragma once

#include <optional>
#include <utility>

#include "tools/modeling_tool.hpp"

namespace brontile {

class RotateTool final : public ModelingTool {
public:
    RotateTool();

    [[nodiscard]] bool isBusy() const override { return original_.has_value(); }
    void activate(ModelingContext& context) override;
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

private:
    [[nodiscard]] SolidMesh turned(double degrees) const;
    void apply(double degrees, ModelingContext& context);

    std::optional<Vec2> start_;
    double angle_ = 0;
    std::optional<std::pair<BodyID, SolidMesh>> original_;
};

}  // namespace brontile
